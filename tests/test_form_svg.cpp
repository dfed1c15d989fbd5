// form.svg: the model's title escaped wherever it lands, every bar drawn in the colour of
// its force's sign, the held nodes and loads marked, the loads' scale in the legend.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "form/find.hpp"
#include "form/form_svg.hpp"
#include "form_fixture.hpp"
#include "view/svg.hpp"

namespace {

using namespace form_test;

std::size_t count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST(FormSvg, TitleIsEscapedAndStrutsAndCablesAreDrawnInTheirColours) {
  const double r3 = std::sqrt(3.0);
  problem p = prism(1.0, r3, -r3, 5 * std::numbers::pi / 6, 1.3);
  for (int k = 0; k < 4; ++k) kalvane::form::hold(p, k);
  load(p, 5, {0.0, 0.0, -0.01});
  const kalvane::form::form_result r = kalvane::form::find_form(p);
  const std::string svg = kalvane::form::render_form_svg(p, r, "Prism <b>&\"'</b>\x01");
  EXPECT_EQ(svg.find("<b>"), std::string::npos);
  EXPECT_NE(svg.find("<title>kalvane-form shape: Prism &lt;b&gt;&amp;&quot;&#39;&lt;/b&gt;\xEF\xBF\xBD</title>"),
            std::string::npos);
  // A path in a band's colour exactly where some bar's force falls in that band: the struts
  // in compression, the cables in tension.
  double limit = 0.0;
  for (double f : r.force) limit = std::max(limit, std::fabs(f));
  for (int band = -kalvane::view::bands_per_sign; band <= kalvane::view::bands_per_sign; ++band) {
    bool used = false;
    for (double f : r.force) used = used || kalvane::view::stress_band(f, limit) == band;
    const std::string tag = "<path stroke=\"" + kalvane::view::hex(kalvane::view::band_colour(band)) + "\"";
    EXPECT_EQ(count(svg, tag), used ? 1u : 0u) << "band " << band;
  }
  for (int b = 0; b < 12; ++b)
    EXPECT_EQ(kalvane::view::stress_band(r.force[b], limit) < 0, b % 4 == 3) << "bar " << b + 1;
  EXPECT_NE(svg.find("id=\"supports\""), std::string::npos);
  EXPECT_NE(svg.find("id=\"loads\""), std::string::npos);
  // The arrows' scale in the legend: the largest load, and none on an unloaded shape.
  EXPECT_NE(svg.find(">largest 0.01<"), std::string::npos);
  problem unloaded = p;
  unloaded.loads.clear();
  EXPECT_EQ(kalvane::form::render_form_svg(unloaded, kalvane::form::find_form(unloaded), "").find(">largest "),
            std::string::npos);
  EXPECT_NE(svg.find("12 bars"), std::string::npos);
  EXPECT_EQ(svg.substr(svg.size() - 7), "</svg>\n");
}

}  // namespace
