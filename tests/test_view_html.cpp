#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>

#include "error.hpp"
#include "support.hpp"
#include "test_view_fixture.hpp"
#include "view/app.hpp"
#include "view/html.hpp"
#include "view/page_assets.hpp"
#include "view/svg_write.hpp"

using namespace kalvane::view;
using namespace kalvane_test;

namespace {

std::string base64_decoded(const std::string& text) {
  static const std::string digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  uint32_t group = 0;
  int bits = 0;
  for (char c : text) {
    if (c == '=') break;
    group = group << 6 | static_cast<uint32_t>(digits.find(c));
    if ((bits += 6) >= 8) out += static_cast<char>((group >> (bits -= 8)) & 0xff);
  }
  return out;
}

// The text of the <script> element with this id.
std::string script_text(const std::string& html, const std::string& id) {
  const std::string open = "id=\"" + id + "\">";
  const std::size_t from = html.find(open);
  if (from == std::string::npos) return "<missing>";
  const std::size_t start = from + open.size();
  return html.substr(start, html.find("</script>", start) - start);
}

std::vector<double> doubles_in(const std::string& bytes) {
  std::vector<double> out(bytes.size() / 8);
  std::memcpy(out.data(), bytes.data(), 8 * out.size());  // little-endian, as on every machine we build for
  return out;
}

page two_bar_page() {
  const auto m = view_test::make_model({{0, 0, 0}, {1, 0, 0}, {1, 1, 0.5}}, {{1, 2, 0.01}, {2, 3, 0.02}},
                                       {{1, 1, 0.0}, {1, 2, 0.0}, {1, 3, 0.0}, {3, 3, 0.0}});
  const std::string report = view_test::report_text(
      4, -2.5, {{0, 0, 0}, {1e-3, -2e-3, 0.1}, {0.25, 0, 0}},
      {{1, {true, true, true}, {-1, 0.5, 2}}, {3, {false, false, true}, {0, 0, -0.75}}}, {12.5, -0.125});
  page p;
  p.shape = match(m, read_report(report, "output.txt"), "input.txt", "output.txt");
  p.shape.title = "two bars";
  p.marks = marks_of(p.shape, read_report(report, "output.txt"));
  return p;
}

}  // namespace

TEST(ViewHtml, TextsCannotLeaveTheirContext) {
  // Nothing of a title can close the data's <script> element, open a comment, or end a JSON
  // string; bytes that are not UTF-8 become the replacement character.
  const std::string hostile = "</script><!--<script>\"quote\" 'apostrophe' back\\slash & \x01\t\n";
  const std::string json = script_json_string(hostile);
  EXPECT_EQ(json.find_first_of("<>&'\n\t\x01", 1), std::string::npos) << json;
  EXPECT_EQ(json, "\"\\u003c/script\\u003e\\u003c!--\\u003cscript\\u003e\\\"quote\\\" \\u0027apostrophe\\u0027 "
                  "back\\\\slash \\u0026 \\u0001\\u0009\\u000a\"");
  EXPECT_EQ(script_json_string("a\xE2\x80\xA8" "b\xE2\x80\xA9" "c"), "\"a\\u2028b\\u2029c\"");
  EXPECT_EQ(script_json_string("\xC3\x84 \xE2\x82\xAC \xF0\x9F\x98\x80"), "\"\xC3\x84 \xE2\x82\xAC \xF0\x9F\x98\x80\"");
  // Latin-1, a cut sequence, an overlong form, a surrogate, beyond U+10FFFF.
  EXPECT_EQ(script_json_string("caf\xE9 \xE2\x82 \xC0\x80 \xED\xA0\x80 \xF4\x90\x80\x80"),
            "\"caf\\ufffd \\ufffd\\ufffd \\ufffd\\ufffd \\ufffd\\ufffd\\ufffd \\ufffd\\ufffd\\ufffd\\ufffd\"");
  EXPECT_EQ(kalvane::view::escaped("<a href=\"x\">'&'</a>"), "&lt;a href=&quot;x&quot;&gt;&#39;&amp;&#39;&lt;/a&gt;");
}

TEST(ViewHtml, Base64FollowsTheStandard) {
  const std::pair<const char*, const char*> vectors[] = {{"", ""},         {"f", "Zg=="},         {"fo", "Zm8="},
                                                         {"foo", "Zm9v"},  {"foob", "Zm9vYg=="},  {"fooba", "Zm9vYmE="},
                                                         {"foobar", "Zm9vYmFy"}, {"\xff\xfe", "//4="}};
  for (const auto& [bytes, text] : vectors) EXPECT_EQ(base64(bytes), text) << bytes;
}

TEST(ViewHtml, PathCsvIsReadOrRefusedWithItsLine) {
  const std::string header =
      "stage,load_factor,displacement node 5 Z,largest_displacement,total_potential,smallest_pivot,negative_pivots,kind";
  const load_path path = read_load_path(header + "\r\n1,0.5,-0.25,0.3,-1,0.1,0,regular\r\n2,1,nan,1,2,-1,1,limit\n\n",
                                        "path/path.csv");
  EXPECT_EQ(path.displacement_label, "displacement node 5 Z");
  ASSERT_EQ(path.points.size(), 2u);
  EXPECT_EQ(path.points[0].stage, 1);
  EXPECT_EQ(path.points[0].load_factor, 0.5);
  EXPECT_EQ(path.points[0].displacement, -0.25);
  EXPECT_TRUE(std::isnan(path.points[1].displacement));
  EXPECT_EQ(path.points[1].kind, "limit");
  EXPECT_EQ(path.points[1].negative_pivots, 1);

  const std::pair<std::string, std::string> bad[] = {
      {"stage,load_factor\n", "path.csv:1: expected kalvane-path's header"},
      {header + "\n1,0.5,x,0,0,0,0,regular\n", "path.csv:2: 'x' is not a displacement"},
      {header + "\n1,nan,0,0,0,0,0,regular\n", "path.csv:2: 'nan' is not a load factor"},
      {header + "\n1,0.5,0,0,0,0,0,regular\n1,1,0,0,0,0,0\n", "path.csv:3: a row needs 8 fields, not 7"},
      {header + "\n1,0.5,0,0,0,0,0,snap\n", "path.csv:2: kind 'snap' is none of regular, limit, bifurcation"},
      {header + "\n1,0.5,0,0,0,0,-1,limit\n", "path.csv:2: '-1' is not a count of negative pivots"},
      {"", "path.csv:1: the file is empty"}};
  for (const auto& [text, message] : bad) {
    try {
      read_load_path(text, "path.csv");
      ADD_FAILURE() << "accepted: " << text;
    } catch (const kalvane::error& e) {
      EXPECT_NE(std::string(e.what()).find(message), std::string::npos) << e.what();
    }
  }
}

TEST(ViewHtml, MarksJoinSupportsLoadsAndReactionsByNode) {
  auto m = view_test::make_model({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}}, {{1, 2, 1}, {2, 3, 1}}, {{1, 1, 0}, {3, 2, 0}, {3, 3, 0}});
  m.loads(2, 3) = -4.0;
  const auto r = read_report(view_test::report_text(1, 0, {{0, 0, 0}, {0, 0, -1}, {0, 0, 0}},
                                                    {{1, {true, false, false}, {3, 0, 0}},
                                                     {3, {false, true, true}, {0, -1.5, 4}}},
                                                    {1, 1}),
                             "output.txt");
  const auto marks = marks_of(match(m, r, "input.txt", "output.txt"), r);
  ASSERT_EQ(marks.size(), 3u);
  EXPECT_EQ(marks[0].node, 1);
  EXPECT_EQ(marks[0].held, (std::array<bool, 3>{true, false, false}));
  EXPECT_EQ(marks[0].reaction, (std::array<double, 3>{3, 0, 0}));
  EXPECT_EQ(marks[1].held, (std::array<bool, 3>{false, false, false}));
  EXPECT_EQ(marks[1].load, (std::array<double, 3>{0, 0, -4}));
  EXPECT_EQ(marks[2].reaction, (std::array<double, 3>{0, -1.5, 4}));
}

TEST(ViewHtml, PageCarriesTheExactValuesAndEmbedsEverything) {
  page p = two_bar_page();
  p.shape.title = "{{data}} {{modules}} </script>";  // neither a placeholder nor an end tag
  const std::string html = render_html(p);
  EXPECT_EQ(html.find("{{"), html.find("{{data}} {{modules}}"));
  EXPECT_NE(html.find("<title>{{data}} {{modules}} &lt;/script&gt;</title>"), std::string::npos);

  const auto initial = doubles_in(base64_decoded(script_text(html, "kalvane-initial")));
  EXPECT_EQ(initial, (std::vector<double>{0, 0, 0, 1, 0, 0, 1, 1, 0.5}));
  const auto displacement = doubles_in(base64_decoded(script_text(html, "kalvane-displacement")));
  EXPECT_EQ(displacement, (std::vector<double>{0, 0, 0, 1e-3, -2e-3, 0.1, 0.25, 0, 0}));
  EXPECT_EQ(doubles_in(base64_decoded(script_text(html, "kalvane-stress"))), (std::vector<double>{12.5, -0.125}));
  EXPECT_EQ(doubles_in(base64_decoded(script_text(html, "kalvane-area"))), (std::vector<double>{0.01, 0.02}));
  EXPECT_EQ(base64_decoded(script_text(html, "kalvane-ends")), std::string("\0\0\0\0\1\0\0\0\1\0\0\0\2\0\0\0", 16));
  const std::string colours = base64_decoded(script_text(html, "kalvane-colour"));
  ASSERT_EQ(colours.size(), 6u);
  EXPECT_EQ(colours.substr(0, 3), (std::string{char(33), char(102), char(172)}));  // the full tension colour
  const std::string meta = script_text(html, "kalvane-meta");
  EXPECT_NE(meta.find("\"stress_limit\":12.5"), std::string::npos) << meta;
  EXPECT_NE(meta.find("\"marks\":{\"node\":[1,3],\"held\":[7,4]"), std::string::npos) << meta;
  EXPECT_NE(meta.find("\"reaction\":[-1,0.5,2,0,0,-0.75]"), std::string::npos) << meta;
  EXPECT_NE(meta.find("\"path\":null"), std::string::npos) << meta;

  // JSON has no NaN: a run that went wrong still gives a page that parses, and says what it holds.
  p.shape.objective = NAN;
  p.marks[1].reaction[2] = -INFINITY;
  const std::string broken = script_text(render_html(p), "kalvane-meta");
  EXPECT_NE(broken.find("\"objective\":\"NaN\""), std::string::npos) << broken;
  EXPECT_NE(broken.find("\"reaction\":[-1,0.5,2,0,0,\"-Infinity\"]"), std::string::npos) << broken;

  // The same areas everywhere travel as one number.
  p.shape.area = {0.5, 0.5};
  const std::string uniform = render_html(p);
  EXPECT_NE(script_text(uniform, "kalvane-meta").find("\"area\":0.5,"), std::string::npos);
  EXPECT_EQ(script_text(uniform, "kalvane-area"), "");

  // Embedded as <script> text, no file may end its element or open a comment there.
  for (std::string_view asset : {page_assets::three_core, page_assets::three_module, page_assets::orbit_controls,
                                 page_assets::page_js, page_assets::boot_js}) {
    std::string lower(asset);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    EXPECT_GT(lower.size(), 500u);
    EXPECT_EQ(lower.find("</script"), std::string::npos);
    EXPECT_EQ(lower.find("<!--"), std::string::npos);
  }
  EXPECT_NE(html.find(page_assets::three_core.substr(0, 200)), std::string::npos);
}

TEST(ViewHtml, HtmlOptionWritesThePageAlone) {
  const options o = parse_options({"--html"});
  EXPECT_TRUE(o.write_html && !o.write_svg && !o.write_vtk);
  EXPECT_THROW(parse_options({"--html", "--svg-only"}), kalvane::error);
  EXPECT_THROW(parse_options({"--html=1"}), kalvane::error);

  scratch_folder dir;
  write_file(dir / "input.txt", read_file(source_path("examples/single_bar/input.txt")));
  ASSERT_EQ(run_kalvane(dir.path).status, 0);
  options html = o;
  html.dir = dir.path;
  EXPECT_EQ(run_view(html).written, std::vector<std::string>{dir / "kalvane.html"});
  EXPECT_FALSE(file_exists(dir / "kalvane.svg"));
  EXPECT_NE(read_file(dir / "kalvane.html").find("\"path\":null"), std::string::npos);

  // A path.csv next to the report is drawn, or refused with its line; no page is then written.
  std::filesystem::remove(dir / "kalvane.html");
  write_file(dir / "path.csv", "stage,load_factor\n");
  try {
    run_view(html);
    ADD_FAILURE() << "a bad path.csv was accepted";
  } catch (const kalvane::error& e) {
    EXPECT_NE(std::string(e.what()).find("path.csv:1: expected kalvane-path's header"), std::string::npos) << e.what();
  }
  EXPECT_FALSE(file_exists(dir / "kalvane.html"));
}
