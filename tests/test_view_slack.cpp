// Slack cables in kalvane-view's picture: drawn apart, dashed in grey, never in a colour of
// the force scale, with a legend entry; a structure with none draws no such group.
#include <gtest/gtest.h>

#include <regex>

#include "support.hpp"
#include "view/app.hpp"

namespace {

using kalvane_test::read_file;
using kalvane_test::scratch_folder;

// An example model file solved by kalvane-path in `folder`; returns its run's folder.
std::string solved(const scratch_folder& folder, const std::string& example) {
  kalvane_test::write_file(folder / "model.json", read_file(kalvane_test::source_path("examples/" + example + "/model.json")));
  kalvane_test::program_run run;
  run.program = kalvane_test::path_exe();
  run.folder = folder.path;
  const kalvane_test::program_result done = kalvane_test::run_program(run);
  EXPECT_NE(done.status, 1) << done.out << done.err;  // a run written, whatever its verdict
  kalvane::view::run_view(kalvane::view::parse_options({"--dir", folder / "path", "--svg-only"}));
  return folder / "path";
}

// The pieces ("M x y l dx dy") of the paths in svg[from, to).
std::size_t pieces(const std::string& svg, std::size_t from, std::size_t to) {
  static const std::regex piece("M-?\\d+ -?\\d+l");
  const std::string part = svg.substr(from, to - from);
  return static_cast<std::size_t>(std::distance(std::sregex_iterator(part.begin(), part.end(), piece), std::sregex_iterator()));
}

TEST(ViewSlack, SlackCablesAreDashedGreyWithALegendEntry) {
  scratch_folder folder;
  const std::string run = solved(folder, "saddle_net");
  std::size_t slack = 0, bars = 0;
  for (const std::string& line : kalvane_test::lines_of(read_file(run + "/bars.csv")))
    if (!line.empty() && line.rfind("bar,", 0) != 0) ++bars, slack += line.ends_with(",slack");
  ASSERT_GT(slack, 0u);
  const std::string svg = read_file(run + "/kalvane.svg");
  // One group of them, grey and dashed, every slack cable in it once.
  std::smatch group;
  ASSERT_TRUE(std::regex_search(svg, group, std::regex("<g id=\"slack\" stroke=\"#999999\" stroke-dasharray=\"(\\d+) (\\d+)\"")));
  const std::size_t deformed = svg.find("<g id=\"deformed\""), dashed = svg.find("<g id=\"slack\"");
  EXPECT_EQ(pieces(svg, dashed, svg.find("</g>", dashed)), slack);
  // The gaps stay open between round caps as wide as the stroke.
  std::smatch stroke;
  ASSERT_TRUE(std::regex_search(svg, stroke, std::regex("<g id=\"deformed\"[^>]* stroke-width=\"(\\d+)\"")));
  EXPECT_GT(std::stoi(group[2]), std::stoi(stroke[1]));
  // Every bar drawn once in the deformed shape: the taut in colour, the slack dashed.
  EXPECT_EQ(pieces(svg, deformed, dashed) + slack, bars);
  EXPECT_NE(svg.find(">slack cable</text>"), std::string::npos);
}

TEST(ViewSlack, NoSlackCableNoDashesAndNoLegendEntry) {
  scratch_folder folder;
  const std::string svg = read_file(solved(folder, "two_materials") + "/kalvane.svg");
  EXPECT_EQ(svg.find("id=\"slack\""), std::string::npos);
  EXPECT_EQ(svg.find("slack cable"), std::string::npos);
}

}  // namespace
