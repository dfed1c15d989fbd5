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
constexpr int spins_before_sleep = 4000;

inline int phase_of(std::uint64_t ticket) { return static_cast<int>(ticket >> 40 & 0xff); }
inline std::uint32_t count_of(std::uint64_t ticket) { return static_cast<std::uint32_t>(ticket >> 20 & 0xfffff); }
inline std::uint32_t block_of(std::uint64_t ticket) { return static_cast<std::uint32_t>(ticket & 0xfffff); }
inline bool claimable(std::uint64_t ticket) { return block_of(ticket) < count_of(ticket); }

}  // namespace

worker_pool::worker_pool(int threads, block_fn work, void* context) : work_(work), context_(context) {
  for (int index = 1; index < threads; ++index) {
    try {
      workers_.emplace_back([this] { serve(); });
    } catch (const std::system_error&) {
      break;  // run with the threads that did start
    }
  }
}

worker_pool::~worker_pool() {
  stopping_.store(true);
  ticket_.fetch_add(std::uint64_t{1} << 48, std::memory_order_release);
  ticket_.notify_all();
  for (std::thread& t : workers_) t.join();
}

// Claims the next block of the current job and runs it; false when none is left.
bool worker_pool::claim_and_run() {
  std::uint64_t ticket = ticket_.load(std::memory_order_acquire);
  do {
    if (!claimable(ticket)) return false;
  } while (!ticket_.compare_exchange_weak(ticket, ticket + 1, std::memory_order_acq_rel, std::memory_order_acquire));
  work_(context_, phase_of(ticket), block_of(ticket));
  done_.fetch_add(1, std::memory_order_release);
  return true;
}

void worker_pool::serve() {
  for (;;) {
    while (claim_and_run()) {
    }
    if (stopping_.load(std::memory_order_acquire)) return;
    const std::uint64_t idle = ticket_.load(std::memory_order_acquire);
    if (claimable(idle)) continue;
    int spins = 0;
    while (ticket_.load(std::memory_order_acquire) == idle && !stopping_.load(std::memory_order_relaxed)) {
      if (++spins < spins_before_sleep) relax();
      else ticket_.wait(idle, std::memory_order_acquire);
    }
  }
}

void worker_pool::run(int phase, std::uint32_t blocks) {
  if (workers_.empty()) {
    for (std::uint32_t b = 0; b < blocks; ++b) work_(context_, phase, b);
    return;
  }
  done_.store(0, std::memory_order_relaxed);
  const std::uint64_t sequence = (ticket_.load(std::memory_order_relaxed) >> 48) + 1;
  ticket_.store((sequence & 0xffff) << 48 | static_cast<std::uint64_t>(phase & 0xff) << 40 |
                    static_cast<std::uint64_t>(blocks & max_blocks) << 20,
                std::memory_order_release);
  ticket_.notify_all();
  while (claim_and_run()) {
  }
  int spins = 0;
  while (done_.load(std::memory_order_acquire) != blocks) {
    if (++spins < spins_before_sleep) relax();
    else std::this_thread::yield();  // the thread holding the last block may need this core
  }
}

}  // namespace kalvane
