#include "progress.hpp"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace kalvane {

// About a second; KALVANE_PROGRESS_AFTER_MS sets another delay (the tests use 0 to see the
// line on a run of any length).
std::chrono::milliseconds progress_first_draw_after() {
  const char* text = std::getenv("KALVANE_PROGRESS_AFTER_MS");
  if (text == nullptr || *text == '\0') return std::chrono::milliseconds{1000};
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  return *end == '\0' && value >= 0 ? std::chrono::milliseconds{value} : std::chrono::milliseconds{1000};
}

void draw_progress_line(const char* text) {
  // Carriage return and erase-to-end-of-line redraw the line in place.
  std::fprintf(stderr, "\r\033[K%s", text);
  std::fflush(stderr);
}

void erase_progress_line() {
  std::fputs("\r\033[K", stderr);
  std::fflush(stderr);
}

bool standard_error_is_terminal() { return ::isatty(STDERR_FILENO) == 1; }

progress_line::progress_line(bool enable, double allowable_gradient)
    : enabled(enable), allowable(allowable_gradient) {
  if (!enabled) return;
  started = std::chrono::steady_clock::now();
  next_draw = started + progress_first_draw_after();
}

progress_line::~progress_line() { erase(); }

void progress_line::tick(int32_t iteration, double largest_gradient) {
  const auto now = std::chrono::steady_clock::now();
  if (now < next_draw) return;
  next_draw = now + progress_redraw_every;
  const double elapsed = std::chrono::duration<double>(now - started).count();
  char text[160];
  std::snprintf(text, sizeof text, "kalvane: iteration %d, largest gradient %.3e (allowable %.3e), %.1f s", iteration,
                largest_gradient, allowable, elapsed);
  draw_progress_line(text);
  shown = true;
}

void progress_line::erase() {
  if (!shown) return;
  erase_progress_line();
  shown = false;
}

}  // namespace kalvane
