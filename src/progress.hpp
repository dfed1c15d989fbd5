#pragma once
// The progress line: while a long minimisation runs on a terminal, one line on standard
// error tells the iteration, the largest gradient component against the allowable one and
// the time so far. It appears after about a second, is redrawn a few times a second, and
// is erased when the minimisation ends, so that nothing of it stays on the screen or in
// any file. Without a terminal it does nothing at all.
#include <chrono>
#include <cstdint>

namespace kalvane {

// Whether standard error is a terminal, so that the progress line may be shown there.
bool standard_error_is_terminal();

// The wait before a progress line first appears, so that short runs never flash one, and
// the least time between two drawings. Every program's line keeps to them.
std::chrono::milliseconds progress_first_draw_after();
inline constexpr std::chrono::milliseconds progress_redraw_every{250};

// Draws `text` as the progress line, in place of what it showed before; erases it.
void draw_progress_line(const char* text);
void erase_progress_line();

struct progress_line {
  bool enabled = false;
  double allowable = 0.0;
  std::chrono::steady_clock::time_point started;
  std::chrono::steady_clock::time_point next_draw;
  bool shown = false;

  progress_line(bool enable, double allowable_gradient);
  ~progress_line();  // erases the line, also when the run ends by an error
  progress_line(const progress_line&) = delete;
  progress_line& operator=(const progress_line&) = delete;

  // Called by the minimiser at each test of its stopping rule.
  void operator()(int32_t iteration, double largest_gradient) {
    if (enabled) tick(iteration, largest_gradient);
  }
  void tick(int32_t iteration, double largest_gradient);
  void erase();
};

}  // namespace kalvane
