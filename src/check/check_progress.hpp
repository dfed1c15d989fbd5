#pragma once
// The check's progress line on a terminal: the point being worked on, its figures and the
// time so far, as kalvane's line shows its iterations. A thread of its own redraws it a few
// times a second, since a single factorisation of a large net takes seconds in which the
// check itself says nothing. Without a terminal it does nothing at all.
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace kalvane::check {

struct check_progress {
  bool enabled = false;
  std::chrono::steady_clock::time_point started, first_draw;
  std::mutex lock;  // guards what follows
  std::condition_variable wake;
  std::string what;  // "3. refinement from a largest gradient component of 6.22e-03"
  bool shown = false, stopping = false;
  std::thread redraw;

  explicit check_progress(bool enable);
  ~check_progress();  // stops the thread and erases the line, also when the check ends by an error
  check_progress(const check_progress&) = delete;
  check_progress& operator=(const check_progress&) = delete;

  // The point now worked on; drawn at once when the line is due.
  void show(std::string point);
  // Stops the thread and erases the line before the findings are printed.
  void finish();
};

}  // namespace kalvane::check
