#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "error.hpp"
#include "model/input.hpp"
#include "test_view_fixture.hpp"
#include "view/app.hpp"

namespace fs = std::filesystem;
using kalvane::view::parse_options;

namespace {

struct outcome {
  int status;
  std::string out, err;
};

std::string slurp(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

// Runs kalvane-view in `dir` with `args`, capturing both streams.
outcome run_view(const fs::path& dir, const std::string& args) {
  const std::string command = "cd '" + dir.string() + "' && '" KALVANE_VIEW_EXE "' " + args + " >stdout.txt 2>stderr.txt";
  int raw = std::system(command.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(dir / "stdout.txt"), slurp(dir / "stderr.txt")};
}

fs::path fresh_dir(const std::string& name) {
  fs::path dir = fs::temp_directory_path() / ("kalvane_view_" + name + "_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

void write(const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }

const char* const single_bar_input =
    "Single bar\n: settings\n0.9 20 0.001 0.0 1000 5\n: material\n1 10.0\n: nodes\n2\nnode x y z\n"
    "1 0.0 0.0 0.0\n2 1.0 0.0 0.0\n: bars\n1\nbar n1 n2 area\n1 1 2 0.01\n: prescribed\n5\nnode c v\n"
    "1 1 0.0\n1 2 0.0\n1 3 0.0\n2 2 0.0\n2 3 0.0\n: loads\n1\nnode c v\n2 1 0.05\n";

std::string single_bar_report(int nodes) {
  std::vector<std::array<double, 3>> d(static_cast<std::size_t>(nodes), {0, 0, 0});
  d[1] = {5.1e-3, 0, 0};
  return view_test::report_text(9, -1.2e-4, d, {{1, {true, false, false}, {-0.05, 0, 0}}}, {4.9});
}

// The full path needs the input reader; until it is in the build the reader reads nothing.
bool reader_present() {
  kalvane::model m;
  kalvane::input_text(m, single_bar_input, "input.txt");
  return m.node_count == 2;
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
  EXPECT_EQ(o.picture.view, kalvane::view::projection::iso);
  EXPECT_EQ(o.picture.magnify, 1.0);

  for (std::vector<std::string> bad : std::vector<std::vector<std::string>>{
           {"--view", "top"}, {"--magnify", "-2"}, {"--magnify", "2x"}, {"--magnify=nan"}, {"--dir"},
           {"--svg-only", "--vtk-only"}, {"--help=yes"}, {"input.txt"}})
    EXPECT_THROW(parse_options(bad), kalvane::error) << bad[0];
}

TEST(ViewCli, HelpVersionAndBadArgumentsExitAsDocumented) {
  fs::path dir = fresh_dir("args");
  outcome help = run_view(dir, "--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--magnify K"), std::string::npos);
  outcome version = run_view(dir, "--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("kalvane-view ", 0), 0u);
  outcome bad = run_view(dir, "--view top");
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.err.find("--view takes xy, xz, yz or iso, not 'top'"), std::string::npos) << bad.err;
  fs::remove_all(dir);
}

TEST(ViewCli, MissingFilesAreNamed) {
  fs::path dir = fresh_dir("missing");
  outcome none = run_view(dir, "");
  EXPECT_EQ(none.status, 1);
  EXPECT_NE(none.err.find("cannot open ./input.txt"), std::string::npos) << none.err;

  write(dir / "input.txt", single_bar_input);
  fs::create_directories(dir / "sub");
  write(dir / "sub" / "input.txt", single_bar_input);
  outcome no_report = run_view(dir, "--dir sub");
  EXPECT_EQ(no_report.status, 1);
  EXPECT_NE(no_report.err.find("cannot open sub/output.txt"), std::string::npos) << no_report.err;
  EXPECT_FALSE(fs::exists(dir / "sub" / "kalvane.svg"));
  fs::remove_all(dir);
}

TEST(ViewCli, WritesBothFilesOrOnlyTheOneAsked) {
  if (!reader_present()) GTEST_SKIP() << "the input reader is not in this build yet";
  fs::path dir = fresh_dir("run");
  write(dir / "input.txt", single_bar_input);
  write(dir / "output.txt", single_bar_report(2));
  outcome both = run_view(dir, "--magnify auto");
  EXPECT_EQ(both.status, 0) << both.err;
  EXPECT_NO_THROW(view_test::parse_xml(slurp(dir / "kalvane.svg")));
  EXPECT_NE(slurp(dir / "kalvane.vtk").find("POINTS 2 double\n0 0 0\n1.0051 0 0\n"), std::string::npos);

  fs::remove(dir / "kalvane.svg");
  fs::remove(dir / "kalvane.vtk");
  EXPECT_EQ(run_view(dir, "--vtk-only").status, 0);
  EXPECT_FALSE(fs::exists(dir / "kalvane.svg"));
  EXPECT_TRUE(fs::exists(dir / "kalvane.vtk"));
  fs::remove_all(dir);
}

TEST(ViewCli, AReportOfAnotherModelIsRefused) {
  if (!reader_present()) GTEST_SKIP() << "the input reader is not in this build yet";
  fs::path dir = fresh_dir("other");
  write(dir / "input.txt", single_bar_input);
  write(dir / "output.txt", single_bar_report(3));
  outcome r = run_view(dir, "");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("./output.txt:9: the displacement table lists 3 nodes, but ./input.txt has 2"),
            std::string::npos)
      << r.err;
  EXPECT_FALSE(fs::exists(dir / "kalvane.svg"));
  EXPECT_FALSE(fs::exists(dir / "kalvane.vtk"));
  fs::remove_all(dir);
}
