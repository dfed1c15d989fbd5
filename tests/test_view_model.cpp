// kalvane-view on a model file: the structure's own laws give each bar's force, stretch and
// state; the pictures colour by force and tell the materials apart, their names escaped.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <sstream>

#include "error.hpp"
#include "run.hpp"
#include "structure/model_file.hpp"
#include "support.hpp"
#include "view/app.hpp"
#include "view/model_bars.hpp"
#include "view/report_reader.hpp"
#include "view/scene.hpp"

namespace {

using kalvane_test::read_file;
using kalvane_test::scratch_folder;

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// examples/two_materials solved by kalvane-path in `folder`, with the model file's text
// altered by `edit`; returns the run's folder (folder/path).
std::string solved_two_materials(const scratch_folder& folder, const std::string& from = "", const std::string& to = "") {
  std::string model = read_file(kalvane_test::source_path("examples/two_materials/model.json"));
  if (!from.empty()) {
    for (std::size_t at = model.find(from); at != std::string::npos; at = model.find(from, at + to.size()))
      model.replace(at, from.size(), to);
  }
  kalvane_test::write_file(folder / "model.json", model);
  kalvane_test::program_run run;
  run.program = kalvane_test::path_exe();
  run.folder = folder.path;
  const kalvane_test::program_result done = kalvane_test::run_program(run);
  EXPECT_EQ(done.status, 0) << done.out << done.err;
  return folder / "path";
}

// bars.csv's rows as fields (no field of this model is quoted).
std::vector<std::vector<std::string>> csv_rows(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  for (const std::string& line : kalvane_test::lines_of(text)) {
    if (line.empty()) continue;
    std::vector<std::string> fields;
    std::stringstream in(line);
    for (std::string field; std::getline(in, field, ',');) fields.push_back(field);
    rows.push_back(fields);
  }
  return rows;
}

kalvane::view::view_run view(const std::string& dir, std::vector<std::string> args = {}) {
  args.insert(args.begin(), {"--dir", dir});
  return kalvane::view::run_view(kalvane::view::parse_options(args));
}

}  // namespace

// The forces, stretches and states the viewer forms from the report's displacements and the
// structure's laws are the solver's own (bars.csv) to the report's seven digits: the steel
// cables' rest lengths come from their prestress, the rubber cords' from theirs.
TEST(ViewModelFile, BarsFollowTheStructuresOwnLaws) {
  scratch_folder folder;
  const std::string run = solved_two_materials(folder);
  kalvane::structure st = kalvane::read_model_file(run + "/model.json");
  const kalvane::view::report r = kalvane::view::read_report_file(run + "/output.txt");
  kalvane::view::scene s = kalvane::view::match(st.base, r, "model.json", "output.txt");
  kalvane::run_plan starting;
  starting.first = starting.last = kalvane::stage::start;
  kalvane::run(st.base, starting);
  kalvane::prepare(st);
  kalvane::view::add_model_bars(s, st);

  const auto rows = csv_rows(read_file(run + "/bars.csv"));
  ASSERT_EQ(rows.size(), s.bars.size() + 1);
  const std::vector<std::string>& head = rows[0];
  ASSERT_EQ(head[3], "material");
  ASSERT_EQ(head[7], "stretch");
  ASSERT_EQ(head[9], "axial_force");
  ASSERT_EQ(head[11], "state");
  ASSERT_EQ(s.materials.size(), 2u);
  EXPECT_EQ(s.materials[0].name, "steel");
  EXPECT_EQ(s.materials[0].law, "linear elastic, E = 1.6e+08, weight 78.5 per unit volume");
  EXPECT_EQ(s.materials[1].law, "Neo-Hooke, c1 = 1000, weight 11 per unit volume");
  for (std::size_t e = 0; e < s.bars.size(); ++e) {
    const std::vector<std::string>& row = rows[e + 1];
    const double force = std::stod(row[9]), stretch = std::stod(row[7]);
    EXPECT_EQ(s.materials[static_cast<std::size_t>(s.material[e])].name, row[3]) << "bar " << e + 1;
    // The report's displacements hold seven digits: a steel cable's strain of 1e-4 keeps
    // about four of them. A rest length taken from the drawing would be off by its whole
    // prestress strain.
    EXPECT_NEAR(s.force[e], force, 1e-3 * std::fabs(force)) << "bar " << e + 1;
    EXPECT_NEAR(s.stretch[e], stretch, 2e-7) << "bar " << e + 1;
    const kalvane::view::bar_state wanted = row[11] == "slack"         ? kalvane::view::bar_state::slack
                                            : row[11] == "compression" ? kalvane::view::bar_state::compression
                                                                       : kalvane::view::bar_state::tension;
    EXPECT_EQ(s.state[e], wanted) << "bar " << e + 1 << " " << row[11];
  }

  // The table of this very state gives the solver's own digits.
  const std::string table = read_file(run + "/bars.csv");
  ASSERT_TRUE(kalvane::view::take_bars_csv(s, table));
  for (std::size_t e = 0; e < s.bars.size(); ++e) EXPECT_EQ(s.force[e], std::stod(rows[e + 1][9])) << "bar " << e + 1;
  // A table of another state (one stress beyond the report's rounding), or of another
  // structure (a row short), is not taken.
  const std::vector<double> kept = s.force;
  std::string other = table;
  const std::size_t row_two = other.find("\n2,");
  const std::size_t stress_at = other.rfind(',', other.rfind(',', other.find('\n', row_two + 1) - 1) - 1) + 1;
  other.insert(stress_at, "1");
  EXPECT_FALSE(kalvane::view::take_bars_csv(s, other));
  EXPECT_FALSE(kalvane::view::take_bars_csv(s, table.substr(0, table.rfind('\n', table.size() - 2) + 1)));
  EXPECT_EQ(s.force, kept);
}

// bars.csv calls a bar "unstressed" within its rounding of zero; its force keeps a sign, which
// the picture colours by, so the state picked on the page follows that sign.
TEST(ViewModelFile, AnUnstressedBarOfBarsCsvIsInTheStateItsForceShows) {
  kalvane::view::scene s;
  s.bars = {{0, 1}, {1, 2}};
  s.stress = {-2e-7, 2e-7};
  const std::string table =
      "bar,node1,node2,material,area,rest_length,length,stretch,strain,axial_force,stress,state\n"
      "1,1,2,steel,0.001,1,1,1,0,-2e-10,-2e-07,unstressed\n"
      "2,2,3,steel,0.001,1,1,1,0,2e-10,2e-07,unstressed\n";
  ASSERT_TRUE(kalvane::view::take_bars_csv(s, table));
  EXPECT_EQ(s.state[0], kalvane::view::bar_state::compression);
  EXPECT_EQ(s.state[1], kalvane::view::bar_state::tension);
}

// The folder's model.json is read (and said so), the bars coloured by force by default and
// by stress on request, the materials drawn apart and named, and ParaView given each bar's
// material and state.
TEST(ViewModelFile, PicturesColourByForceAndTellMaterialsApart) {
  scratch_folder folder;
  const std::string run = solved_two_materials(folder);
  const kalvane::view::view_run done = view(run);
  EXPECT_EQ(done.model, run + "/model.json");
  const std::string svg = read_file(run + "/kalvane.svg");
  EXPECT_TRUE(has(svg, ">axial force</text>")) << "the legend names the force";
  EXPECT_TRUE(has(svg, ">in the model&#39;s force unit</text>"));
  EXPECT_TRUE(has(svg, "<title>steel: linear elastic, E = 1.6e+08"));
  EXPECT_TRUE(has(svg, "<title>rubber: Neo-Hooke, c1 = 1000"));
  EXPECT_TRUE(has(svg, ">materials:</text>"));
  EXPECT_TRUE(has(svg, "stroke-dasharray=")) << "the second material is dashed";

  const std::string vtu = read_file(run + "/kalvane.vtu");
  EXPECT_TRUE(has(vtu, "Name=\"material\"") && has(vtu, "Name=\"state\""));
  EXPECT_TRUE(has(vtu, "<!-- material 0: steel (linear elastic"));
  EXPECT_TRUE(has(vtu, "<!-- material 1: rubber (Neo-Hooke"));
  // The colouring quantity is the grid's first cell array, which ParaView shows first.
  EXPECT_LT(vtu.find("Name=\"axial_force\""), vtu.find("Name=\"stress\""));

  view(run, {"--colour", "stress", "--svg-only"});
  const std::string by_stress = read_file(run + "/kalvane.svg");
  EXPECT_TRUE(has(by_stress, ">stress</text>"));
  EXPECT_FALSE(has(by_stress, ">axial force</text>"));
  EXPECT_NE(by_stress, svg);

  view(run, {"--html"});
  const std::string html = read_file(run + "/kalvane.html");
  EXPECT_TRUE(has(html, "\"materials\":[{\"name\":\"steel\",\"law\":\"linear elastic, E = 1.6e+08"));
  EXPECT_TRUE(has(html, "\"colour\":{\"by\":\"force\",\"heading\":\"axial force, in the model\\u0027s force unit\""));
}

// A material's name is the user's text: it lands escaped in the picture, the page's data and
// ParaView's comments, and never opens an element.
TEST(ViewModelFile, HostileMaterialNamesStayText) {
  scratch_folder folder;
  const std::string hostile = R"(<b>\"x\"&</b>)";  // as JSON text: <b>"x"&</b>
  const std::string run = solved_two_materials(folder, "\"rubber\"", "\"" + hostile + "\"");
  view(run);
  view(run, {"--html"});
  const std::string svg = read_file(run + "/kalvane.svg"), vtu = read_file(run + "/kalvane.vtu"),
                    html = read_file(run + "/kalvane.html");
  for (const std::string* text : {&svg, &vtu}) EXPECT_FALSE(has(*text, "<b>"));
  for (const std::string* text : {&svg, &vtu, &html}) EXPECT_FALSE(has(*text, "<b>\"x\"&</b>"));
  EXPECT_TRUE(has(svg, "&lt;b&gt;&quot;x&quot;&amp;&lt;/b&gt;"));
  EXPECT_TRUE(has(vtu, "&lt;b&gt;&quot;x&quot;&amp;&lt;/b&gt;"));
  EXPECT_TRUE(has(html, R"("name":"\u003cb\u003e\"x\"\u0026\u003c/b\u003e")"));
}

// A run of input.txt keeps kalvane's one law and its stress colouring; --model names the
// file to read, and a model file whose bars differ from the report is refused by name.
TEST(ViewModelFile, InputRunsAndNamedModels) {
  scratch_folder folder;
  const std::string run = solved_two_materials(folder);
  const kalvane::view::view_run by_name = view(run, {"--model", run + "/model.json", "--svg-only"});
  EXPECT_EQ(by_name.model, run + "/model.json");

  scratch_folder other;
  kalvane_test::write_file(other / "input.txt", read_file(kalvane_test::source_path("examples/single_bar/input.txt")));
  ASSERT_EQ(kalvane_test::run_kalvane(other.path).status, 0);
  const kalvane::view::view_run plain = view(other.path, {"--svg-only"});
  EXPECT_EQ(plain.model, other / "input.txt");
  const std::string svg = read_file(other / "kalvane.svg");
  EXPECT_TRUE(has(svg, ">stress</text>") && has(svg, ">in the units of c1</text>"));
  EXPECT_FALSE(has(svg, "materials:"));

  // The two-material model beside the single bar's report: the counts differ.
  try {
    view(other.path, {"--model", run + "/model.json"});
    ADD_FAILURE() << "a model of another run was drawn";
  } catch (const kalvane::error& e) {
    EXPECT_TRUE(has(e.what(), "model.json")) << e.what();
  }
}
