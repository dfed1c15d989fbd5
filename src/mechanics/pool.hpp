#pragma once
// A fixed set of threads kept alive between jobs, so that handing the blocks of a job of
// some tens of microseconds to every thread costs a few atomic operations, not a thread
// start. A job is a phase number and a count of blocks; threads claim blocks one at a time
// from a shared ticket, the calling thread among them, and the call returns when every
// block is done. A thread that another process holds off the processor only delays the
// block it holds: the others, and the caller, take the rest. Waiting threads spin a little,
// then sleep on a futex (std::atomic::wait).
#include <atomic>
#include <cstdint>
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

  // Runs blocks 0 .. blocks - 1 (at most max_blocks) of `phase` (0..255) and returns when all are done; what
  // they wrote is then visible to the caller. One caller at a time.
  void run(int phase, std::uint32_t blocks);

 private:
  bool claim_and_run();
  void serve();

  // The ticket, all of a job in one word: its sequence number (16 bits, wrapping), its
  // phase (8), its count of blocks (20) and the next unclaimed block (20).
  std::atomic<std::uint64_t> ticket_{0};
  std::atomic<std::uint32_t> done_{0};
  std::atomic<bool> stopping_{false};
  block_fn work_;
  void* context_;
  std::vector<std::thread> workers_;
};

}  // namespace kalvane
