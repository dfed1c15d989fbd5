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
// evaluations, the two-loop recursion included, on models that fit the caches (about
// 0.7 ms at the 11 ns a pause took where measured; waking a sleeper costs tens of µs),
// short enough not to hold a core that another process wants for long. With more threads
// than the hardware runs at once, spinning ones would take the cores from the one doing
// the minimiser's work, so they sleep soon.
constexpr int spins_before_sleep = 60000;
constexpr int spins_when_oversubscribed = 4000;

constexpr std::uint64_t field = (std::uint64_t{1} << 24) - 1;
inline int phase_of(std::uint64_t share) { return static_cast<int>(share >> 48 & 0xff); }
inline std::uint64_t end_of(std::uint64_t share) { return share >> 24 & field; }
inline std::uint64_t next_of(std::uint64_t share) { return share & field; }
inline std::uint64_t share_word(int phase, std::uint64_t begin, std::uint64_t end) {
  return static_cast<std::uint64_t>(phase & 0xff) << 48 | end << 24 | begin;
}

}  // namespace

worker_pool::worker_pool(int threads, block_fn work, void* context)
    : shares_(new share[threads > 1 ? threads : 1]), work_(work), context_(context) {
  const unsigned hardware = std::thread::hardware_concurrency();
  const bool oversubscribed = hardware != 0 && static_cast<unsigned>(threads) > hardware;
  spins_ = oversubscribed ? spins_when_oversubscribed : spins_before_sleep;
  for (int index = 1; index < threads; ++index) {
    try {
      workers_.emplace_back([this, index] { serve(index); });
    } catch (const std::system_error&) {
      break;  // run with the threads that did start
    }
  }
  // Read by the workers only after the first job is published.
  share_count_ = static_cast<int>(workers_.size()) + 1;
}

worker_pool::~worker_pool() {
  stopping_.store(true);
  jobs_.fetch_add(1, std::memory_order_release);
  jobs_.notify_all();
  for (std::thread& t : workers_) t.join();
}

// Claims and runs the blocks of the thread's own share, then what is left of the others'.
// A share's next block only grows until the job's caller has seen every block done, and a
// share is set for the next job only after that, so a claimed block below its share's end
// is always an unrun block of the job whose phase the same word holds. Each thread makes
// at most one failed claim per share and job, so next stays far below its field's limit.
void worker_pool::claim_and_run_all(int thread) {
  const int threads = share_count_;
  for (int k = 0; k < threads; ++k) {
    share& s = shares_[static_cast<std::size_t>((thread + k) % threads)];
    for (;;) {
      const std::uint64_t claimed = s.word.fetch_add(1, std::memory_order_acq_rel);
      if (next_of(claimed) >= end_of(claimed)) break;
      work_(context_, phase_of(claimed), static_cast<std::uint32_t>(next_of(claimed)));
      done_.fetch_add(1, std::memory_order_release);
    }
  }
}

void worker_pool::serve(int thread) {
  std::uint64_t seen = 0;  // no job yet
  for (;;) {
    int spins = 0;
    while (jobs_.load(std::memory_order_acquire) == seen) {
      if (++spins < spins_) relax();
      else jobs_.wait(seen, std::memory_order_acquire);
    }
    seen = jobs_.load(std::memory_order_acquire);
    if (stopping_.load(std::memory_order_acquire)) return;
    claim_and_run_all(thread);
  }
}

void worker_pool::run(int phase, std::uint32_t blocks) {
  if (workers_.empty()) {
    for (std::uint32_t b = 0; b < blocks; ++b) work_(context_, phase, b);
    return;
  }
  blocks &= max_blocks;
  done_.store(0, std::memory_order_relaxed);
  const std::uint64_t threads = static_cast<std::uint64_t>(share_count_);
  for (std::uint64_t t = 0; t < threads; ++t)
    shares_[t].word.store(share_word(phase, blocks * t / threads, blocks * (t + 1) / threads),
                          std::memory_order_release);
  jobs_.fetch_add(1, std::memory_order_release);
  jobs_.notify_all();
  claim_and_run_all(0);
  int spins = 0;
  while (done_.load(std::memory_order_acquire) != blocks) {
    if (++spins < spins_) relax();
    else std::this_thread::yield();  // the thread holding the last block may need this core
  }
}

}  // namespace kalvane
