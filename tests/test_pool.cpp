#include "mechanics/pool.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <random>
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
