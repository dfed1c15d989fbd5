// path.states: the file reads back to the bit and refuses what is not one; the subset kept
// under a small budget holds the start, every event with its sides and the end; the last
// state is the report's own.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>

#include "check_fixture.hpp"
#include "error.hpp"
#include "path/app.hpp"
#include "path/states.hpp"
#include "support.hpp"

namespace {

using kalvane::path_state_record;
using kalvane::path_states;
using kalvane_test::read_file;
using kalvane_test::scratch_folder;

uint64_t bits(double v) { return std::bit_cast<uint64_t>(v); }

// Two nodes, three bars (an odd count, so that the records are padded), values whose bits
// a careless writer loses: -0, NaN, the smallest subnormal.
path_states small_file() {
  path_states s;
  s.nodes = 2;
  s.bars = 3;
  for (uint32_t row : {0u, 4u}) {
    path_state_record r;
    r.row = row;
    r.stage = static_cast<int32_t>(row / 4 + 1);
    r.load_factor = row * 0.1;
    r.loads = 0.25, r.prescribed = 1.0, r.weight = 0.5;
    r.displacement = {-0.0, 1e-300, std::nan(""), 1.5, -2.25, 4.9e-324};
    r.force = {1.0 + row, -3.0, 0.0};
    r.stress = {2.0, -6.0, 0.0};
    r.state = {0, 1, 2};
    s.states.push_back(r);
  }
  return s;
}

TEST(PathStates, TheFileReadsBackToTheBit) {
  const path_states written = small_file();
  const std::string bytes = kalvane::encode_path_states(written);
  ASSERT_EQ(bytes.size(), 24 + 2 * kalvane::path_state_bytes(2, 3));
  EXPECT_EQ(bytes.substr(0, 8), "KVSTATES");
  EXPECT_EQ(kalvane::path_state_bytes(2, 3) % 8, 0u);  // every record's numbers stay aligned
  const path_states read = kalvane::decode_path_states(bytes, "path.states");
  ASSERT_EQ(read.states.size(), 2u);
  EXPECT_EQ(read.nodes, 2u);
  EXPECT_EQ(read.bars, 3u);
  for (std::size_t i = 0; i < 2; ++i) {
    const path_state_record &a = written.states[i], &b = read.states[i];
    EXPECT_EQ(a.row, b.row);
    EXPECT_EQ(a.stage, b.stage);
    EXPECT_EQ(bits(a.load_factor), bits(b.load_factor));
    EXPECT_EQ(bits(a.weight), bits(b.weight));
    for (std::size_t k = 0; k < a.displacement.size(); ++k) EXPECT_EQ(bits(a.displacement[k]), bits(b.displacement[k]));
    for (std::size_t e = 0; e < 3; ++e) {
      EXPECT_EQ(bits(a.force[e]), bits(b.force[e]));
      EXPECT_EQ(bits(a.stress[e]), bits(b.stress[e]));
      EXPECT_EQ(a.state[e], b.state[e]);
    }
  }
}

TEST(PathStates, WhatIsNotTheLayoutIsRefusedNamingTheFile) {
  const std::string bytes = kalvane::encode_path_states(small_file());
  const auto refused = [](const std::string& b, const std::string& words) {
    try {
      kalvane::decode_path_states(b, "run/path.states");
      ADD_FAILURE() << "accepted; expected: " << words;
    } catch (const kalvane::error& e) {
      const std::string what = e.what();
      EXPECT_NE(what.find("run/path.states"), std::string::npos) << what;
      EXPECT_NE(what.find(words), std::string::npos) << what;
    }
  };
  refused(bytes.substr(0, bytes.size() - 8), "cut short");
  refused("KVSTATEX" + bytes.substr(8), "KVSTATES");
  std::string later = bytes;
  later[8] = 2;  // version 2
  refused(later, "version 2");
  // A count that a damaged file says is huge is refused before anything is allocated.
  std::string huge = bytes;
  for (int i = 20; i < 24; ++i) huge[static_cast<std::size_t>(i)] = '\xff';
  refused(huge, "cut short");
  // The second state's row made 0, as the first's: rows must rise.
  std::string back = bytes;
  const std::size_t second = 24 + kalvane::path_state_bytes(2, 3);
  back[second] = 0;
  refused(back, "not after the row before it");
  std::string code = bytes;
  code[24 + 40 + 48 + 48 + 2] = 7;  // the first state's third bar
  refused(code, "bar state code 7");
}

// A path of 200 points with a limit point at row 50 and a jump's two ends at 120 and 121.
std::vector<kalvane::newton::point_kind> path_kinds() {
  std::vector<kalvane::newton::point_kind> kinds(200, kalvane::newton::point_kind::regular);
  kinds[50] = kalvane::newton::point_kind::limit;
  kinds[120] = kinds[121] = kalvane::newton::point_kind::jump;
  return kinds;
}

TEST(PathStates, ASmallBudgetKeepsTheStartEveryEventWithItsSidesAndTheEnd) {
  for (std::size_t most : {2u, 12u, 40u}) {
    kalvane::path::state_keeper keeper;
    keeper.most = most;
    const auto kinds = path_kinds();
    for (std::size_t i = 0; i < kinds.size(); ++i) {
      kalvane::newton::path_point p;
      p.kind = kinds[i];
      keeper(p, kalvane::newton::vector{static_cast<double>(i)});
    }
    std::vector<std::size_t> rows;
    for (const auto& k : keeper.kept) {
      EXPECT_EQ(k.x.front(), static_cast<double>(k.row));  // each state its own point's
      rows.push_back(k.row);
    }
    SCOPED_TRACE("at most " + std::to_string(most));
    for (std::size_t row : {0, 49, 50, 51, 119, 120, 121, 122, 199})
      EXPECT_TRUE(std::find(rows.begin(), rows.end(), row) != rows.end()) << row;
    EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end()));
    // The budget holds, save the 9 the rule always keeps.
    EXPECT_LE(rows.size(), std::max<std::size_t>(most, 9)) << rows.size();
    // The regular points between are spread along the path, not bunched at its start.
    if (most == 40) {
      EXPECT_GE(rows.size(), 20u);
      std::size_t widest = 0;
      for (std::size_t i = 1; i < rows.size(); ++i) widest = std::max(widest, rows[i] - rows[i - 1]);
      EXPECT_LE(widest, 16u);
    }
  }
  // Within the budget, every point.
  kalvane::path::state_keeper all;
  all.most = 500;
  for (auto kind : path_kinds()) {
    kalvane::newton::path_point p;
    p.kind = kind;
    all(p, {});
  }
  EXPECT_EQ(all.kept.size(), 200u);
}

TEST(PathStates, ACascadeOfCablesGoingSlackIsThinnedToTheBudget) {
  // A net whose hogging cables go slack by the thousand gives as many event rows: held
  // whatever the budget, their states once filled gigabytes. Only what turns the route is
  // kept beyond it.
  kalvane::path::state_keeper keeper;
  keeper.most = 12;
  auto kinds = path_kinds();
  for (std::size_t i = 60; i < 110; ++i) kinds[i] = kalvane::newton::point_kind::slack;
  for (std::size_t i = 0; i < kinds.size(); ++i) {
    kalvane::newton::path_point p;
    p.kind = kinds[i];
    keeper(p, kalvane::newton::vector{static_cast<double>(i)});
  }
  std::vector<std::size_t> rows;
  for (const auto& k : keeper.kept) rows.push_back(k.row);
  for (std::size_t row : {0, 49, 50, 51, 119, 120, 121, 122, 199})
    EXPECT_TRUE(std::find(rows.begin(), rows.end(), row) != rows.end()) << row;
  EXPECT_LE(rows.size(), 12u + 9u) << rows.size();
}

// The shallow two-bar truss of the path's tests, past its snap-through.
std::string snapping_truss() {
  return check_test::input_text("Shallow two-bar truss", "0.9 20 1E-6 0.0 10000 5", "1 70000.0",
                                "3\nnode x y z\n1 0 0 0\n2 2000 0 100\n3 4000 0 0\n",
                                "2\nbar n1 n2 area\n1 1 2 1000\n2 2 3 1000\n",
                                "7\nnode c v\n1 1 0\n1 2 0\n1 3 0\n2 2 0\n3 1 0\n3 2 0\n3 3 0\n",
                                "1\nnode c v\n2 3 -12000\n");
}

std::vector<std::string> kinds_of(const std::string& csv) {
  std::vector<std::string> kinds;
  const auto lines = kalvane_test::lines_of(csv);
  // The eighth column; the ninth names a cable's bar.
  for (std::size_t i = 1; i < lines.size(); ++i) {
    std::size_t start = 0;
    for (int field = 0; field < 7; ++field) start = lines[i].find(',', start) + 1;
    kinds.push_back(lines[i].substr(start, lines[i].find(',', start) - start));
  }
  return kinds;
}

TEST(PathStates, KalvanePathWritesEveryStateOrTheRulesSubsetEndingOnTheReport) {
  scratch_folder folder;
  kalvane_test::write_file(folder / "input.txt", snapping_truss());
  kalvane::path::options o;
  o.dir = folder.path;
  for (std::size_t budget : {std::size_t{64} << 20, 6 * kalvane::path_state_bytes(3, 2)}) {
    o.states_budget = budget;
    const kalvane::path::outcome done = kalvane::path::run_path(o);
    ASSERT_EQ(done.status, 3) << done.summary;
    EXPECT_NE(done.summary.find("path.states"), std::string::npos) << done.summary;
    const auto kinds = kinds_of(read_file(folder / "path/path.csv"));
    const path_states s = kalvane::decode_path_states(read_file(folder / "path/path.states"), "path.states");
    ASSERT_EQ(s.nodes, 3u);
    ASSERT_EQ(s.bars, 2u);
    ASSERT_FALSE(s.states.empty());
    if (budget == std::size_t{64} << 20) {
      ASSERT_EQ(s.states.size(), kinds.size());
    } else {
      EXPECT_LT(s.states.size(), kinds.size());
      std::vector<std::size_t> must{0, kinds.size() - 1};
      for (std::size_t i = 0; i < kinds.size(); ++i)
        if (kinds[i] != "regular") must.insert(must.end(), {i - 1, i, i + 1});
      for (std::size_t row : must) {
        const bool kept = std::any_of(s.states.begin(), s.states.end(),
                                      [&](const path_state_record& r) { return r.row == row; });
        EXPECT_TRUE(kept) << "row " << row;
      }
    }
    // The start unloaded and unmoved; the end at full load, the report's state to the bit.
    EXPECT_EQ(s.states.front().row, 0u);
    const path_state_record& last = s.states.back();
    EXPECT_EQ(last.row + 1, kinds.size());
    EXPECT_EQ(last.load_factor, 1.0);
    ASSERT_EQ(last.displacement.size(), done.displacements.size());
    for (std::size_t k = 0; k < last.displacement.size(); ++k) EXPECT_EQ(last.displacement[k], done.displacements[k]);
    for (std::size_t e = 0; e < 2; ++e) {
      EXPECT_EQ(last.force[e], done.bars.force[e]);
      EXPECT_EQ(last.state[e], 0);  // the inverted truss hangs: both bars pulled
    }
    // Before the snap-through the apex goes down, pushing both bars; the forces are the
    // structure's law at that state: equal, by symmetry.
    const path_state_record& before = s.states[1];
    EXPECT_LT(before.displacement[5], 0.0);
    EXPECT_LT(before.force[0], 0.0);
    EXPECT_NEAR(before.force[0], before.force[1], 1e-9 * std::fabs(before.force[0]));
  }
}

}  // namespace
