#include "mechanics/dispatch.hpp"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <string>
#include <thread>

#include "run.hpp"
#include "structures.hpp"
#include "support.hpp"

using kalvane_test::read_file;
using kalvane_test::scratch_folder;

namespace {

const char* const output_files[] = {"abaqusfile.inp", "autocad.scr", "output.txt"};

// The three files of a whole run on `input`, with the given lanes and threads.
struct run_files {
  std::string files[3];
};

run_files run_with(const std::string& input, int lanes, int threads, int iteration_cap = 0) {
  EXPECT_TRUE(kalvane::force_lane_width(lanes)) << lanes;
  kalvane::force_thread_count(threads);
  scratch_folder folder;
  kalvane_test::write_file(folder / "input.txt", input);
  kalvane::run_plan plan;
  plan.folder = folder.path;
  plan.iteration_cap = iteration_cap;
  kalvane::model m;
  try {
    kalvane::run(m, plan);
  } catch (...) {
    kalvane::force_lane_width(0);
    kalvane::force_thread_count(0);
    throw;
  }
  kalvane::force_lane_width(0);
  kalvane::force_thread_count(0);
  run_files out;
  for (int k = 0; k < 3; ++k) out.files[k] = read_file(folder / output_files[k]);
  return out;
}

// At least two, so that "all threads" shares the work even on a one-processor machine.
int all_threads() { return std::max(2, kalvane::machine_threads()); }

}  // namespace

TEST(Dispatch, LaneWidthsAreTheAvailableOnesAndOnlyThoseCanBeForced) {
  const std::vector<int>& widths = kalvane::lane_widths();
  ASSERT_FALSE(widths.empty());
  EXPECT_EQ(widths.front(), 1);
  EXPECT_TRUE(std::is_sorted(widths.begin(), widths.end()));
  for (int width : widths) EXPECT_NE(kalvane::bar_range_for(width), nullptr) << width;
  for (int width : {3, 16, -1})
    EXPECT_FALSE(kalvane::force_lane_width(width)) << width;
  const bool has_avx2 = std::find(widths.begin(), widths.end(), 4) != widths.end();
  EXPECT_EQ(kalvane::default_lane_width(), has_avx2 ? 4 : widths.back());
  EXPECT_EQ(kalvane::lane_width(), kalvane::default_lane_width());
  ASSERT_TRUE(kalvane::force_lane_width(1));
  EXPECT_EQ(kalvane::lane_width(), 1);
  kalvane::force_lane_width(0);
  EXPECT_EQ(kalvane::lane_width(), kalvane::default_lane_width());
}

TEST(Dispatch, ThreadCountFollowsOmpNumThreadsWhenItIsAPositiveInteger) {
  const char* before = std::getenv("OMP_NUM_THREADS");
  const std::string saved = before ? before : "";
  const unsigned hardware = std::thread::hardware_concurrency();
  const int machine = hardware == 0 ? 1 : static_cast<int>(hardware);
  ::setenv("OMP_NUM_THREADS", "3", 1);
  EXPECT_EQ(kalvane::machine_threads(), 3);
  EXPECT_EQ(kalvane::thread_count(10000000), 3);
  EXPECT_EQ(kalvane::thread_count(10), 1);  // too small to share
  for (const char* ignored : {"0", "-2", "two", "3x", ""}) {
    ::setenv("OMP_NUM_THREADS", ignored, 1);
    EXPECT_EQ(kalvane::machine_threads(), machine) << '"' << ignored << '"';
  }
  kalvane::force_thread_count(5);
  EXPECT_EQ(kalvane::thread_count(10), 5);
  kalvane::force_thread_count(0);
  if (before) ::setenv("OMP_NUM_THREADS", saved.c_str(), 1);
  else ::unsetenv("OMP_NUM_THREADS");
}

TEST(Dispatch, EveryExampleWritesTheSameBytesOnOneThreadAndOnAll) {
  for (const char* name : {"single_bar", "three_node", "space_truss", "cable_net"}) {
    const std::string example = std::string("examples/") + name + "/";
    const std::string input = read_file(kalvane_test::source_path(example + "input.txt"));
    ASSERT_FALSE(input.empty()) << name;
    const run_files one = run_with(input, 1, 1);
    const run_files all = run_with(input, kalvane::lane_widths().back(), all_threads());
    for (int k = 0; k < 3; ++k) {
      EXPECT_EQ(one.files[k], read_file(kalvane_test::source_path(example + "expected/" + output_files[k])))
          << name << ": " << output_files[k];
      EXPECT_TRUE(one.files[k] == all.files[k]) << name << ": " << output_files[k];
    }
  }
}

TEST(Dispatch, AGeneratedNetOfAHundredThousandBarsWritesTheSameBytesOnOneThreadAndOnAll) {
  structures::options net;
  net.bars = 100000;
  const std::string input = structures::generate(net);
  // A few iterations are enough for the states to differ from the start in every bar.
  const run_files one = run_with(input, 1, 1, 6);
  const run_files all = run_with(input, kalvane::lane_widths().back(), all_threads(), 6);
  for (int k = 0; k < 3; ++k) {
    EXPECT_GT(one.files[k].size(), 100000u) << output_files[k];
    EXPECT_TRUE(one.files[k] == all.files[k]) << output_files[k];
  }
}
