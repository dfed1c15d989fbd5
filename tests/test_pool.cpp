#include "mechanics/pool.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <random>
#include <thread>
#include <vector>

namespace {

// Counts, per job, how often each block ran and under which phase.
struct tally {
  std::vector<std::atomic<int>> runs = std::vector<std::atomic<int>>(64);
  std::atomic<int> wrong_phase{0};
  int phase = 0;
};

void count_block(void* context, int phase, std::uint32_t block) {
  tally& t = *static_cast<tally*>(context);
  if (phase != t.phase) ++t.wrong_phase;
  ++t.runs[block];
}

}  // namespace

TEST(Pool, RunsEveryBlockOfEveryJobOnceAndReturnsOnlyWhenAllAreDone) {
  for (int threads : {1, 2, 3, 7}) {
    tally t;
    kalvane::worker_pool pool(threads, count_block, &t);
    EXPECT_EQ(pool.size(), threads);
    std::mt19937 random(static_cast<unsigned>(threads));
    // Many short jobs, empty ones among them, so that threads arrive late for a job or find
    // the next one already begun.
    for (int job = 0; job < 3000; ++job) {
      const std::uint32_t blocks = random() % 40;
      t.phase = job % 3;
      pool.run(t.phase, blocks);
      for (std::uint32_t b = 0; b < t.runs.size(); ++b) {
        ASSERT_EQ(t.runs[b].load(), b < blocks ? 1 : 0) << threads << " threads, job " << job << " block " << b;
        t.runs[b] = 0;
      }
    }
    EXPECT_EQ(t.wrong_phase.load(), 0);
  }
}

namespace {

// Block 0 of the caller's share holds its thread until every other block is done, as a
// thread held off the processor would: the rest of its share must be taken by the others.
struct held_block {
  std::atomic<std::uint32_t> done{0};
  std::uint32_t blocks = 0;
  std::atomic<bool> saw_the_rest{false};
};

void hold_first_block(void* context, int, std::uint32_t block) {
  held_block& h = *static_cast<held_block*>(context);
  if (block == 0) {
    for (long spin = 0; spin < 100'000'000 && h.done.load() != h.blocks - 1; ++spin) std::this_thread::yield();
    h.saw_the_rest = h.done.load() == h.blocks - 1;
  } else {
    ++h.done;
  }
}

}  // namespace

TEST(Pool, TheOthersTakeTheShareOfAThreadHeldInABlock) {
  for (int threads : {2, 3}) {
    held_block h;
    h.blocks = 24;
    kalvane::worker_pool pool(threads, hold_first_block, &h);
    pool.run(0, h.blocks);
    EXPECT_TRUE(h.saw_the_rest.load()) << threads << " threads";
    EXPECT_EQ(h.done.load(), h.blocks - 1);
  }
}
