#pragma once
// A fixed set of threads kept alive between jobs, so that handing a job of some tens of
// microseconds to every thread costs a few atomic operations, not a thread start. The
// calling thread takes part as thread 0. Waiting threads spin a little, then sleep on a
// futex (std::atomic::wait).
#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

namespace kalvane {

class worker_pool {
 public:
  // `threads` in all, the caller included; fewer when the system refuses to start more.
  explicit worker_pool(int threads);
  ~worker_pool();
  worker_pool(const worker_pool&) = delete;
  worker_pool& operator=(const worker_pool&) = delete;

  int size() const { return static_cast<int>(workers_.size()) + 1; }

  // Calls job(context, t) for t = 0 .. size() - 1, t = 0 on the caller, and returns when
  // all have returned. The job must not throw. One caller at a time.
  void run(void (*job)(void*, int), void* context);

 private:
  void serve(int index);

  std::vector<std::thread> workers_;
  std::atomic<std::uint32_t> generation_{0};
  std::atomic<int> unfinished_{0};
  bool stopping_ = false;
  void (*job_)(void*, int) = nullptr;
  void* context_ = nullptr;
};

}  // namespace kalvane
