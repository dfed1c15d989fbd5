#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "model/input.hpp"
#include "structures.hpp"
#include "support.hpp"
#include "test_view_fixture.hpp"
#include "view/report_reader.hpp"
#include "view/svg.hpp"
#include "view/svg_marks.hpp"
#include "view/vtu.hpp"

using namespace view_test;
using namespace kalvane::view;

namespace {

struct segment {
  long long x1, y1, x2, y2;
  std::string stroke;  // the colour of the path that holds it
  double length() const { return std::hypot(double(x2 - x1), double(y2 - y1)); }
};

// Every "M x y l dx dy" line of the paths in a group, in document order.
std::vector<segment> segments_in(const std::vector<element>& doc, const std::string& group) {
  std::vector<segment> out;
  for (const element& p : paths_in(doc, group)) {
    std::istringstream in(p.attributes.at("d"));
    char m = 0, l = 0;
    long long dx = 0, dy = 0;
    segment s{};
    s.stroke = p.attributes.count("stroke") ? p.attributes.at("stroke") : "";
    while (in >> m >> s.x1 >> s.y1 >> l >> dx >> dy) {
      EXPECT_TRUE(m == 'M' && l == 'l') << p.attributes.at("d");
      s.x2 = s.x1 + dx, s.y2 = s.y1 + dy;
      out.push_back(s);
    }
    EXPECT_TRUE(in.eof()) << p.attributes.at("d");
  }
  return out;
}

scene scene_of(const chain& c) {
  return match(c.model, read_report(c.report, "output.txt"), "input.txt", "output.txt");
}

std::size_t texts_holding(const std::vector<element>& doc, const std::string& text) {
  std::size_t n = 0;
  for (const element& e : doc) n += e.name == "text" && e.text.find(text) != std::string::npos;
  return n;
}

void expect_inside_canvas(const std::vector<element>& doc) {
  for (const char* group : {"undeformed", "deformed"})
    for (const segment& s : segments_in(doc, group)) {
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

// A roof of square pyramids on a 3 x 3 grid of 2 x 2 cells, apexes 1 high: every leg runs
// along a diagonal (+-1, +-1, 1) of the cubic lattice.
scene pyramid_roof() {
  std::vector<node_spec> nodes;
  std::vector<bar_spec> bars;
  auto corner = [](int i, int j) { return 1 + i * 4 + j; };
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) nodes.push_back({2.0 * i, 2.0 * j, 0});
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 3; ++j) bars.push_back({corner(i, j), corner(i, j + 1), 1}), bars.push_back({corner(j, i), corner(j + 1, i), 1});
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      nodes.push_back({2.0 * i + 1, 2.0 * j + 1, 1});
      const int apex = static_cast<int>(nodes.size());
      for (int c : {corner(i, j), corner(i + 1, j), corner(i, j + 1), corner(i + 1, j + 1)}) bars.push_back({c, apex, 1});
    }
  std::vector<std::array<double, 3>> still(nodes.size(), {0, 0, 0});
  return match(make_model(nodes, bars), read_report(report_text(1, 0, still, {}, std::vector<double>(bars.size(), 1.0)), "o"),
               "i", "o");
}

// The program's path when a folder of PATH holds it, else empty.
std::string on_path(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::istringstream folders(path ? path : "");
  for (std::string folder; std::getline(folders, folder, ':');)
    if (!folder.empty() && std::filesystem::exists(folder + "/" + program)) return folder + "/" + program;
  return "";
}

}  // namespace

TEST(ViewSvg, IsWellFormedSelfContainedWithEveryBarInEachShape) {
  const std::string svg = render_svg(star(), {});
  std::vector<element> doc;
  ASSERT_NO_THROW(doc = parse_xml(svg)) << svg;
  EXPECT_EQ(doc[0].name, "svg");
  EXPECT_EQ(svg.find("<script"), std::string::npos);
  EXPECT_EQ(svg.find("href"), std::string::npos);
  EXPECT_EQ(segments_in(doc, "undeformed").size(), 4u);
  EXPECT_EQ(segments_in(doc, "deformed").size(), 4u);
  // The caption carries the iteration count and the objective of the report's summary.
  EXPECT_EQ(texts_holding(doc, "3 minor iterations, objective 5.000000E-01"), 1u);
}

TEST(ViewSvg, BarsAreColouredByTheirStressBandOnAScaleSymmetricAboutZero) {
  auto deformed = segments_in(parse_xml(render_svg(star(0.0), {projection::xy})), "deformed");
  ASSERT_EQ(deformed.size(), 4u);
  auto colour_of_bar_towards = [&](long long dx, long long dy) {
    for (const segment& s : deformed)
      if ((s.x2 - s.x1 > 0) - (s.x2 - s.x1 < 0) == dx && (s.y2 - s.y1 > 0) - (s.y2 - s.y1 < 0) == dy) return s.stroke;
    return std::string("none");
  };
  EXPECT_EQ(colour_of_bar_towards(1, 0), hex(tension_colour));       // +40, the limit
  EXPECT_EQ(colour_of_bar_towards(0, -1), hex(compression_colour));  // -40
  EXPECT_EQ(colour_of_bar_towards(-1, 0), hex(neutral_colour));      // 0
  EXPECT_EQ(colour_of_bar_towards(0, 1), hex(band_colour(3)));       // +20: half-way, band 3 of 6

  EXPECT_EQ(stress_band(40.0, 40.0), bands_per_sign);
  EXPECT_EQ(stress_band(-40.0 / 6, 40.0), -1);
  EXPECT_EQ(stress_band(-40.0 / 6 * 1.001, 40.0), -2);
  EXPECT_EQ(stress_band(1e-300, 1e300), 1);  // not zero, however small beside the limit
  EXPECT_EQ(stress_band(-0.0, 40.0), 0);
  EXPECT_EQ(stress_band(INFINITY, 40.0), bands_per_sign);
  EXPECT_EQ(stress_band(-INFINITY, 0.0), -bands_per_sign);
  EXPECT_EQ(stress_band(NAN, 40.0), undefined_band);
  EXPECT_EQ(band_colour(undefined_band), undefined_colour);
  EXPECT_EQ(band_colour(0), neutral_colour);
  for (int b = 1; b <= bands_per_sign; ++b) {
    rgb tension = band_colour(b), compression = band_colour(-b);
    EXPECT_GT(tension.blue, tension.red);
    EXPECT_GT(compression.red, compression.blue);
    // As far from grey on either side.
    EXPECT_NEAR((tension.blue - neutral_colour.blue) / double(tension_colour.blue - neutral_colour.blue),
                (compression.red - neutral_colour.red) / double(compression_colour.red - neutral_colour.red), 0.02);
  }
}

TEST(ViewSvg, TheLegendGivesTheBandEdgesInTheUnitsOfC1) {
  auto doc = parse_xml(render_svg(star(), {}));
  EXPECT_EQ(texts_holding(doc, "in the units of c1"), 1u);
  for (const char* edge : {"+40", "+33.3", "+6.67", "-6.67", "-40", "tension", "compression", "undeformed", "support"})
    EXPECT_EQ(texts_holding(doc, edge), 1u) << edge;
  EXPECT_EQ(texts_holding(doc, "not a number"), 0u);
  EXPECT_EQ(texts_holding(doc, "load"), 0u);  // the star carries none
}

TEST(ViewSvg, OneBarAndTenThousandBarsStayInsideTheCanvas) {
  auto one = make_model({{5, 5, 5}, {5, 5, 6}}, {{1, 2, 1}});
  auto one_scene = match(one, read_report(report_text(1, 0, {{0, 0, 0}, {0.5, 0, 0}}, {}, {2.0}), "o"), "i", "o");
  const scene big = scene_of(make_chain(10000));
  for (projection view : {projection::automatic, projection::iso, projection::xy, projection::xz, projection::yz}) {
    svg_options o;
    o.view = view;
    o.auto_magnify = true;
    SCOPED_TRACE(name_of(view));
    auto doc = parse_xml(render_svg(one_scene, o));
    EXPECT_EQ(segments_in(doc, "deformed").size(), 1u);
    expect_inside_canvas(doc);
    auto big_doc = parse_xml(render_svg(big, o));
    EXPECT_EQ(segments_in(big_doc, "deformed").size(), 10000u);
    expect_inside_canvas(big_doc);
  }
}

TEST(ViewSvg, ProjectionsAndMagnificationMoveTheDrawingAsAsked) {
  // In the xy view +X runs right and +Y runs up the screen.
  auto plan = segments_in(parse_xml(render_svg(star(0.0), {projection::xy})), "undeformed");
  segment to_x = plan[0], to_y = plan[1];
  EXPECT_GT(to_x.x2, to_x.x1);
  EXPECT_EQ(to_x.y2, to_x.y1);
  EXPECT_LT(to_y.y2, to_y.y1);
  EXPECT_EQ(to_y.x2, to_y.x1);

  // Magnification 0 draws the deformed shape on top of the undeformed one.
  svg_options still{projection::xz, false, 0.0};
  auto doc = parse_xml(render_svg(star(), still));
  auto ends = [&](const char* group) {
    std::vector<std::array<long long, 4>> out;
    for (const segment& s : segments_in(doc, group)) out.push_back({s.x1, s.y1, s.x2, s.y2});
    std::sort(out.begin(), out.end());
    return out;
  };
  EXPECT_EQ(ends("deformed"), ends("undeformed"));

  // Auto: the largest displacement (0.2) becomes 10% of the diagonal (2 * sqrt 2).
  EXPECT_NEAR(auto_magnification(star()), 0.1 * 2 * std::sqrt(2.0) / 0.2, 1e-12);
  EXPECT_EQ(auto_magnification(star(0.0)), 1.0);
  // Where nothing moved, the factor 1 makes no displacement 10% of anything: the caption says so.
  const std::string still_caption = render_svg(star(0.0), {projection::iso, true, 1.0});
  EXPECT_EQ(still_caption.find("10% of structure size"), std::string::npos);
  EXPECT_NE(still_caption.find("\xC3\x97" "1 (auto: no displacement to magnify)"), std::string::npos);
  EXPECT_NE(render_svg(star(), {projection::iso, true, 1.0}).find("\xC3\x97" "1.414 (auto"), std::string::npos);
  // A structure that moved by rounding only (a form-found net at rest, 3e-16 on a size of
  // 2.8) has nothing to magnify: 10% of its size would draw the rounding (x9e14).
  EXPECT_EQ(auto_magnification(star(3e-16)), 1.0);
  EXPECT_NE(render_svg(star(3e-16), {projection::iso, true, 1.0}).find("\xC3\x97" "1 (auto: no displacement to magnify)"),
            std::string::npos);
  EXPECT_NEAR(auto_magnification(star(1e-6)), 0.1 * 2 * std::sqrt(2.0) / 1e-6, 1e-6);
  // A displacement whose square overflows still gets its factor, not 1.
  EXPECT_NEAR(auto_magnification(star(1e200)), 0.1 * 2 * std::sqrt(2.0) / 1e200, 1e-12 * 1.414e-201);
}

// Stresses near the largest double: the legend's band edges stay finite.
TEST(ViewSvg, TheLegendOfStressesNearTheLargestDoubleIsFinite) {
  auto m = make_model({{0, 0, 0}, {1, 0, 0}}, {{1, 2, 1}});
  auto r = report_text(3, 0.5, {{0, 0, 0}, {0.1, 0, 0}}, {}, {1e308});
  auto doc = parse_xml(render_svg(match(m, read_report(r, "o"), "i", "o"), {}));
  EXPECT_EQ(texts_holding(doc, "+1e+308"), 1u);
  EXPECT_EQ(texts_holding(doc, "inf"), 0u);
}

// The isometric view looks along the legs of this roof and draws them as points; the
// default view draws every bar at a fair share of its length.
TEST(ViewSvg, TheDefaultViewSeesNoBarOfAPyramidRoofEndOn) {
  const scene roof = pyramid_roof();
  auto drawn_lengths = [&](projection p) {
    std::pair<double, double> range{INFINITY, 0.0};
    for (const segment& s : segments_in(parse_xml(render_svg(roof, {p})), "undeformed"))
      range = {std::min(range.first, s.length()), std::max(range.second, s.length())};
    return range;
  };
  EXPECT_EQ(drawn_lengths(projection::iso).first, 0.0);
  EXPECT_GT(end_on_bars(roof, direction_of(projection::iso, roof).axes), 0);
  EXPECT_EQ(end_on_bars(roof, direction_of(projection::automatic, roof).axes), 0);
  // Legs of length sqrt 3 beside base bars of 2: none is drawn much shorter than the rest.
  const auto [shortest, longest] = drawn_lengths(projection::automatic);
  EXPECT_GT(shortest, 0.15 * longest);

  // Bars along the first candidate direction send the choice to the next one, and the
  // caption says which was taken.
  const screen_axes first = axes_from(oblique_candidates[0]);
  const vec3 sight{first.right.y * first.up.z - first.right.z * first.up.y,
                   first.right.z * first.up.x - first.right.x * first.up.z,
                   first.right.x * first.up.y - first.right.y * first.up.x};
  std::vector<node_spec> nodes;
  std::vector<bar_spec> bars;
  for (int k = 0; k < 3; ++k) {
    nodes.push_back({double(k), 0, 0}), nodes.push_back({k + sight.x, sight.y, sight.z});
    bars.push_back({2 * k + 1, 2 * k + 2, 1});
  }
  const scene along = match(make_model(nodes, bars),
                            read_report(report_text(1, 0, std::vector<std::array<double, 3>>(6, {0, 0, 0}), {}, {1, 1, 1}), "o"),
                            "i", "o");
  EXPECT_EQ(end_on_bars(along, first), 3);
  const view_direction chosen = direction_of(projection::automatic, along);
  EXPECT_EQ(end_on_bars(along, chosen.axes), 0);
  EXPECT_EQ(chosen.caption, "view from azimuth -28\xC2\xB0, elevation 34\xC2\xB0");
}

TEST(ViewSvg, SupportsAndLoadsAreMarkedAndLoadsScaledToTheLargest) {
  // Node 1 held in X, Y and Z; node 3 in Z only; node 2 loaded in X, node 3 by half as much in -Y.
  auto m = make_model({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}, {{1, 2, 1}, {2, 3, 1}},
                      {{1, 1, 0}, {1, 2, 0}, {1, 3, 0}, {3, 3, 0}});
  m.loads(2, 1) = 0.5, m.loads(3, 2) = -0.25;
  const scene s = match(m, read_report(report_text(1, 0, {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}, {}, {1, 2}), "o"), "i", "o");
  ASSERT_EQ(s.supports.size(), 2u);
  EXPECT_EQ(s.supports[1].node, 2);
  EXPECT_EQ(s.supports[1].held, (std::array<bool, 3>{false, false, true}));
  ASSERT_EQ(s.loads.size(), 2u);
  EXPECT_EQ(s.loads[1].force.y, -0.25);

  // Seen from above, Z points at the viewer: a square for it, a stub and its cross bar for X and Y.
  auto doc = parse_xml(render_svg(s, {projection::xy}));
  std::string supports;
  for (const element& p : paths_in(doc, "supports")) supports += p.attributes.at("d");
  EXPECT_EQ(std::count(supports.begin(), supports.end(), 'z'), 2);  // two squares
  EXPECT_EQ(std::count(supports.begin(), supports.end(), 'l'), 4);  // two stubs with their bars

  auto arrows = segments_in(doc, "loads");
  ASSERT_EQ(arrows.size(), 6u);  // a shaft and two strokes of the head each
  EXPECT_NEAR(arrows[0].length(), 700, 1);  // the largest load
  EXPECT_LT(arrows[0].x1, arrows[0].x2);    // along +X, its point at node 2
  EXPECT_NEAR(arrows[3].length(), 350, 1);  // half of it
  EXPECT_GT(arrows[3].y2, arrows[3].y1);    // -Y runs down the screen
  EXPECT_EQ(arrows[0].x2, arrows[1].x1);    // the head starts at the point
  EXPECT_EQ(paths_in(doc, "loads")[0].attributes.size(), 1u);  // its colour is the group's
  EXPECT_EQ(texts_holding(doc, "largest 0.5"), 1u);

  // Seen along X, node 2's load points at the viewer: a circle.
  doc = parse_xml(render_svg(s, {projection::yz}));
  EXPECT_NE(paths_in(doc, "loads")[0].attributes.at("d").find('a'), std::string::npos);
}

// A mast seen from above is a point: nothing about it is too dense to mark, and a point has
// no length for a scale bar to measure.
TEST(ViewSvg, AStructureSeenEndOnIsAPointWithItsMarksAndNoScale) {
  auto m = make_model({{0, 0, 0}, {0, 0, 1}, {0, 0, 2}}, {{1, 2, 1}, {2, 3, 1}}, {{1, 1, 0}, {1, 2, 0}, {1, 3, 0}});
  m.loads(3, 3) = -1;
  const scene s = match(
      m, read_report(report_text(1, 0, {{0, 0, 0}, {0, 0, -0.01}, {0, 0, -0.02}}, {{1, {false, false, true}, {0, 0, 1}}}, {-1, -1}), "o"),
      "i", "o");
  auto doc = parse_xml(render_svg(s, {projection::xy}));
  EXPECT_EQ(texts_holding(doc, "too dense"), 0u);
  EXPECT_FALSE(paths_in(doc, "supports").empty());
  EXPECT_FALSE(paths_in(doc, "loads").empty());  // a load along the line of sight: a circle
  EXPECT_EQ(texts_holding(doc, "model unit"), 0u);
  // Seen from the side it is drawn to scale, with its bar.
  EXPECT_EQ(texts_holding(parse_xml(render_svg(s, {projection::xz})), "model unit"), 1u);
}

TEST(ViewSvg, SmallModelsAreNumberedBigOnesAreNot) {
  auto doc = parse_xml(render_svg(star(), {}));
  std::vector<std::string> nodes, bars;
  for (const element& e : doc) {
    if (e.name != "text" || e.parent < 0) continue;
    const std::string& group = doc[e.parent].attributes["id"];
    if (group == "node-numbers") nodes.push_back(e.text);
    if (group == "bar-numbers") bars.push_back(e.text);
  }
  EXPECT_EQ(nodes, (std::vector<std::string>{"1", "2", "3", "4", "5"}));
  EXPECT_EQ(bars, (std::vector<std::string>{"1", "2", "3", "4"}));
  const std::string big = render_svg(scene_of(make_chain(1000)), {});
  EXPECT_EQ(big.find("node-numbers"), std::string::npos);
}

// The model's title is the user's text: whatever it holds, the file stays well-formed and
// shows it as text.
TEST(ViewSvg, TheTitleIsEscaped) {
  scene s = star();
  s.title = "Roof <b>A</b> & \"B\" 'C' ]]> <!-- x --> <script>alert(1)</script>";
  const std::string svg = render_svg(s, {});
  std::vector<element> doc;
  ASSERT_NO_THROW(doc = parse_xml(svg)) << svg;
  EXPECT_EQ(svg.find("<b>"), std::string::npos);
  EXPECT_EQ(svg.find("]]>"), std::string::npos);
  EXPECT_EQ(svg.find("<script"), std::string::npos);
  EXPECT_EQ(svg.find("<!--"), std::string::npos);
  EXPECT_NE(svg.find("Roof &lt;b&gt;A&lt;/b&gt; &amp; &quot;B&quot; &#39;C&#39; ]]&gt;"), std::string::npos);
  EXPECT_EQ(texts_holding(doc, "Roof"), 1u);
}

// Paths batch the bars: the element count stays nearly flat from 1000 bars to 30000.
TEST(ViewSvg, TheElementCountGrowsFarSlowerThanTheBarCount) {
  auto elements = [](int bars) { return parse_xml(render_svg(scene_of(make_chain(bars)), {})).size(); };
  const std::size_t small = elements(1000), large = elements(30000);
  EXPECT_LT(small, 60u);
  EXPECT_LT(large, small + 2 * 30000 / pieces_per_path + 4);
}

// A generated cable net of some 30000 bars converts; without rsvg-convert (scripts/setup
// installs it) there is nothing to run.
TEST(ViewSvg, TheSvgOfALargeNetConvertsWithRsvg) {
  const std::string rsvg = on_path("rsvg-convert");
  if (rsvg.empty()) GTEST_SKIP() << "rsvg-convert is not installed (scripts/setup installs it)";

  kalvane_test::scratch_folder dir;
  structures::options o;
  o.bars = 30000;
  kalvane_test::write_file(dir / "input.txt", structures::generate(o));
  kalvane::model m;
  kalvane::input(m, dir / "input.txt");
  report r;  // made here, not read: the report's layout is not what this test is about
  for (int32_t k = 1; k <= m.node_count; ++k) {
    r.displacement.push_back({0.0, 0.0, -0.05 * std::sin(0.01 * k)});
    for (int c = 1; c <= 3; ++c)
      if (m.dof_map(k, c)) r.displacement.back()[c - 1] = m.prescribed(k, c);
  }
  for (int32_t e = 1; e <= kalvane::bar_count(m); ++e) r.stress.push_back(100.0 * std::sin(0.001 * e));
  const scene s = match(m, r, "i", "o");
  ASSERT_GT(s.bars.size(), 20000u);

  const std::string svg = render_svg(s, {projection::automatic, true, 1.0});
  const auto doc = parse_xml(svg);
  EXPECT_LT(doc.size(), 100u);
  // Its supports and loads would be specks a pixel apart: the legend says so instead.
  EXPECT_TRUE(paths_in(doc, "loads").empty());
  EXPECT_EQ(texts_holding(doc, "too dense to draw"), 2u);
  kalvane_test::write_file(dir / "kalvane.svg", svg);
  kalvane_test::program_run run;
  run.program = rsvg;
  run.args = {"-w", "800", "-o", dir / "kalvane.png", dir / "kalvane.svg"};
  const kalvane_test::program_result converted = kalvane_test::run_program(run);
  EXPECT_EQ(converted.status, 0) << converted.err;
  EXPECT_EQ(kalvane_test::read_file(dir / "kalvane.png").rfind("\x89PNG", 0), 0u);
}

// Both files of a big model hold every bar, and the picture stays small.
TEST(ViewSvg, ABigModelGivesEveryBarInBothFilesAtABoundedSize) {
  const scene s = scene_of(make_chain(20000));
  const std::string svg = render_svg(s, {projection::iso, true, 1.0});
  EXPECT_LT(svg.size(), 50u * 20000u);
  EXPECT_EQ(segments_in(parse_xml(svg), "deformed").size(), 20000u);
  const std::string vtu = render_vtu({s.initial, s.displacement, s.bars, {}, {{"stress", std::span<const double>(s.stress)}}, {}, s.title, {}});
  EXPECT_NE(vtu.find("<Piece NumberOfPoints=\"20001\" NumberOfCells=\"20000\">"), std::string::npos);
  // Points, displacements, stresses, connectivity, offsets and types, each with its size.
  const std::size_t data = vtu.find("encoding=\"raw\">\n   _") + 20;
  EXPECT_EQ(vtu.size() - data, 6 * 8 + 20001 * 48 + 20000 * 3 * 8 + 20000 + std::string("\n  </AppendedData>\n</VTKFile>\n").size());
}
