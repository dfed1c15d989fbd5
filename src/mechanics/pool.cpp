#include "mechanics/pool.hpp"

#include <system_error>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace kalvane {
namespace {

inline void relax() {
#if defined(__x86_64__) || defined(__i386__)
  _mm_pause();
#endif
}

// Spins before sleeping: long enough to bridge the minimiser's vector work between two
// evaluations, short enough not to hold a core that another process wants for long.
constexpr int spins_before_sleep = 20000;

}  // namespace

worker_pool::worker_pool(int threads) {
  for (int index = 1; index < threads; ++index) {
    try {
      workers_.emplace_back([this, index] { serve(index); });
    } catch (const std::system_error&) {
      break;  // run with the threads that did start
    }
  }
}

worker_pool::~worker_pool() {
  stopping_ = true;
  generation_.fetch_add(1, std::memory_order_release);
  generation_.notify_all();
  for (std::thread& t : workers_) t.join();
}

void worker_pool::serve(int index) {
  std::uint32_t seen = 0;
  for (;;) {
    std::uint32_t now;
    int spins = 0;
    while ((now = generation_.load(std::memory_order_acquire)) == seen) {
      if (++spins < spins_before_sleep) relax();
      else generation_.wait(seen, std::memory_order_acquire);
    }
    seen = now;
    if (stopping_) return;
    job_(context_, index);
    if (unfinished_.fetch_sub(1, std::memory_order_acq_rel) == 1) unfinished_.notify_one();
  }
}

void worker_pool::run(void (*job)(void*, int), void* context) {
  if (workers_.empty()) {
    job(context, 0);
    return;
  }
  job_ = job;
  context_ = context;
  unfinished_.store(static_cast<int>(workers_.size()), std::memory_order_relaxed);
  generation_.fetch_add(1, std::memory_order_release);
  generation_.notify_all();
  job(context, 0);
  int left;
  int spins = 0;
  while ((left = unfinished_.load(std::memory_order_acquire)) != 0) {
    if (++spins < spins_before_sleep) relax();
    else unfinished_.wait(left, std::memory_order_acquire);
  }
}

}  // namespace kalvane
