#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "test_view_fixture.hpp"
#include "view/report_reader.hpp"
#include "view/svg.hpp"
#include "view/vtk.hpp"

using namespace view_test;
using namespace kalvane::view;

namespace {

struct segment {
  long long x1, y1, x2, y2;
};

// "M x y l dx dy" back to both ends.
segment ends_of(const element& path) {
  std::istringstream in(path.attributes.at("d"));
  char m = 0, l = 0;
  segment s{};
  long long dx = 0, dy = 0;
  in >> m >> s.x1 >> s.y1 >> l >> dx >> dy;
  EXPECT_TRUE(in && m == 'M' && l == 'l') << path.attributes.at("d");
  s.x2 = s.x1 + dx, s.y2 = s.y1 + dy;
  return s;
}

std::string hex(rgb c) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "#%02x%02x%02x", c.red, c.green, c.blue);
  return buffer;
}

scene scene_of(const chain& c) {
  return match(c.model, read_report(c.report, "output.txt"), "input.txt", "output.txt");
}

void expect_inside_canvas(const std::vector<element>& doc) {
  for (const char* group : {"undeformed", "deformed"})
    for (const element& p : paths_in(doc, group)) {
      segment s = ends_of(p);
      for (long long x : {s.x1, s.x2}) EXPECT_TRUE(x >= 0 && x <= canvas_width) << group << " x " << x;
      for (long long y : {s.y1, s.y2}) EXPECT_TRUE(y >= 0 && y <= canvas_height) << group << " y " << y;
    }
}

// Four bars from a common node: in tension, in compression, unstressed, and half-way.
scene star(double magnify_check_displacement = 0.2) {
  auto m = make_model({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {-1, 0, 0}, {0, -1, 0}},
                      {{1, 2, 1}, {1, 3, 1}, {1, 4, 1}, {1, 5, 1}});
  auto r = report_text(3, 0.5, {{0, 0, 0}, {magnify_check_displacement, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}}, {},
                       {40.0, -40.0, 0.0, 20.0});
  return match(m, read_report(r, "o"), "i", "o");
}

}  // namespace

TEST(ViewSvg, IsWellFormedSelfContainedWithOnePathPerBarPerShape) {
  const std::string svg = render_svg(star(), {});
  std::vector<element> doc;
  ASSERT_NO_THROW(doc = parse_xml(svg)) << svg;
  EXPECT_EQ(doc[0].name, "svg");
  EXPECT_EQ(svg.find("<script"), std::string::npos);
  EXPECT_EQ(svg.find("href"), std::string::npos);
  EXPECT_EQ(paths_in(doc, "undeformed").size(), 4u);
  ASSERT_EQ(paths_in(doc, "deformed").size(), 4u);
  // The title carries the iteration count and the objective of the report's summary.
  bool titled = false;
  for (const element& e : doc) titled = titled || e.text.find("3 minor iterations, objective 5.000000E-01") != std::string::npos;
  EXPECT_TRUE(titled);
}

TEST(ViewSvg, BarsAreColouredByTheSignOfTheirStress) {
  auto deformed = paths_in(parse_xml(render_svg(star(), {})), "deformed");
  ASSERT_EQ(deformed.size(), 4u);
  EXPECT_EQ(deformed[0].attributes["stroke"], hex(tension_colour));
  EXPECT_EQ(deformed[1].attributes["stroke"], hex(compression_colour));
  EXPECT_EQ(deformed[2].attributes["stroke"], hex(neutral_colour));
  // Half the largest tension: between neutral and blue, still bluer than red.
  rgb half = stress_colour(20.0, 40.0);
  EXPECT_EQ(deformed[3].attributes["stroke"], hex(half));
  EXPECT_GT(half.blue, half.red);
  EXPECT_NE(half, neutral_colour);
  // The scale is symmetric about zero.
  rgb minus_half = stress_colour(-20.0, 40.0);
  EXPECT_GT(minus_half.red, minus_half.blue);
  EXPECT_EQ(stress_colour(-0.0, 40.0), neutral_colour);
  EXPECT_EQ(stress_colour(NAN, 40.0), undefined_colour);
  EXPECT_EQ(stress_colour(INFINITY, 40.0), tension_colour);
  EXPECT_EQ(stress_colour(0.0, 0.0), neutral_colour);
}

TEST(ViewSvg, OneBarAndTenThousandBarsStayInsideTheCanvas) {
  auto one = make_model({{5, 5, 5}, {5, 5, 6}}, {{1, 2, 1}});
  auto one_scene = match(one, read_report(report_text(1, 0, {{0, 0, 0}, {0.5, 0, 0}}, {}, {2.0}), "o"), "i", "o");
  const scene big = scene_of(make_chain(10000));
  for (projection view : {projection::iso, projection::xy, projection::xz, projection::yz}) {
    svg_options o;
    o.view = view;
    o.auto_magnify = true;
    SCOPED_TRACE(name_of(view));
    auto doc = parse_xml(render_svg(one_scene, o));
    EXPECT_EQ(paths_in(doc, "deformed").size(), 1u);
    expect_inside_canvas(doc);
    const std::string big_svg = render_svg(big, o);
    auto big_doc = parse_xml(big_svg);
    EXPECT_EQ(paths_in(big_doc, "deformed").size(), 10000u);
    expect_inside_canvas(big_doc);
    EXPECT_LT(big_svg.size(), 100u * 10000u);
  }
}

TEST(ViewSvg, ProjectionsAndMagnificationMoveTheDrawingAsAsked) {
  // In the xy view +X runs right and +Y runs up the screen.
  auto plan = paths_in(parse_xml(render_svg(star(0.0), {projection::xy})), "undeformed");
  segment to_x = ends_of(plan[0]), to_y = ends_of(plan[1]);
  EXPECT_GT(to_x.x2, to_x.x1);
  EXPECT_EQ(to_x.y2, to_x.y1);
  EXPECT_LT(to_y.y2, to_y.y1);
  EXPECT_EQ(to_y.x2, to_y.x1);

  // Magnification 0 draws the deformed shape on top of the undeformed one.
  svg_options still{projection::xz, false, 0.0};
  auto doc = parse_xml(render_svg(star(), still));
  EXPECT_EQ(paths_in(doc, "deformed")[0].attributes["d"], paths_in(doc, "undeformed")[0].attributes["d"]);

  // Auto: the largest displacement (0.2) becomes 10% of the diagonal (2 * sqrt 2).
  EXPECT_NEAR(auto_magnification(star()), 0.1 * 2 * std::sqrt(2.0) / 0.2, 1e-12);
  EXPECT_EQ(auto_magnification(star(0.0)), 1.0);
  EXPECT_NE(render_svg(star(), {projection::iso, true, 1.0}).find("\xC3\x97" "1.414 (auto"), std::string::npos);
}

// Both files of a big model hold every bar, and the picture stays small enough to open.
TEST(ViewSvg, ABigModelGivesEveryBarInBothFilesAtABoundedSize) {
  const scene s = scene_of(make_chain(20000));
  const std::string svg = render_svg(s, {projection::iso, true, 1.0});
  EXPECT_LT(svg.size(), 100u * 20000u);
  EXPECT_EQ(paths_in(parse_xml(svg), "deformed").size(), 20000u);
  const std::string vtk = render_vtk(s);
  EXPECT_NE(vtk.find("\nPOINTS 20001 double\n"), std::string::npos);
  EXPECT_NE(vtk.find("\nLINES 20000 60000\n"), std::string::npos);
  EXPECT_NE(vtk.find("\nCELL_DATA 20000\n"), std::string::npos);
}
