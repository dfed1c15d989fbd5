#include "check/check_progress.hpp"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>

#include "progress.hpp"

namespace kalvane::check {

namespace {

// The terminal's width: a line longer than it would wrap, and erasing it would leave the
// wrapped part on the screen.
std::size_t terminal_width() {
  winsize size{};
  return ::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 ? size.ws_col : 80;
}

// Draws the line, the time first so that a cut keeps it; the caller holds the lock.
void draw(check_progress& p, std::chrono::steady_clock::time_point now) {
  if (p.stopping || p.what.empty() || now < p.first_draw) return;
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.1f s, ", std::chrono::duration<double>(now - p.started).count());
  std::string line = "kalvane-check: " + std::string(seconds) + p.what;
  const std::size_t width = terminal_width();
  if (line.size() >= width) line.resize(width - 1);
  draw_progress_line(line.c_str());
  p.shown = true;
}

}  // namespace

check_progress::check_progress(bool enable) : enabled(enable) {
  if (!enabled) return;
  started = std::chrono::steady_clock::now();
  first_draw = started + progress_first_draw_after();
  redraw = std::thread([this] {
    std::unique_lock<std::mutex> held(lock);
    while (!wake.wait_for(held, progress_redraw_every, [this] { return stopping; }))
      draw(*this, std::chrono::steady_clock::now());
  });
}

check_progress::~check_progress() { finish(); }

void check_progress::show(std::string point) {
  if (!enabled) return;
  const std::lock_guard<std::mutex> held(lock);
  what = std::move(point);
  draw(*this, std::chrono::steady_clock::now());
}

void check_progress::finish() {
  if (!enabled) return;
  {
    const std::lock_guard<std::mutex> held(lock);
    stopping = true;
  }
  wake.notify_all();
  if (redraw.joinable()) redraw.join();
  if (shown) erase_progress_line();
  shown = false;
}

}  // namespace kalvane::check
