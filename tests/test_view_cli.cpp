#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "error.hpp"
#include "support.hpp"
#include "test_view_fixture.hpp"
#include "view/app.hpp"

using namespace kalvane_test;
using kalvane::view::parse_options;

namespace {

// Runs kalvane-view in `dir` with `args`, capturing both streams.
program_result run_view(const scratch_folder& dir, std::vector<std::string> args) {
  program_run run;
  run.program = view_exe();
  run.args = std::move(args);
  run.folder = dir.path;
  return run_program(run);
}

const char* const single_bar_input =
    "Single bar\n: settings\n0.9 20 0.001 0.0 1000 5\n: material\n1 10.0\n: nodes\n2\nnode x y z\n"
    "1 0.0 0.0 0.0\n2 1.0 0.0 0.0\n: bars\n1\nbar n1 n2 area\n1 1 2 0.01\n: prescribed\n5\nnode c v\n"
    "1 1 0.0\n1 2 0.0\n1 3 0.0\n2 2 0.0\n2 3 0.0\n: loads\n1\nnode c v\n2 1 0.05\n";

std::string single_bar_report(int nodes) {
  std::vector<std::array<double, 3>> d(static_cast<std::size_t>(nodes), {0, 0, 0});
  d[1] = {5.1e-3, 0, 0};
  return view_test::report_text(9, -1.2e-4, d, {{1, {true, false, false}, {-0.05, 0, 0}}}, {4.9});
}

}  // namespace

TEST(ViewCli, OptionsAreReadOrRefusedClearly) {
  auto o = parse_options({"--dir", "runs/a", "--view=xz", "--magnify", "auto", "--svg-only"});
  EXPECT_EQ(o.dir, "runs/a");
  EXPECT_EQ(o.picture.view, kalvane::view::projection::xz);
  EXPECT_TRUE(o.picture.auto_magnify);
  EXPECT_TRUE(o.write_svg);
  EXPECT_FALSE(o.write_vtk);
  o = parse_options({"--magnify=25", "--vtk-only"});
  EXPECT_EQ(o.picture.magnify, 25.0);
  EXPECT_FALSE(o.write_svg);
  EXPECT_TRUE(o.write_vtk);
  o = parse_options({});
  EXPECT_TRUE(o.write_svg && o.write_vtk);
  EXPECT_EQ(o.picture.view, kalvane::view::projection::automatic);
  EXPECT_EQ(o.picture.magnify, 1.0);

  for (std::vector<std::string> bad : std::vector<std::vector<std::string>>{
           {"--view", "top"}, {"--magnify", "-2"}, {"--magnify", "2x"}, {"--magnify=nan"}, {"--dir"},
           {"--svg-only", "--vtk-only"}, {"--help=yes"}, {"input.txt"}})
    EXPECT_THROW(parse_options(bad), kalvane::error) << bad[0];
}

TEST(ViewCli, HelpVersionAndBadArgumentsExitAsDocumented) {
  scratch_folder dir;
  const program_result help = run_view(dir, {"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--magnify K"), std::string::npos);
  const program_result version = run_view(dir, {"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("kalvane-view ", 0), 0u);
  const program_result bad = run_view(dir, {"--view", "top"});
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.err.find("--view takes xy, xz, yz, iso or auto, not 'top'"), std::string::npos) << bad.err;
}

TEST(ViewCli, MissingFilesAreNamed) {
  scratch_folder dir;
  const program_result none = run_view(dir, {});
  EXPECT_EQ(none.status, 1);
  // The model is the user's own file: no run of kalvane makes it.
  EXPECT_NE(none.err.find("cannot open ./input.txt (the folder holds no model.json, and input.txt cannot be read)"),
            std::string::npos)
      << none.err;
  const program_result named = run_view(dir, {"--model", "nothere.json"});
  EXPECT_EQ(named.status, 1);
  EXPECT_NE(named.err.find("cannot open nothere.json (named by --model)"), std::string::npos) << named.err;

  write_file(dir / "input.txt", single_bar_input);
  std::filesystem::create_directories(dir / "sub");
  write_file(dir / "sub/input.txt", single_bar_input);
  const program_result no_report = run_view(dir, {"--dir", "sub"});
  EXPECT_EQ(no_report.status, 1);
  EXPECT_NE(no_report.err.find("cannot open sub/output.txt"), std::string::npos) << no_report.err;
  EXPECT_FALSE(file_exists(dir / "sub/kalvane.svg"));

  // kalvane cannot read a model file: its report is kalvane-path's, in the folder path/.
  scratch_folder model_dir;
  write_file(model_dir / "model.json", read_file(source_path("examples/two_materials/model.json")));
  const program_result not_run = run_view(model_dir, {});
  EXPECT_EQ(not_run.status, 1);
  EXPECT_EQ(not_run.err.find("has kalvane run"), std::string::npos) << not_run.err;
  EXPECT_NE(not_run.err.find("cannot open ./output.txt (has kalvane-path run? it writes a model file's report into "
                             "path/, or the folder --out names)"),
            std::string::npos)
      << not_run.err;
  std::filesystem::create_directories(model_dir / "path");
  write_file(model_dir / "path/output.txt", "");
  EXPECT_NE(run_view(model_dir, {}).err.find("cannot open ./output.txt (kalvane-path wrote this model's report into "
                                             "./path: kalvane-view --dir ./path)"),
            std::string::npos)
      << run_view(model_dir, {}).err;
}

TEST(ViewCli, WritesBothFilesOrOnlyTheOneAsked) {
  scratch_folder dir;
  write_file(dir / "input.txt", single_bar_input);
  write_file(dir / "output.txt", single_bar_report(2));
  const program_result both = run_view(dir, {"--magnify", "auto"});
  EXPECT_EQ(both.status, 0) << both.err;
  EXPECT_NO_THROW(view_test::parse_xml(read_file(dir / "kalvane.svg")));
  EXPECT_NE(read_file(dir / "kalvane.vtu").find("<Piece NumberOfPoints=\"2\" NumberOfCells=\"1\">"), std::string::npos);
  EXPECT_FALSE(file_exists(dir / "kalvane.pvd"));  // not a path's folder
  EXPECT_FALSE(file_exists(dir / "kalvane.vtk"));

  std::filesystem::remove(dir / "kalvane.svg");
  std::filesystem::remove(dir / "kalvane.vtu");
  EXPECT_EQ(run_view(dir, {"--vtk-only"}).status, 0);
  EXPECT_FALSE(file_exists(dir / "kalvane.svg"));
  EXPECT_TRUE(file_exists(dir / "kalvane.vtu"));
}

TEST(ViewCli, AReportOfAnotherModelIsRefused) {
  scratch_folder dir;
  write_file(dir / "input.txt", single_bar_input);
  write_file(dir / "output.txt", single_bar_report(3));
  const program_result r = run_view(dir, {});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("./output.txt:9: the displacement table lists 3 nodes, but ./input.txt has 2"),
            std::string::npos)
      << r.err;
  EXPECT_FALSE(file_exists(dir / "kalvane.svg"));
  EXPECT_FALSE(file_exists(dir / "kalvane.vtu"));
}

// kalvane solves an input.txt whatever its values; the picture of a negative area or
// modulus, or of a bar whose ends coincide, is refused, naming the bar or material, as every
// companion refuses it.
TEST(ViewCli, AnInputWithoutPhysicalSenseIsRefusedNamingTheBar) {
  for (const auto& [from, to, expected] : {
           std::tuple<std::string, std::string, std::string>{"1 1 2 0.01", "1 1 2 -0.01", "bar 1 (line 14): the area must be positive"},
           {"1 10.0", "1 -10.0", "c1 must be positive and finite, not -10"},
           // kalvane, kalvane-path and kalvane-check refuse a bar without a length.
           {"2 1.0 0.0 0.0", "2 0.0 0.0 0.0", "./input.txt:14: bar 1 has zero length: nodes 1 and 2 coincide"}}) {
    scratch_folder dir;
    std::string input = single_bar_input;
    input.replace(input.find(from), from.size(), to);
    write_file(dir / "input.txt", input);
    write_file(dir / "output.txt", single_bar_report(2));
    const program_result r = run_view(dir, {});
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_NE(r.err.find(expected), std::string::npos) << r.err;
    EXPECT_FALSE(file_exists(dir / "kalvane.svg"));
  }
}

// The title line of input.txt reaches the picture as text, whatever characters it holds.
TEST(ViewCli, TheTitleOfInputTxtIsShownEscaped) {
  scratch_folder dir;
  std::string input = single_bar_input;
  input.replace(0, input.find('\n'), "Bar <1> & \"2\" ]]> \x01\xE9");
  write_file(dir / "input.txt", input);
  write_file(dir / "output.txt", single_bar_report(2));
  ASSERT_EQ(run_view(dir, {"--svg-only"}).status, 0);
  const std::string svg = read_file(dir / "kalvane.svg");
  EXPECT_NO_THROW(view_test::parse_xml(svg));
  EXPECT_NE(svg.find(">Bar &lt;1&gt; &amp; &quot;2&quot; ]]&gt; \xEF\xBF\xBD\xEF\xBF\xBD</text>"), std::string::npos) << svg;
  EXPECT_NE(svg.find("<title>kalvane result: Bar &lt;1&gt;"), std::string::npos);
}

// In kalvane-path's folder the series names the report's state at the load factor of its
// point of the path; a path.csv that watches a node the report lacks belongs to another run.
TEST(ViewCli, APathFolderGetsItsSeriesAtTheStatesLoadFactor) {
  scratch_folder dir;
  write_file(dir / "input.txt", single_bar_input);
  write_file(dir / "output.txt", single_bar_report(2));
  const std::string header =
      "stage,load_factor,displacement node 2 X,largest_displacement,total_potential,smallest_pivot,negative_pivots,kind\n";
  // The state sits between the second and the third point; the unstable fourth is nearer.
  write_file(dir / "path.csv", header + "1,0,0,0,0,1,0,regular\n1,0.5,0.003,0.003,-1,0.5,0,regular\n"
                                        "1,0.75,0.0075,0.0075,-2,0.25,0,limit\n1,0.625,0.0051,0.0051,-2,-0.1,1,regular\n");
  const program_result r = run_view(dir, {"--vtk-only"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto pvd = view_test::parse_xml(read_file(dir / "kalvane.pvd"));
  std::vector<view_test::element> sets;
  for (const auto& e : pvd)
    if (e.name == "DataSet") sets.push_back(e);
  ASSERT_EQ(sets.size(), 1u);
  EXPECT_EQ(sets[0].attributes.at("timestep"), "0.5");
  EXPECT_EQ(sets[0].attributes.at("file"), "kalvane.vtu");
  EXPECT_NE(read_file(dir / "kalvane.vtu").find("Name=\"load_factor\""), std::string::npos);

  std::filesystem::remove(dir / "kalvane.vtu");
  std::filesystem::remove(dir / "kalvane.pvd");
  write_file(dir / "path.csv", header.substr(0, 36) + "7" + header.substr(37) + "1,1,0.0051,0.0051,-2,1,0,regular\n");
  const program_result other = run_view(dir, {});
  EXPECT_EQ(other.status, 1);
  EXPECT_NE(other.err.find("path.csv: no point of the path matches"), std::string::npos) << other.err;
  EXPECT_FALSE(file_exists(dir / "kalvane.vtu") || file_exists(dir / "kalvane.svg") || file_exists(dir / "kalvane.pvd"));
}

// kalvane-path's report of a state short of full load (exit 2: a collapse, a mechanism under
// its first loads) carries the prescribed displacements of that state: the load factor of
// its point of the path in stage 1, where they rise, the full ones after it.
TEST(ViewCli, APathReportShortOfFullLoadCarriesItsShareOfThePrescribedDisplacements) {
  std::string input = single_bar_input;
  input.replace(input.find("1 1 0.0\n"), 8, "1 1 0.01\n");
  const std::string header =
      "stage,load_factor,displacement node 2 X,largest_displacement,total_potential,smallest_pivot,negative_pivots,kind\n";
  for (const auto& [node_one, row, accepted] : {std::tuple<double, std::string, bool>{0.0, "1,0,0.0051,0,0,1,0,regular\n", true},
                                                {0.005, "1,0.5,0.0051,0,0,1,0,regular\n", true},
                                                {0.01, "2,0.5,0.0051,0,0,1,0,regular\n", true},
                                                {0.0, "1,0.5,0.0051,0,0,1,0,regular\n", false}}) {
    scratch_folder dir;
    write_file(dir / "input.txt", input);
    std::vector<std::array<double, 3>> d{{node_one, 0, 0}, {5.1e-3, 0, 0}};
    write_file(dir / "output.txt", view_test::report_text(9, -1.2e-4, d, {{1, {true, false, false}, {-0.05, 0, 0}}}, {4.9}));
    write_file(dir / "path.csv", header + row);
    const program_result r = run_view(dir, {"--svg-only"});
    EXPECT_EQ(r.status, accepted ? 0 : 1) << row << r.err;
    if (!accepted) {
      EXPECT_NE(r.err.find("node 1 moves 0 in X, but ./input.txt prescribes 0.005 at load factor 0.5 of stage 1 (0.01 at "
                           "full load)"),
                std::string::npos)
          << r.err;
    }
  }
  // kalvane run again in the folder writes full load: an older path.csv says nothing of it.
  scratch_folder again;
  write_file(again / "input.txt", input);
  write_file(again / "path.csv", header + "1,0.5,0.0051,0,0,1,0,regular\n");
  write_file(again / "output.txt", view_test::report_text(9, -1.2e-4, {{0.01, 0, 0}, {5.1e-3, 0, 0}},
                                                          {{1, {true, false, false}, {-0.05, 0, 0}}}, {4.9}));
  std::filesystem::last_write_time(again / "path.csv",
                                   std::filesystem::last_write_time(again / "output.txt") - std::chrono::seconds(10));
  EXPECT_EQ(run_view(again, {"--svg-only"}).status, 0) << run_view(again, {"--svg-only"}).err;
}

// A page that cannot be written whole (a file-size limit cuts it) leaves the page already
// there, and no temporary file; the message names the file and the system's reason.
TEST(ViewCli, APageThatCannotBeWrittenWholeLeavesTheOneBefore) {
  scratch_folder dir;
  write_file(dir / "input.txt", single_bar_input);
  write_file(dir / "output.txt", single_bar_report(2));
  ASSERT_EQ(run_view(dir, {"--html"}).status, 0);
  const std::string page = read_file(dir / "kalvane.html");
  const std::vector<std::string> names = folder_entries(dir.path);

  program_run run;
  run.program = view_exe();
  run.args = {"--html"};
  run.folder = dir.path;
  run.file_size_limit = 100000;  // the page holds three.js: above a megabyte
  const program_result r = run_program(run);
  EXPECT_EQ(r.status, 1) << r.out << r.err;
  EXPECT_NE(r.err.find("kalvane.html: " + std::string(std::strerror(EFBIG))), std::string::npos) << r.err;
  EXPECT_TRUE(read_file(dir / "kalvane.html") == page);
  EXPECT_EQ(folder_entries(dir.path), names);
}

// kalvane-path's report of a collapse (exit 2) holds the state at the limit load, a part of
// the load: the picture says so, and its load is drawn, and its legend's largest given, at
// what that state carries (14.14, the bar's strength), not the 20 that has no equilibrium.
TEST(ViewCli, APathReportShortOfFullLoadIsCaptionedSoAndItsLoadsDrawnAtTheirShare) {
  scratch_folder dir;
  write_file(dir / "input.txt",
             "Softening bar\n: settings\n0.9 20 1E-6 0.0 10000 5\n: material\n2 -1.0 10.0\n: nodes\n2\nnode x y z\n"
             "1 0 0 0\n2 1 0 0\n: bars\n1\nbar n1 n2 area\n1 1 2 1.0\n: prescribed\n5\nnode c v\n"
             "1 1 0\n1 2 0\n1 3 0\n2 2 0\n2 3 0\n: loads\n1\nnode c v\n2 1 20.0\n");
  program_run path;
  path.program = path_exe();
  path.args = {"--out", "."};
  path.folder = dir.path;
  ASSERT_EQ(run_program(path).status, 2);
  const program_result r = run_view(dir, {"--svg-only"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string svg = read_file(dir / "kalvane.svg");
  EXPECT_NE(svg.find(">kalvane-path: "), std::string::npos);
  EXPECT_NE(svg.find(" Newton iterations, objective"), std::string::npos);
  EXPECT_NE(svg.find(">the state short of full load, at load factor 0.7069623 of stage 1;"), std::string::npos);
  EXPECT_NE(svg.find("largest 14.14"), std::string::npos);

  // A path.csv older than the report (kalvane run in the folder since) tells nothing of it.
  std::filesystem::last_write_time(dir / "path.csv",
                                   std::filesystem::last_write_time(dir / "output.txt") - std::chrono::hours(1));
  ASSERT_EQ(run_view(dir, {"--svg-only"}).status, 0);
  const std::string again = read_file(dir / "kalvane.svg");
  EXPECT_NE(again.find(">kalvane: "), std::string::npos);
  EXPECT_EQ(again.find("short of full load"), std::string::npos);
  EXPECT_NE(again.find("largest 20"), std::string::npos);
}
