// The ParaView series of a path's states: its times rise whatever the path did, and are the
// load factors only where those order the states.
#include <gtest/gtest.h>

#include <filesystem>

#include "support.hpp"
#include "view/series.hpp"

namespace {

using kalvane::path_state_record;

std::vector<path_state_record> states(std::vector<std::pair<int, double>> stage_and_factor) {
  std::vector<path_state_record> out;
  for (std::size_t i = 0; i < stage_and_factor.size(); ++i) {
    path_state_record r;
    r.row = static_cast<uint32_t>(2 * i + 1);  // a subset: rows need not be consecutive
    r.stage = stage_and_factor[i].first;
    r.load_factor = stage_and_factor[i].second;
    out.push_back(r);
  }
  return out;
}

TEST(ViewSeries, TimesAreTheLoadFactorsOnlyWhereTheyRise) {
  EXPECT_EQ(kalvane::view::series_times(states({{1, 0.0}, {1, 0.25}, {1, 1.0}})), (std::vector<double>{0.0, 0.25, 1.0}));
  // Past a limit point the factor falls; a jump's ends share one; a new stage starts at 0:
  // then the rows order the series.
  for (const auto& path : {states({{1, 0.0}, {1, 0.8}, {1, 0.7}, {1, 1.0}}), states({{1, 0.0}, {1, 0.8}, {1, 0.8}, {1, 1.0}}),
                           states({{1, 0.0}, {1, 1.0}, {2, 0.0}, {2, 1.0}}), states({{1, 0.0}, {1, 1.0}, {2, 0.5}, {2, 1.0}})})
    EXPECT_EQ(kalvane::view::series_times(path), (std::vector<double>{1, 3, 5, 7}));
}

TEST(ViewSeries, AnEarlierSeriesLeavesNoStateBehindAndNothingElseIsTouched) {
  kalvane_test::scratch_folder folder;
  std::filesystem::create_directory(folder / "kalvane_states");
  for (const char* name : {"state_0001.vtu", "state_0099.vtu", "notes.txt", "state_1.vtu.bak"})
    kalvane_test::write_file(folder / "kalvane_states" + "/" + name, "x");
  kalvane::view::remove_old_states(folder.path, {{folder / "kalvane_states/state_0001.vtu", ""}, {folder / "kalvane.pvd", ""}});
  EXPECT_TRUE(kalvane_test::file_exists(folder / "kalvane_states/state_0001.vtu"));
  EXPECT_FALSE(kalvane_test::file_exists(folder / "kalvane_states/state_0099.vtu"));
  EXPECT_TRUE(kalvane_test::file_exists(folder / "kalvane_states/notes.txt"));
  EXPECT_TRUE(kalvane_test::file_exists(folder / "kalvane_states/state_1.vtu.bak"));
}

}  // namespace
