// kalvane-path's run held in memory (as the Python module follows it): written when asked,
// it gives the program's bytes; an observer stops it at a point; its written state, rebuilt
// from its free displacements, is the same bits.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <filesystem>

#include "check_fixture.hpp"
#include "error.hpp"
#include "path/app.hpp"
#include "structure/model_file.hpp"
#include "support.hpp"

namespace {

using kalvane_test::read_file;
using kalvane_test::scratch_folder;

// The shallow two-bar truss of kalvane-path's own tests: steel in N and mm, half-span 2 m,
// rise 100 mm, 1000 mm2, loaded down at the apex.
std::string two_bar_truss(double load) {
  return check_test::input_text("Shallow two-bar truss", "0.9 20 1E-6 0.0 10000 5", "1 70000.0",
                                "3\nnode x y z\n1 0 0 0\n2 2000 0 100\n3 4000 0 0\n",
                                "2\nbar n1 n2 area\n1 1 2 1000\n2 2 3 1000\n",
                                "7\nnode c v\n1 1 0\n1 2 0\n1 3 0\n2 2 0\n3 1 0\n3 2 0\n3 3 0\n",
                                "1\nnode c v\n2 3 " + std::to_string(-load) + "\n");
}

kalvane::structure started(const std::string& text) {
  kalvane::structure s = kalvane::read_structure_text(text, kalvane::input_file_name);
  kalvane::path::start_structure(s);
  return s;
}

std::vector<std::string> folder_names(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

void expect_same_bits(const std::vector<double>& a, const std::vector<double>& b, const char* what) {
  ASSERT_EQ(a.size(), b.size()) << what;
  for (std::size_t i = 0; i < a.size(); ++i)
    EXPECT_EQ(std::bit_cast<std::uint64_t>(a[i]), std::bit_cast<std::uint64_t>(b[i])) << what << " " << i;
}

}  // namespace

TEST(PathMemory, ARunHeldInMemoryWritesTheProgramsBytesAndComesBackFromItsState) {
  namespace path = kalvane::path;
  // Past its snap load: a limit point and a jump on the way.
  const std::string input = two_bar_truss(15000.0);
  scratch_folder program;
  kalvane_test::write_file(program / "input.txt", input);
  path::options o;
  o.dir = program.path;
  const path::outcome written = path::run_path(o);

  scratch_folder memory;
  const path::path_run held = path::follow_run(started(input), kalvane::input_file_name, input, {});
  EXPECT_TRUE(folder_names(memory.path).empty());
  EXPECT_EQ(held.end.status, written.status);
  EXPECT_EQ(held.path.events.size(), 2u);
  const std::vector<std::string> names = path::write_run(held, memory.path);
  EXPECT_EQ(names, (std::vector<std::string>{"input.txt", "abaqusfile.inp", "autocad.scr", "output.txt", "bars.csv",
                                             "path.csv", "path.svg", "path.states"}));
  for (const std::string& name : names) EXPECT_EQ(read_file(memory / name), read_file(program / ("path/" + name))) << name;
  // Unwritten, the summary lists no files; below its first line (which names the model as
  // given) it is the program's.
  const path::outcome unwritten = path::outcome_of(held, held.facts);
  const auto body = [](const std::string& text) {
    const std::size_t first = text.find('\n') + 1;
    return text.substr(first, text.find("Wrote into") - first);
  };
  EXPECT_EQ(unwritten.summary.find("Wrote into"), std::string::npos);
  EXPECT_EQ(body(unwritten.summary), body(written.summary));
  expect_same_bits(unwritten.displacements, written.displacements, "displacements");

  const path::path_run restored = path::restore_run(started(input), kalvane::input_file_name, input, held.end.at,
                                                    path::free_displacements(held), held.written.base.iteration_count);
  const path::outcome again = path::state_of(restored);
  expect_same_bits(again.displacements, written.displacements, "displacements");
  expect_same_bits(again.bars.force, written.bars.force, "axial forces");
  expect_same_bits(again.bars.reaction, written.bars.reaction, "reactions");
  EXPECT_EQ(again.iterations, written.iterations);
  EXPECT_EQ(std::bit_cast<std::uint64_t>(again.energy), std::bit_cast<std::uint64_t>(written.energy));
  scratch_folder state;
  path::write_state_files(restored, state.path);
  for (const char* name : {"abaqusfile.inp", "autocad.scr", "output.txt", "bars.csv"})
    EXPECT_EQ(read_file(state / name), read_file(program / (std::string("path/") + name))) << name;
  EXPECT_THROW(path::restore_run(started(input), "input.txt", input, held.end.at, {1.0}, 0), kalvane::error);
}

TEST(PathMemory, AnObserverStopsThePathAtAPointAndTheRunSaysSo) {
  namespace path = kalvane::path;
  const std::string input = two_bar_truss(1000.0);
  int seen = 0;
  double third_load = -1.0;
  const path::path_run held =
      path::follow_run(started(input), kalvane::input_file_name, input, {},
                       [&](const kalvane::model& full, const path::curve_point& p, const kalvane::newton::vector& x) {
                         const std::vector<double> u = path::node_displacements(full, p.at, x);
                         EXPECT_EQ(u.size(), 9u);
                         EXPECT_EQ(u[0], 0.0);  // node 1 is held
                         if (++seen < 3) return kalvane::newton::path_control::go_on;
                         third_load = p.at.loads;
                         return kalvane::newton::path_control::stop;
                       });
  EXPECT_EQ(seen, 3);
  ASSERT_EQ(held.c.points.size(), 3u);
  EXPECT_EQ(held.path.outcome, kalvane::newton::path_outcome::stopped);
  EXPECT_EQ(held.end.kind, path::end_kind::stopped);
  EXPECT_EQ(held.end.status, path::no_stable_equilibrium);
  EXPECT_GT(third_load, 0.0);
  EXPECT_LT(third_load, 1.0);
  EXPECT_EQ(held.end.at.loads, third_load);  // the state written is the point it stopped at
  const std::string summary = path::outcome_of(held, held.facts).summary;
  EXPECT_NE(summary.find("stopped short of full load, as asked"), std::string::npos) << summary;
  EXPECT_NE(summary.find("the path was stopped there"), std::string::npos) << summary;
  EXPECT_EQ(summary.find("collapse"), std::string::npos) << summary;
  EXPECT_EQ(summary.find("stalled"), std::string::npos) << summary;
}
