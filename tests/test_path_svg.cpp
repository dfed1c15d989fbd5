// path.svg: well-formed whatever the title holds, every point of the curve in it with its
// values, the critical points marked and the unstable stretches drawn dashed.
#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>

#include "check_fixture.hpp"
#include "model/input.hpp"
#include "model/start.hpp"
#include "path/curve_svg.hpp"
#include "test_view_fixture.hpp"

namespace {

using kalvane::newton::point_kind;

kalvane::model loaded_bar() {
  kalvane::model m;
  kalvane::input_text(m,
                      check_test::input_text("bar", "0.9 20 1E-6 0.0 100 5", "1 10.0",
                                             "2\nnode x y z\n1 0 0 0\n2 1 0 0\n", "1\nbar n1 n2 area\n1 1 2 1\n",
                                             "5\nnode c v\n1 1 0\n1 2 0\n1 3 0\n2 2 0\n2 3 0\n",
                                             "1\nnode c v\n2 1 4000.0\n"),
                      "input.txt");
  kalvane::start(m);
  return m;
}

// A curve that rises, turns at a limit point, falls unstable, meets a bifurcation point.
kalvane::path::curve turning_curve() {
  kalvane::path::curve c;
  c.watch = {2, 1};
  const double load[] = {0.25, 0.5, 0.6, 0.4, 0.3};
  const double moved[] = {0.1, 0.25, 0.4, 0.55, 0.7};
  for (int i = 0; i < 5; ++i) {
    kalvane::path::curve_point p;
    p.point.stage = 2;
    p.point.load_factor = load[i];
    p.point.negative_pivots = i >= 3 ? 1 : 0;
    p.point.kind = i == 2 ? point_kind::limit : i == 4 ? point_kind::bifurcation : point_kind::regular;
    p.at = {load[i], 1.0};
    p.watched = moved[i];
    c.points.push_back(p);
  }
  return c;
}

double number(const std::string& text) {
  double value = NAN;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

}  // namespace

TEST(PathSvg, IsWellFormedAndHoldsEveryPointWithItsMarksAndStyles) {
  const kalvane::path::curve c = turning_curve();
  const std::string title = "Dome <A&B> \"quoted\" 'single' \x01 bad \xff utf-8 \xc3\xa9";
  const std::string svg = kalvane::path::render_curve_svg(c, loaded_bar(), kalvane::newton::loading::staged, title);
  std::vector<view_test::element> doc;
  ASSERT_NO_THROW(doc = view_test::parse_xml(svg)) << svg;
  EXPECT_NE(svg.find("Dome &lt;A&amp;B&gt; &quot;quoted&quot; &#39;single&#39; \xef\xbf\xbd bad \xef\xbf\xbd utf-8 \xc3\xa9"),
            std::string::npos);

  std::vector<view_test::element> points;
  for (const auto& e : doc)
    if (e.attributes.count("data-point")) points.push_back(e);
  ASSERT_EQ(points.size(), c.points.size());
  for (std::size_t i = 0; i < points.size(); ++i) {
    EXPECT_EQ(number(points[i].attributes.at("data-load-factor")), c.points[i].point.load_factor);
    EXPECT_EQ(number(points[i].attributes.at("data-displacement")), c.points[i].watched);
  }
  EXPECT_EQ(points[2].attributes.at("data-kind"), "limit");
  EXPECT_EQ(points[2].name, "circle");
  EXPECT_EQ(points[4].attributes.at("data-kind"), "bifurcation");
  EXPECT_EQ(points[4].name, "rect");

  // From the unloaded shape through each point in turn: a solid run to the limit point,
  // then a dashed one on, where the pivots are negative.
  std::vector<view_test::element> runs;
  for (const auto& e : doc)
    if (e.name == "polyline" && e.parent >= 0 && doc[static_cast<std::size_t>(e.parent)].attributes.count("id") &&
        doc[static_cast<std::size_t>(e.parent)].attributes.at("id") == "curve")
      runs.push_back(e);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].attributes.count("stroke-dasharray"), 0u);
  EXPECT_EQ(runs[1].attributes.count("stroke-dasharray"), 1u);
  const auto place = [&](std::size_t i) { return points[i].attributes.at("cx") + "," + points[i].attributes.at("cy"); };
  const std::string solid = runs[0].attributes.at("points"), dashed = runs[1].attributes.at("points");
  EXPECT_EQ(std::count(solid.begin(), solid.end(), ' '), 3);  // the unloaded shape and points 1 to 3
  EXPECT_EQ(solid.substr(solid.rfind(' ') + 1), place(2));
  EXPECT_EQ(dashed.rfind(place(2) + " " + place(3) + " ", 0), 0u) << dashed;  // then the bifurcation point
  EXPECT_EQ(std::count(dashed.begin(), dashed.end(), ' '), 2);
  // The curve rises to the limit point: up the picture.
  EXPECT_LT(number(points[2].attributes.at("cy")), number(points[1].attributes.at("cy")));
  // The axes say what they measure; the right one in the load's own unit.
  EXPECT_NE(svg.find("displacement of node 2 X (model length unit)"), std::string::npos);
  EXPECT_NE(svg.find("load at node 2 X (model force unit)"), std::string::npos);
  EXPECT_NE(svg.find(">limit point<"), std::string::npos);
  EXPECT_NE(svg.find(">unstable (negative pivots)<"), std::string::npos);
}

namespace {

// The picture's heading: its bold lines, entities read back.
std::vector<std::string> heading_lines(const std::string& svg) {
  std::vector<std::string> lines;
  for (const view_test::element& e : view_test::parse_xml(svg)) {
    if (e.name != "text" || !e.attributes.count("font-weight")) continue;
    std::string text = e.text;
    for (const auto& [entity, c] : std::vector<std::pair<std::string, std::string>>{
             {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"}, {"&amp;", "&"}})
      for (std::size_t at; (at = text.find(entity)) != std::string::npos;) text.replace(at, entity.size(), c);
    EXPECT_GT(std::stod(e.attributes.at("y")), 10.0);
    lines.push_back(text);
  }
  return lines;
}

std::size_t characters(const std::string& utf8) {
  return static_cast<std::size_t>(
      std::count_if(utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

}  // namespace

// 800 pixels hold about 64 characters of the bold heading: a longer title is wrapped at a
// blank onto a second line, and one longer than two lines ends in an ellipsis; all of it
// escaped, and the whole title kept in the picture's <title>.
TEST(PathSvg, ALongTitleIsWrappedAndALongerOneShortenedWithAnEllipsis) {
  const kalvane::path::curve c = turning_curve();
  const kalvane::model m = loaded_bar();
  auto render = [&](const std::string& title) {
    return kalvane::path::render_curve_svg(c, m, kalvane::newton::loading::staged, title);
  };
  EXPECT_EQ(heading_lines(render("Short <title> & \xc3\xa9")), std::vector<std::string>{"Short <title> & \xc3\xa9"});

  const std::string title = "Vertical Neo-Hooke bar <A&B> carried by its support's settlement, loaded down at \xc3\xa9 top";
  ASSERT_EQ(characters(title), 86u);
  const std::vector<std::string> two = heading_lines(render(title));
  ASSERT_EQ(two.size(), 2u);
  EXPECT_EQ(two[0] + " " + two[1], title);
  for (const std::string& line : two) EXPECT_LE(characters(line), 64u) << line;
  EXPECT_GT(characters(two[0]), 32u);

  std::string longer;
  for (int i = 0; i < 30; ++i) longer += (i ? " b\xc3\xa4r" : "b\xc3\xa4r") + std::to_string(i);
  const std::string svg = render(longer);
  const std::vector<std::string> cut = heading_lines(svg);
  ASSERT_EQ(cut.size(), 2u);
  for (const std::string& line : cut) EXPECT_LE(characters(line), 64u) << line;
  EXPECT_EQ(longer.rfind(cut[0] + " ", 0), 0u);
  EXPECT_EQ(cut[1].substr(cut[1].size() - 3), "\xE2\x80\xA6");
  EXPECT_NE(svg.find("<title>" + cut[0] + " "), std::string::npos);  // the title element keeps more of it

  // A title of one word longer than a line is cut where a character begins.
  std::string word;
  for (int i = 0; i < 100; ++i) word += "\xc3\xa9";
  const std::vector<std::string> parts = heading_lines(render(word));
  ASSERT_EQ(parts.size(), 2u);
  EXPECT_EQ(parts[0] + parts[1], word);
  EXPECT_EQ(characters(parts[0]), 64u);
}
