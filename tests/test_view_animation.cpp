// The states the page plays: path.states checked against the folder's curve and model, and
// thinned to the page's budget keeping the start, the events with their sides, the report's
// state and the end.
#include <gtest/gtest.h>

#include <filesystem>

#include "check_fixture.hpp"
#include "error.hpp"
#include "support.hpp"
#include "view/animation.hpp"
#include "view/app.hpp"

namespace {

using kalvane::path_state_record;
using kalvane::path_states;
using kalvane::view::load_path;

// A curve of `rows` points with a limit point at 30 and a jump's ends at 60 and 61, and
// path.states holding every one of them, of a structure of 2 nodes and 1 bar.
struct path_fixture {
  load_path curve;
  path_states states;
  kalvane::view::scene shape;

  explicit path_fixture(std::size_t rows) {
    states.nodes = 2;
    states.bars = 1;
    shape.initial.resize(2);
    shape.bars.resize(1);
    for (std::size_t i = 0; i < rows; ++i) {
      kalvane::view::path_point p;
      p.kind = i == 30 ? "limit" : i == 60 || i == 61 ? "jump" : "regular";
      curve.points.push_back(p);
      path_state_record r;
      r.row = static_cast<uint32_t>(i);
      r.displacement.assign(6, static_cast<double>(i));
      r.force = r.stress = {1.0};
      r.state = {0};
      states.states.push_back(r);
    }
  }
};

std::vector<std::size_t> rows_of(const kalvane::view::animation& a) {
  std::vector<std::size_t> rows;
  for (const path_state_record& r : a.states) rows.push_back(r.row);
  return rows;
}

TEST(ViewAnimation, WithinTheBudgetEveryStatePlays) {
  path_fixture f(100);
  const auto a = kalvane::view::animation_of(f.states, f.curve, 99, 100 * kalvane::view::page_state_bytes(f.shape));
  EXPECT_EQ(a.states.size(), 100u);
  EXPECT_EQ(a.in_file, 100u);
}

TEST(ViewAnimation, BeyondTheBudgetTheEventsAndTheReportsStateStay) {
  path_fixture f(1000);
  for (std::size_t room : {2u, 20u, 200u}) {
    SCOPED_TRACE(room);
    const auto a = kalvane::view::animation_of(f.states, f.curve, 500, room * kalvane::view::page_state_bytes(f.shape));
    const auto rows = rows_of(a);
    EXPECT_EQ(a.in_file, 1000u);
    for (std::size_t row : {0, 29, 30, 31, 59, 60, 61, 62, 500, 999})
      EXPECT_TRUE(std::find(rows.begin(), rows.end(), row) != rows.end()) << row;
    EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end()));
    EXPECT_LE(rows.size(), std::max<std::size_t>(room, 10));
    EXPECT_GE(rows.size(), std::min<std::size_t>(room, 1000));
    // Each state is still its own row's.
    for (const path_state_record& r : a.states) EXPECT_EQ(r.displacement[0], static_cast<double>(r.row));
    if (room == 200) {  // spread over the path, no gap much wider than an even share
      std::size_t widest = 0;
      for (std::size_t i = 1; i < rows.size(); ++i) widest = std::max(widest, rows[i] - rows[i - 1]);
      EXPECT_LE(widest, 12u);
    }
  }
}

TEST(ViewAnimation, StatesOfAnotherRunAreRefused) {
  path_fixture f(10);
  const std::string bytes = kalvane::encode_path_states(f.states);
  EXPECT_NO_THROW(kalvane::view::read_states(bytes, "run/path.states", f.shape, f.curve));
  const auto refused = [&](const kalvane::view::scene& shape, const load_path& curve, const std::string& words) {
    try {
      kalvane::view::read_states(bytes, "run/path.states", shape, curve);
      ADD_FAILURE() << "accepted";
    } catch (const kalvane::error& e) {
      const std::string what = e.what();
      EXPECT_NE(what.find("run/path.states"), std::string::npos) << what;
      EXPECT_NE(what.find(words), std::string::npos) << what;
    }
  };
  kalvane::view::scene bigger = f.shape;
  bigger.initial.resize(3);
  refused(bigger, f.curve, "the model has 3");
  load_path shorter = f.curve;
  shorter.points.resize(5);
  refused(f.shape, shorter, "path.csv has 5 rows");
}

// kalvane-view --html on a run folder.
kalvane::view::view_run html_of(const std::string& run) {
  return kalvane::view::run_view(kalvane::view::parse_options({"--dir", run, "--html"}));
}

TEST(ViewAnimation, APageOfAPathPlaysItsStatesUnlessTheyAreOlderThanTheReport) {
  kalvane_test::scratch_folder folder;
  kalvane_test::write_file(folder / "input.txt", check_test::input_text(
      "Bar", "0.9 20 1E-6 0.0 1000 5", "1 10.0", "2\nnode x y z\n1 0 0 0\n2 1 0 0\n", "1\nbar n1 n2 area\n1 1 2 1.0\n",
      "5\nnode c v\n1 1 0\n1 2 0\n1 3 0\n2 2 0\n2 3 0\n", "1\nnode c v\n2 1 2.0\n"));
  kalvane_test::program_run path;
  path.program = kalvane_test::path_exe();
  path.folder = folder.path;
  ASSERT_EQ(kalvane_test::run_program(path).status, 0);
  const std::string run = folder / "path";
  EXPECT_TRUE(html_of(run).notes.empty());
  EXPECT_NE(kalvane_test::read_file(run + "/kalvane.html").find("\"animation\":{\"rows\":[0,"), std::string::npos);
  // A report written after the states (kalvane run again in the folder) leaves them out.
  namespace fs = std::filesystem;
  fs::last_write_time(run + "/path.states", fs::last_write_time(run + "/output.txt") - std::chrono::seconds(5));
  const auto done = html_of(run);
  ASSERT_EQ(done.notes.size(), 1u);
  EXPECT_NE(done.notes[0].find("path.states is older than output.txt"), std::string::npos) << done.notes[0];
  EXPECT_EQ(kalvane_test::read_file(run + "/kalvane.html").find("\"animation\":"), std::string::npos);
}

}  // namespace
