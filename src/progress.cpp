#include "progress.hpp"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace kalvane {
namespace {

constexpr std::chrono::milliseconds redraw_every{250};

// About a second, so that short runs never flash a line; KALVANE_PROGRESS_AFTER_MS sets
// another delay (the tests use 0 to see the line on a run of any length).
std::chrono::milliseconds first_draw_after() {
  const char* text = std::getenv("KALVANE_PROGRESS_AFTER_MS");
  if (text == nullptr || *text == '\0') return std::chrono::milliseconds{1000};
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  return *end == '\0' && value >= 0 ? std::chrono::milliseconds{value} : std::chrono::milliseconds{1000};
}

}  // namespace

bool standard_error_is_terminal() { return ::isatty(STDERR_FILENO) == 1; }

progress_line::progress_line(bool enable, double allowable_gradient)
    : enabled(enable), allowable(allowable_gradient) {
  if (!enabled) return;
  started = std::chrono::steady_clock::now();
  next_draw = started + first_draw_after();
}

progress_line::~progress_line() { erase(); }

bool progress_line::due() {
  if (!enabled) return false;
  const auto now = std::chrono::steady_clock::now();
  if (now < next_draw) return false;
  next_draw = now + redraw_every;
  return true;
}

void progress_line::tick(int32_t iteration, double largest_gradient) {
  if (!due()) return;
  const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  char text[160];
  std::snprintf(text, sizeof text, "kalvane: iteration %d, largest gradient %.3e (allowable %.3e), %.1f s", iteration,
                largest_gradient, allowable, elapsed);
  draw(text);
}

void progress_line::draw(const char* text) {
  // Carriage return and erase-to-end-of-line redraw the line in place.
  std::fprintf(stderr, "\r\033[K%s", text);
  std::fflush(stderr);
  shown = true;
}

void progress_line::erase() {
  if (!shown) return;
  std::fputs("\r\033[K", stderr);
  std::fflush(stderr);
  shown = false;
}

}  // namespace kalvane
