// kalvane-form as a user runs it: a net found from its target forces, materialised into an
// analysis model that starts in equilibrium at the shape found (kalvane-path moves it by
// rounding only), the files it writes read back, bad input refused with a clear message.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "error.hpp"
#include "form/app.hpp"
#include "form/materialise.hpp"
#include "newton/newton.hpp"
#include "newton/system.hpp"
#include "run.hpp"
#include "structure/law.hpp"
#include "structure/model_file.hpp"
#include "support.hpp"

namespace {

using kalvane_test::program_result;
using kalvane_test::read_file;
using kalvane_test::scratch_folder;

program_result run(const std::string& program, const scratch_folder& folder, std::vector<std::string> args = {}) {
  kalvane_test::program_run r;
  r.program = program;
  r.args = std::move(args);
  r.folder = folder.path;
  return kalvane_test::run_program(r);
}

// A 5 x 5 cable net one unit apart, its edge held on a saddle z = 0.4 (x - 2)(y - 2) / 4,
// its interior drawn flat. The bars around the centre node (node 13) are Neo-Hooke rubber
// with target forces of 3; every other bar is a steel cable of density 1. A load of 0.5
// down at the centre acts in the form-finding only when `loaded`.
std::string saddle_net(const std::string& form_extra = "", bool loaded = false) {
  std::string nodes, bars, prescribed;
  const int m = 5;
  const auto id = [&](int i, int j) { return j * m + i + 1; };
  for (int j = 0; j < m; ++j)
    for (int i = 0; i < m; ++i) {
      const bool edge = i == 0 || j == 0 || i == m - 1 || j == m - 1;
      const double z = edge ? 0.4 * (i - 2) * (j - 2) / 4.0 : 0.0;
      nodes += std::string(nodes.empty() ? "" : ",\n") + "[" + std::to_string(i) + ", " + std::to_string(j) + ", " +
               std::to_string(z) + "]";
      if (edge)
        prescribed += std::string(prescribed.empty() ? "" : ",\n") + "{\"node\": " + std::to_string(id(i, j)) +
                      ", \"x\": 0, \"y\": 0, \"z\": 0}";
    }
  std::vector<int> centre_bars;
  const auto bar = [&](int a, int b) {
    const bool centre = a == id(2, 2) || b == id(2, 2);
    bars += std::string(bars.empty() ? "" : ",\n") + "{\"nodes\": [" + std::to_string(a) + ", " + std::to_string(b) +
            "], " + (centre ? "\"area\": 0.01, \"material\": \"rubber\"}"
                            : "\"area\": 0.0001, \"material\": \"steel\", \"behaviour\": \"cable\"}");
    if (centre) centre_bars.push_back(static_cast<int>(std::count(bars.begin(), bars.end(), '\n')) + 1);
  };
  for (int j = 0; j < m; ++j)
    for (int i = 0; i < m; ++i) {
      if (i + 1 < m) bar(id(i, j), id(i + 1, j));
      if (j + 1 < m) bar(id(i, j), id(i, j + 1));
    }
  std::string centre;
  for (int b : centre_bars) centre += (centre.empty() ? "" : ", ") + std::to_string(b);
  return "{\"format\": \"kalvane-model\", \"version\": 1, \"title\": \"Saddle <net>\",\n"
         "\"materials\": [{\"name\": \"steel\", \"law\": \"linear-elastic\", \"E\": 210000000},\n"
         "              {\"name\": \"rubber\", \"law\": \"neo-hooke\", \"c1\": 1000}],\n"
         "\"nodes\": [" + nodes + "],\n\"bars\": [" + bars + "],\n\"prescribed\": [" + prescribed +
         "],\n\"loads\": [{\"node\": 13, \"z\": -0.5}],\n"
         "\"form\": {\"density\": 1, \"tolerance\": 1e-9, " + (loaded ? "\"loaded\": true, " : "") + form_extra +
         "\"groups\": [{\"bars\": [" + centre + "], \"force\": 3}]}}\n";
}

// The structure of a model file, started and prepared as every companion prepares it.
kalvane::structure prepared(const std::string& path) {
  kalvane::structure s = kalvane::read_structure(path);
  kalvane::run_plan starting;
  starting.first = starting.last = kalvane::stage::start;
  kalvane::run(s.base, starting);
  kalvane::prepare(s);
  return s;
}

double largest(const kalvane::newton::vector& v) {
  double m = 0.0;
  for (double x : v) m = std::max(m, std::fabs(x));
  return m;
}

TEST(FormApp, TargetForcesMetAndTheAnalysisModelStartsInEquilibrium) {
  for (bool loaded : {false, true}) {
    SCOPED_TRACE(loaded ? "loaded" : "unloaded");
    scratch_folder folder;
    kalvane_test::write_file(folder / "model.json", saddle_net("", loaded));
    const program_result found = run(kalvane_test::form_exe(), folder);
    ASSERT_EQ(found.status, 0) << found.out << found.err;
    EXPECT_NE(found.out.find("form: found"), std::string::npos) << found.out;
    EXPECT_NE(found.out.find("model.json form.csv form.svg"), std::string::npos) << found.out;

    // The centre's bars carry their target forces, at rest lengths their laws give.
    const kalvane::structure a = kalvane::read_structure(folder / "form/model.json");
    EXPECT_FALSE(a.form);
    const kalvane::structure s = prepared(folder / "form/model.json");
    const kalvane::newton::vector at_drawn(static_cast<std::size_t>(s.base.free_count), 0.0);
    const kalvane::newton::results r = kalvane::newton::results_at(s, at_drawn);
    int centre = 0;
    for (int32_t b = 1; b <= kalvane::bar_count(s.base); ++b)
      if (kalvane::material_of(s, b).name == "rubber") {
        ++centre;
        EXPECT_NEAR(r.force[static_cast<std::size_t>(b - 1)], 3.0, 3e-9) << "bar " << b;
        EXPECT_GT(r.stretch[static_cast<std::size_t>(b - 1)], 1.05) << "bar " << b;  // rubber stretched
      }
    EXPECT_EQ(centre, 4);

    // Unloaded (or under the loads the form carried), the drawn shape is in equilibrium:
    // the out-of-balance forces are rounding against the bars' forces (3 kN at most), as
    // D's conditioning amplifies it in the shape's solve: a few thousand units in the last
    // place, whichever order the solve's sums take.
    kalvane::structure balance = s;
    if (!loaded)
      for (int32_t k = 1; k <= balance.base.node_count; ++k)
        for (int c = 1; c <= 3; ++c) balance.base.loads(k, c) = 0.0;
    const kalvane::newton::state at = kalvane::newton::evaluate(balance, at_drawn);
    EXPECT_LT(largest(at.gradient), 1e-11 * 3.0);

    if (!loaded) {
      // kalvane-path on the analysis model with its loads left out moves nothing beyond rounding.
      std::string text = read_file(folder / "form/model.json");
      text.replace(text.find(",\n  \"loads\""), text.find("\n}\n") - text.find(",\n  \"loads\""), "");
      kalvane_test::write_file(folder / "unloaded.json", text);
      const program_result path =
          run(kalvane_test::path_exe(), folder, {"--model", "unloaded.json", "--out", "analysed"});
      ASSERT_EQ(path.status, 0) << path.out << path.err;
      const std::string report = read_file(folder / "analysed/bars.csv");
      ASSERT_FALSE(report.empty());
      const std::size_t moved = path.out.find(" moved ");
      ASSERT_NE(moved, std::string::npos) << path.out;
      EXPECT_LT(std::fabs(std::stod(path.out.substr(moved + 7))), 1e-12) << path.out;
      // kalvane-check certifies that state: its displacements are all rounding, and their
      // digits are not judged against a largest entry that is rounding too.
      const program_result check = run(kalvane_test::check_exe(), folder, {"--dir", "analysed"});
      EXPECT_EQ(check.status, 0) << check.out << check.err;
      EXPECT_NE(check.out.find("verdict: certified"), std::string::npos) << check.out;
    }
  }
}

TEST(FormApp, WrittenFilesReadBack) {
  scratch_folder folder;
  kalvane_test::write_file(folder / "model.json", saddle_net());
  ASSERT_EQ(run(kalvane_test::form_exe(), folder, {"--out", "found"}).status, 0);
  const kalvane::structure given = kalvane::read_structure(folder / "model.json");
  const kalvane::structure a = kalvane::read_structure(folder / "found/model.json");
  // Supports, loads, materials and title as given; a rest length for every bar.
  EXPECT_EQ(a.title, given.title);
  ASSERT_EQ(a.materials.size(), 2u);
  EXPECT_EQ(a.base.loads(13, 3), -0.5);
  for (int32_t k = 1; k <= a.base.node_count; ++k)
    for (int c = 1; c <= 3; ++c) EXPECT_EQ(a.base.dof_map(k, c), given.base.dof_map(k, c));
  for (int32_t k : {1, 5, 21, 25}) EXPECT_EQ(a.base.z0(k), given.base.z0(k));
  EXPECT_LT(a.base.z0(13), 0.0 + 1e-12);  // drawn flat, found on the saddle's centre
  for (const kalvane::member& mem : a.members) {
    ASSERT_TRUE(mem.rest_length);
    EXPECT_FALSE(mem.prestress);
  }
  // form.csv: a row per bar, its rest length equal to the model's to the last digit.
  const std::string csv = read_file(folder / "found/form.csv");
  const auto rows = kalvane_test::lines_of(csv);
  ASSERT_EQ(rows.size(), a.members.size() + 1);
  const std::string& row = rows[1];
  EXPECT_EQ(std::stod(row.substr(row.rfind(',') + 1)), *a.members[0].rest_length);
  // The title is escaped in the picture.
  const std::string svg = read_file(folder / "found/form.svg");
  EXPECT_NE(svg.find("Saddle &lt;net&gt;"), std::string::npos);
  EXPECT_EQ(svg.find("Saddle <net>"), std::string::npos);

  // The form section itself round-trips through the writer.
  const kalvane::structure again = kalvane::read_model_text(kalvane::model_file_text(given), "again.json");
  ASSERT_TRUE(again.form);
  EXPECT_EQ(again.form->tolerance, 1e-9);
  ASSERT_EQ(again.form->groups.size(), 1u);
  EXPECT_EQ(again.form->groups[0].bars, given.form->groups[0].bars);
  EXPECT_EQ(again.form->groups[0].force, 3.0);
  EXPECT_EQ(kalvane::model_file_text(again), kalvane::model_file_text(given));
}

TEST(FormApp, UnmetTargetsWriteTheBestShapeAndNameTheBars) {
  // Bar 1 joins two held nodes: its length is fixed, so a target length other than its
  // drawn one cannot be met.
  scratch_folder folder;
  std::string text = saddle_net();
  text.replace(text.find("\"groups\": ["), 11, "\"groups\": [{\"bars\": [1], \"length\": 2},");
  kalvane_test::write_file(folder / "model.json", text);
  const program_result r = run(kalvane_test::form_exe(), folder);
  EXPECT_EQ(r.status, 2) << r.out << r.err;
  EXPECT_NE(r.out.find("targets not met"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("worst bars (the best shape found is written):\n  bar 1: length 1.0198"), std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("wanted 2: both its ends are held"), std::string::npos) << r.out;
  EXPECT_FALSE(read_file(folder / "form/model.json").empty());
}

// A folder where form.csv goes stops the run before any of its three files replaces the
// folder's own: the model found last time stays, with no temporary file beside it.
TEST(FormApp, AFileThatCannotBeWrittenLeavesTheFolderAsItWas) {
  scratch_folder folder;
  kalvane_test::write_file(folder / "model.json", saddle_net());
  std::filesystem::create_directories(folder / "form/form.csv");
  kalvane_test::write_file(folder / "form/model.json", "the last run's");
  const program_result r = run(kalvane_test::form_exe(), folder);
  EXPECT_EQ(r.status, 1) << r.out << r.err;
  EXPECT_NE(r.err.find("form/form.csv: " + std::string(std::strerror(EISDIR))), std::string::npos) << r.err;
  EXPECT_EQ(read_file(folder / "form/model.json"), "the last run's");
  EXPECT_EQ(kalvane_test::folder_entries(folder / "form"), (std::vector<std::string>{"form.csv", "model.json"}));
}

// The message of a run refused as bad input, and the error's name.
std::string refusal_by(const std::string& program, const scratch_folder& folder,
                       const std::vector<std::string>& args = {}, std::string* name = nullptr) {
  const program_result r = run(program, folder, args);
  EXPECT_EQ(r.status, 1) << r.out << r.err;
  std::string found, message;
  EXPECT_TRUE(kalvane_test::parse_error_report(r.err, found, message)) << r.err;
  if (name) *name = found;
  return message;
}

std::string refusal(const scratch_folder& folder, const std::vector<std::string>& args = {}) {
  return refusal_by(kalvane_test::form_exe(), folder, args);
}

std::string two_struts(const std::string& material) {
  // Two bars in a line between held ends, both pushed (density -1): 1 unit of compression each.
  return "{\"format\": \"kalvane-model\", \"version\": 1, \"materials\": [" + material +
         "], \"nodes\": [[0, 0, 0], [0.3, 0.2, 0], [2, 0, 0]], "
         "\"bars\": [{\"nodes\": [1, 2], \"area\": 0.5}, {\"nodes\": [2, 3], \"area\": 0.5}], "
         "\"prescribed\": [{\"node\": 1, \"x\": 0, \"y\": 0, \"z\": 0}, {\"node\": 3, \"x\": 0, \"y\": 0, \"z\": 0}], "
         "\"form\": {\"density\": -1}}";
}

TEST(FormApp, BadInputIsRefusedNamingTheCause) {
  scratch_folder folder;
  // A force the bar's law cannot carry: steel of E A = 0.5 squeezed by 1.
  kalvane_test::write_file(folder / "model.json", two_struts("{\"name\": \"soft\", \"law\": \"linear-elastic\", \"E\": 1}"));
  std::string why = refusal(folder);
  EXPECT_NE(why.find("bar 1"), std::string::npos) << why;
  EXPECT_NE(why.find("cannot carry"), std::string::npos) << why;
  // The same struts of rubber carry it: found, compressed below their rest lengths.
  // A net drawn in coordinates so small that its bars' lengths underflow to 0 would be
  // written with rest lengths of 0, which no analysis takes: refused here, naming the bar.
  std::string tiny = two_struts("{\"name\": \"steel\", \"law\": \"linear-elastic\", \"E\": 1000}");
  tiny.replace(tiny.find("[[0, 0, 0], [0.3, 0.2, 0], [2, 0, 0]]"), 37, "[[0, 0, 0], [3e-300, 2e-300, 0], [2e-299, 0, 0]]");
  kalvane_test::write_file(folder / "model.json", tiny);
  why = refusal(folder);
  EXPECT_NE(why.find("bar 1 (line 1) is 0 long in the shape found"), std::string::npos) << why;
  EXPECT_NE(why.find("units"), std::string::npos) << why;
  // A bar whose ends the densities draw to one point (a node free in X only, no load: its one
  // bar pulls it onto the support) is refused for that, not for the model's units.
  kalvane_test::write_file(
      folder / "model.json",
      "{\"format\": \"kalvane-model\", \"version\": 1, \"materials\": [{\"name\": \"steel\", \"law\": "
      "\"linear-elastic\", \"E\": 1000}], \"nodes\": [[0, 0, 0], [1, 0, 0]], \"bars\": [{\"nodes\": [1, 2], "
      "\"area\": 0.5}], \"prescribed\": [{\"node\": 1, \"x\": 0, \"y\": 0, \"z\": 0}, {\"node\": 2, \"y\": 0, "
      "\"z\": 0}]}");
  why = refusal(folder);
  EXPECT_NE(why.find("bar 1 (line 1) is 0 long in the shape found: the densities draw its ends, nodes 1 and 2, to one "
                     "point"),
            std::string::npos)
      << why;
  EXPECT_EQ(why.find("units"), std::string::npos) << why;
  // A node hung from a cable by one bar and no load is drawn onto the cable's node, to the
  // rounding of the solve (6e-16 apart, not 0): refused as drawn to one point, not written
  // with a rest length of 6e-16 that leaves the analysis a mechanism there.
  {
    std::string nodes, bars = "{\"nodes\": [3, 10], \"area\": 1e-4, \"behaviour\": \"cable\"}",
                       held = "{\"node\": 1, \"x\": 0, \"y\": 0, \"z\": 0}, {\"node\": 9, \"x\": 0, \"y\": 0, \"z\": 0}",
                       loads;
    for (int i = 0; i <= 8; ++i) nodes += "[" + std::to_string(i) + ", 0, 0], ";
    for (int i = 1; i <= 8; ++i)
      bars += ", {\"nodes\": [" + std::to_string(i) + ", " + std::to_string(i + 1) + "], \"area\": 1e-4}";
    for (int i = 2; i <= 8; ++i) {
      held += ", {\"node\": " + std::to_string(i) + ", \"y\": 0}";
      loads += std::string(i > 2 ? ", " : "") + "{\"node\": " + std::to_string(i) + ", \"z\": -1}";
    }
    kalvane_test::write_file(folder / "model.json",
                             "{\"format\": \"kalvane-model\", \"version\": 1, \"materials\": [{\"name\": \"steel\", "
                             "\"law\": \"linear-elastic\", \"E\": 2.1e8}], \"nodes\": [" + nodes + "[3, 3, 3]], \"bars\": [" +
                                 bars + "], \"prescribed\": [" + held + "], \"loads\": [" + loads +
                                 "], \"form\": {\"density\": 2, \"loaded\": true}}");
    why = refusal(folder);
    EXPECT_NE(why.find("bar 1 (line 1) is "), std::string::npos) << why;
    EXPECT_NE(why.find(" long in the shape found: the densities draw its ends, nodes 3 and 10, to one point"),
              std::string::npos)
        << why;
  }
  // Two supports drawn at one point: they, not the densities, leave the bar no length.
  kalvane_test::write_file(
      folder / "model.json",
      "{\"format\": \"kalvane-model\", \"version\": 1, \"materials\": [{\"name\": \"steel\", \"law\": "
      "\"linear-elastic\", \"E\": 1000}], \"nodes\": [[0, 0, 0], [0, 0, 0], [1, 0, 0]], \"bars\": [{\"nodes\": "
      "[1, 2], \"area\": 0.5}, {\"nodes\": [2, 3], \"area\": 0.5}], \"prescribed\": [{\"node\": 1, \"x\": 0, "
      "\"y\": 0, \"z\": 0}, {\"node\": 2, \"x\": 0, \"y\": 0, \"z\": 0}, {\"node\": 3, \"x\": 0, \"y\": 0, "
      "\"z\": 0}]}");
  why = refusal(folder);
  EXPECT_NE(why.find("bar 1 (line 1) is 0 long in the shape found: its ends, nodes 1 and 2, are held at one point"),
            std::string::npos)
      << why;
  kalvane_test::write_file(folder / "model.json", two_struts("{\"name\": \"rubber\", \"law\": \"neo-hooke\", \"c1\": 1}"));
  ASSERT_EQ(run(kalvane_test::form_exe(), folder).status, 0);
  const kalvane::structure struts = kalvane::read_structure(folder / "form/model.json");
  EXPECT_DOUBLE_EQ(struts.base.x0(2), 1.0);
  EXPECT_GT(*struts.members[0].rest_length, 1.0);

  // A strut that is a cable.
  std::string text = two_struts("{\"name\": \"steel\", \"law\": \"linear-elastic\", \"E\": 1}");
  text.replace(text.find("\"area\": 0.5}"), 12, "\"area\": 0.5, \"behaviour\": \"cable\"}");
  kalvane_test::write_file(folder / "model.json", text);
  why = refusal(folder);
  EXPECT_NE(why.find("bar 1"), std::string::npos) << why;

  // The form section checked as the rest of the file: an unknown key, a bar out of range,
  // a bar given two targets, each with its line and column.
  const std::vector<std::pair<std::string, std::string>> slips = {
      {"\"densty\": 2, ", "unknown key \"densty\""},
      {"\"groups\": [{\"bars\": [41], \"density\": 2}], ", "bar 41 is outside 1..40"},
      // A group's values refused where they stand, the group named.
      {"\"groups\": [{\"bars\": [2, 1.5], \"density\": 2}], ", ":86:34: form: groups[0]: \"bars\" holds the number 1.5"},
      {"\"groups\": [{\"bars\": [2], \"density\": \"2\"}], ", ":86:46: form: groups[0]: \"density\" must be a number"},
  };
  for (const auto& [extra, expected] : slips) {
    std::string net = saddle_net();
    net.replace(net.find("\"density\": 1, "), 14, extra);
    if (extra.find("groups") != std::string::npos) net.replace(net.rfind(", \"groups\""), std::string::npos, "}}\n");
    kalvane_test::write_file(folder / "model.json", net);
    why = refusal(folder);
    EXPECT_NE(why.find(expected), std::string::npos) << why;
    EXPECT_NE(why.find("model.json:86:"), std::string::npos) << why;
  }
  std::string twice = saddle_net();
  twice.replace(twice.find("\"groups\": ["), 11, "\"groups\": [{\"bars\": [1], \"length\": 2}, {\"bars\": [1], \"force\": 2},");
  kalvane_test::write_file(folder / "model.json", twice);
  EXPECT_NE(refusal(folder).find("is given a target twice"), std::string::npos);

  // A node no bar reaches; a support prescribed away from where it is drawn.
  text = saddle_net();
  text.replace(text.find("],\n\"bars\""), 0, ", [9, 9, 9]");
  kalvane_test::write_file(folder / "model.json", text);
  why = refusal(folder);
  EXPECT_NE(why.find("node 26"), std::string::npos) << why;
  text = saddle_net();
  const std::string support = "{\"node\": 1, \"x\": 0";
  text.replace(text.find(support), support.size(), "{\"node\": 1, \"x\": 0.5");
  kalvane_test::write_file(folder / "model.json", text);
  why = refusal(folder);
  EXPECT_NE(why.find("node 1 has a prescribed displacement of 0.5"), std::string::npos) << why;

  // The analysis model never overwrites the model it comes from.
  const std::string original = saddle_net();
  kalvane_test::write_file(folder / "model.json", original);
  why = refusal(folder, {"--out", "."});
  EXPECT_NE(why.find("would overwrite"), std::string::npos) << why;
  EXPECT_EQ(read_file(folder / "model.json"), original);
  // Nor lies beside it, where the next run in that folder could read it in its place.
  kalvane_test::write_file(folder / "net.json", original);
  why = refusal(folder, {"--model", "net.json", "--out", "."});
  EXPECT_NE(why.find("holds the model read"), std::string::npos) << why;
  EXPECT_EQ(read_file(folder / "model.json"), original);
}

// A tripod in kalvane's input.txt: nodes 1 to 3 held, node 4 loaded; bar 2 on line 17.
std::string tripod_input(const std::string& material = "1  1000.0", const std::string& bar_2 = "2  2  4  0.01") {
  return "Tripod\n: settings\n0.9  20  1e-6  0.0  1000  5\n: material\n" + material +
         "\n: nodes\n4\nnode x y z\n1  0.0  0.0  0.0\n2  2.0  0.0  0.0\n3  1.0  1.7  0.0\n4  1.0  0.6  1.5\n"
         ": bars\n3\nbar node1 node2 area\n1  1  4  0.01\n" + bar_2 + "\n3  3  4  0.01\n"
         ": prescribed\n9\nnode component value\n1 1 0.0\n1 2 0.0\n1 3 0.0\n2 1 0.0\n2 2 0.0\n2 3 0.0\n"
         "3 1 0.0\n3 2 0.0\n3 3 0.0\n: loads\n1\nnode component value\n4 3 -1.0\n";
}

// The same tripod as a model file of steel: bar 1, on line 5, takes `bar_1`'s keys too; the
// form section, when given, is on line 9.
std::string tripod_model(const std::string& bar_1 = "", const std::string& form = "") {
  return "{\"format\": \"kalvane-model\", \"version\": 1,\n"
         "\"materials\": [{\"name\": \"steel\", \"law\": \"linear-elastic\", \"E\": 200000}],\n"
         "\"nodes\": [[0, 0, 0], [2, 0, 0], [1, 1.7, 0], [1, 0.6, 1.5]],\n\"bars\": [\n"
         "{\"nodes\": [1, 4], \"area\": 0.01" + bar_1 + "},\n"
         "{\"nodes\": [2, 4], \"area\": 0.01}, {\"nodes\": [3, 4], \"area\": 0.01}],\n"
         "\"prescribed\": [{\"node\": 1, \"x\": 0, \"y\": 0, \"z\": 0}, {\"node\": 2, \"x\": 0, \"y\": 0, \"z\": 0}, "
         "{\"node\": 3, \"x\": 0, \"y\": 0, \"z\": 0}],\n"
         "\"loads\": [{\"node\": 4, \"z\": -1}]" + (form.empty() ? "" : ",\n" + form) + "}\n";
}

TEST(FormApp, ValuesWithoutPhysicalSenseAreRefusedInKalvanePathsWords) {
  // An input.txt is read as kalvane takes it; a companion refuses what has no physical sense,
  // naming the file and the bar or material, before any folder is made.
  struct slip {
    const char* file;
    std::string text, expected;
  };
  const slip slips[] = {
      {"input.txt", tripod_input("2  5.0  -5.0"),
       "input.txt: material \"material\": c1 + c2 must be positive and finite, not 5 + -5"},
      {"input.txt", tripod_input("1  0.0"), "input.txt: material \"material\": c1 must be positive and finite, not 0"},
      {"input.txt", tripod_input("1  1000.0", "2  2  4  -0.01"),
       "input.txt: bar 2 (line 17): the area must be positive and finite, not -0.01"},
      {"input.txt", tripod_input("1  1000.0", "2  2  4  0"),
       "input.txt: bar 2 (line 17): the area must be positive and finite, not 0"},
      // A prestress no stretch carries, though form-finding gives each bar its own rest length.
      {"model.json", tripod_model(", \"behaviour\": \"cable\", \"prestress\": -5"),
       "model.json: bar 1 (line 5): a prestress of -5 cannot be carried by a cable of linear elastic material \"steel\""},
      {"model.json", tripod_model(", \"prestress\": -1e9"),
       "model.json: bar 1 (line 5): a prestress of -1e+09 cannot be carried by a bar of linear elastic material "
       "\"steel\""},
  };
  for (const slip& s : slips) {
    SCOPED_TRACE(s.expected);
    scratch_folder folder;
    kalvane_test::write_file(folder / s.file, s.text);
    std::string name;
    const std::string why = refusal_by(kalvane_test::form_exe(), folder, {}, &name);
    EXPECT_TRUE(why.ends_with(s.expected)) << why;
    EXPECT_EQ(name, kalvane::data_error);
    EXPECT_EQ(why, refusal_by(kalvane_test::path_exe(), folder));
    EXPECT_FALSE(kalvane_test::file_exists(folder / "form"));
  }
}

TEST(FormApp, RefusalsNameTheFileAndThePlaceOfTheValue) {
  struct slip {
    const char* file;
    std::string text, expected;
    const char* name = kalvane::data_error;
  };
  const std::string cable = ", \"behaviour\": \"cable\"";
  const slip slips[] = {
      // A bar's ends at the bar's line.
      {"input.txt", tripod_input("1  1000.0", "2  4  4  0.01"), "input.txt:17: bar 2 joins node 4 to itself"},
      {"input.txt", tripod_input("1  1000.0", "2  2  9  0.01"), "input.txt:17: bar 2 names node 9, but there are 4 nodes",
       kalvane::index_error},
      // The form section's values where they stand, and the group that gives them.
      {"model.json", tripod_model("", "\"form\": {\"tolerance\": 0}"),
       "model.json:9:23: form: the tolerance on the targets must be a positive number, not 0"},
      {"model.json", tripod_model("", "\"form\": {\"max_iterations\": -5}"),
       "model.json:9:28: form: the iteration limit must be at least 1, not -5"},
      {"model.json", tripod_model("", "\"form\": {\"density\": 0}"),
       "model.json:9:21: form: bar 1 has a force density of zero: it would carry nothing and hold nothing"},
      {"model.json", tripod_model(cable, "\"form\": {\"density\": -1}"),
       "model.json:9:21: form: bar 1 is a cable with the negative force density -1"},
      {"model.json", tripod_model("", "\"form\": {\"groups\": [{\"bars\": [2], \"density\": 2}, {\"bars\": [1], \"length\": 0}]}"),
       "model.json:9:74: form: groups[1]: bar 1 has the target length 0: a length must be positive and finite"},
      {"model.json", tripod_model(cable, "\"form\": {\"groups\": [{\"bars\": [1, 3], \"force\": -1}]}"),
       "model.json:9:47: form: groups[0]: bar 1 is a cable with the target force -1: a cable cannot push"},
      // A model of nothing.
      {"model.json",
       "{\"format\": \"kalvane-model\", \"version\": 1, \"materials\": [{\"name\": \"steel\", \"law\": "
       "\"linear-elastic\", \"E\": 1}], \"nodes\": [], \"bars\": []}",
       "model.json: the model has no nodes"},
  };
  // Each refused before the folder --out names is made.
  for (const slip& s : slips) {
    SCOPED_TRACE(s.expected);
    scratch_folder folder;
    kalvane_test::write_file(folder / s.file, s.text);
    std::string name;
    EXPECT_NE(refusal_by(kalvane_test::form_exe(), folder, {"--out", "made/for/it"}, &name).find(s.expected),
              std::string::npos)
        << refusal_by(kalvane_test::form_exe(), folder);
    EXPECT_EQ(name, s.name);
    EXPECT_FALSE(kalvane_test::file_exists(folder / "made"));
  }
}

// A run refused once the folder --out names is made removes what it made, and only that.
TEST(FormApp, ARunRefusedLeavesNoFolderItMade) {
  // Refused only by the shape found, after the folder was made: a force its steel cannot carry.
  scratch_folder folder;
  kalvane_test::write_file(folder / "model.json",
                           two_struts("{\"name\": \"soft\", \"law\": \"linear-elastic\", \"E\": 1}"));
  EXPECT_NE(refusal(folder, {"--out", "made/for/it"}).find("cannot carry"), std::string::npos);
  EXPECT_FALSE(kalvane_test::file_exists(folder / "made"));
  // A folder that was there stays, empty as it was.
  std::filesystem::create_directory(folder / "kept");
  refusal(folder, {"--out", "kept/out"});
  EXPECT_TRUE(kalvane_test::file_exists(folder / "kept"));
  EXPECT_FALSE(kalvane_test::file_exists(folder / "kept/out"));
}

}  // namespace

TEST(FormApp, ACableFoundUnderItsLoadsIsAnalysedWithThemFromItsShape) {
  // Six steel cables between two supports, found under five unit loads: their rest lengths
  // hold the hanging shape only with the loads, so the staged path (prestress first) cannot
  // start, and says why; raised together, the loads and the prestress keep the cable in the
  // shape found all the way, and the result is certified.
  scratch_folder folder;
  std::string nodes, bars, loads, prescribed = "{\"node\": 1, \"x\": 0, \"y\": 0, \"z\": 0}, {\"node\": 7, \"x\": 0, \"y\": 0, \"z\": 0}";
  for (int i = 0; i < 7; ++i) nodes += std::string(i ? ", " : "") + "[" + std::to_string(i) + ", 0, 0]";
  for (int i = 1; i < 7; ++i)
    bars += std::string(i > 1 ? ", " : "") + "{\"nodes\": [" + std::to_string(i) + ", " + std::to_string(i + 1) +
            "], \"area\": 0.0001, \"material\": \"steel\", \"behaviour\": \"cable\"}";
  for (int i = 2; i < 7; ++i) {
    loads += std::string(i > 2 ? ", " : "") + "{\"node\": " + std::to_string(i) + ", \"z\": -1}";
    prescribed += ", {\"node\": " + std::to_string(i) + ", \"y\": 0}";
  }
  kalvane_test::write_file(folder / "model.json",
                           "{\"format\": \"kalvane-model\", \"version\": 1, \"title\": \"Hanging cable\",\n"
                           "\"materials\": [{\"name\": \"steel\", \"law\": \"linear-elastic\", \"E\": 210000000}],\n"
                           "\"nodes\": [" + nodes + "],\n\"bars\": [" + bars + "],\n\"prescribed\": [" + prescribed +
                           "],\n\"loads\": [" + loads + "],\n\"form\": {\"density\": 5, \"loaded\": true}}\n");
  const program_result found = run(kalvane_test::form_exe(), folder);
  ASSERT_EQ(found.status, 0) << found.out << found.err;

  const program_result staged = run(kalvane_test::path_exe(), folder, {"--dir", "form", "--out", "staged"});
  EXPECT_EQ(staged.status, 2) << staged.out << staged.err;
  EXPECT_NE(staged.out.find("the prestress stage could not start"), std::string::npos) << staged.out;
  EXPECT_NE(staged.out.find("--loading together"), std::string::npos) << staged.out;

  const program_result together =
      run(kalvane_test::path_exe(), folder, {"--dir", "form", "--out", "together", "--loading", "together"});
  ASSERT_EQ(together.status, 0) << together.out << together.err;
  const std::size_t moved = together.out.find(" moved ");
  ASSERT_NE(moved, std::string::npos) << together.out;
  EXPECT_LT(std::fabs(std::stod(together.out.substr(moved + 7))), 1e-12) << together.out;

  const program_result certified =
      run(kalvane_test::check_exe(), folder, {"--dir", "together", "--loading", "together"});
  EXPECT_EQ(certified.status, 0) << certified.out << certified.err;
  // Checked with the staged path, the verdict names the loading that would confirm it.
  const program_result refused = run(kalvane_test::check_exe(), folder, {"--dir", "together"});
  EXPECT_NE(refused.status, 0) << refused.out;
  EXPECT_NE(refused.out.find("--loading together checks the path"), std::string::npos) << refused.out;
}

// A planar cross of cables with struts of density -2 on its diagonals, held at the ends of
// one strut and loaded at the other two: D is regular but indefinite and has no pivot to
// start an LDL^T with, so a QR solves it and its negative pivots are not counted. The
// summary says so rather than saying nothing, as it does where there are none.
TEST(FormApp, NegativePivotsThatWereNotCountedAreSaidToBeUnknown) {
  scratch_folder folder;
  kalvane_test::write_file(folder / "model.json", R"({"format": "kalvane-model", "version": 1, "title": "Planar cross",
"materials": [{"name": "steel", "law": "linear-elastic", "E": 210000000}],
"nodes": [[1, 1, 0], [-1, 1, 0], [-1, -1, 0], [1, -1, 0]],
"bars": [{"nodes": [1, 2], "area": 0.0001, "material": "steel", "behaviour": "cable"},
         {"nodes": [2, 3], "area": 0.0001, "material": "steel", "behaviour": "cable"},
         {"nodes": [3, 4], "area": 0.0001, "material": "steel", "behaviour": "cable"},
         {"nodes": [4, 1], "area": 0.0001, "material": "steel", "behaviour": "cable"},
         {"nodes": [1, 3], "area": 0.001, "material": "steel"},
         {"nodes": [2, 4], "area": 0.001, "material": "steel"}],
"prescribed": [{"node": 1, "x": 0, "y": 0, "z": 0}, {"node": 3, "x": 0, "y": 0, "z": 0}],
"loads": [{"node": 2, "x": -3, "y": 3, "z": 0.5}, {"node": 4, "x": 3, "y": -3, "z": -0.5}],
"form": {"density": 1, "loaded": true, "groups": [{"bars": [5, 6], "density": -2}]}})");
  const program_result r = run(kalvane_test::form_exe(), folder);
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("negative pivots:         not counted (D's LDLT met a zero pivot"), std::string::npos) << r.out;
}
