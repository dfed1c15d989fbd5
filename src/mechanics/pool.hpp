#pragma once
// A fixed set of threads kept alive between jobs, so that handing the blocks of a job of
// some tens of microseconds to every thread costs a few atomic operations, not a thread
// start. A job is a phase number and a count of blocks. Each thread, the caller as thread 0,
// has a home share of them, a run of consecutive blocks, so that from one job to the next
// of the same size a thread works on the same data, still in its own caches. A thread that
// has finished its share takes the blocks left in the others', so one held off the
// processor by another process delays only the block it holds. The call returns when every
// block is done. Waiting threads spin a little, then sleep on a futex (std::atomic::wait).
#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

namespace kalvane {

// Runs block `block` of phase `phase`; must not throw.
using block_fn = void (*)(void* context, int phase, std::uint32_t block);

class worker_pool {
 public:
  // `threads` in all, the caller included; fewer when the system refuses to start more.
  worker_pool(int threads, block_fn work, void* context);
  ~worker_pool();
  worker_pool(const worker_pool&) = delete;
  worker_pool& operator=(const worker_pool&) = delete;

  static constexpr std::uint32_t max_blocks = (1u << 20) - 1;

  int size() const { return static_cast<int>(workers_.size()) + 1; }

  // Runs blocks 0 .. blocks - 1 (at most max_blocks) of `phase` (0..255) and returns when
  // all are done; what they wrote is then visible to the caller. One caller at a time.
  void run(int phase, std::uint32_t blocks);

 private:
  // One thread's share of the current job, all of it in one word: the phase (8 bits), the
  // end of the share (24) and its next unclaimed block (24). A claim is one fetch_add, and
  // the word it returns says which job's block it got.
  struct alignas(64) share {
    std::atomic<std::uint64_t> word{0};
  };

  void claim_and_run_all(int thread);
  void serve(int thread);

  std::unique_ptr<share[]> shares_;
  int share_count_ = 1;  // the threads that started, the caller included
  int spins_ = 0;        // spins of a waiting thread before it sleeps or yields
  // Bumped once per job (and at the end) to wake the workers.
  alignas(64) std::atomic<std::uint64_t> jobs_{0};
  alignas(64) std::atomic<std::uint32_t> done_{0};
  std::atomic<bool> stopping_{false};
  block_fn work_;
  void* context_;
  std::vector<std::thread> workers_;
};

}  // namespace kalvane
