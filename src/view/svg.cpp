#include "view/svg.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace kalvane::view {

namespace {

// Screen layout, in tenths of a pixel.
constexpr double draw_left = 400, draw_right = 8300, draw_top = 700, draw_bottom = 6800;
constexpr int bar_left = 8650, bar_top = 1500, bar_width = 220, bar_height = 4200;
constexpr int scale_left = 400, scale_y = 7150;

struct point2 {
  double u = 0.0, v = 0.0;
};

point2 project(const vec3& p, projection view) {
  switch (view) {
    case projection::xy: return {p.x, p.y};
    case projection::xz: return {p.x, p.z};
    case projection::yz: return {p.y, p.z};
    case projection::iso: break;
  }
  // Seen from the direction (1, -1, 1) with Z up: X runs right and down, Y right and up.
  // The two screen axes are orthonormal, so lengths in the picture plane keep their scale.
  const double r2 = std::sqrt(2.0), r6 = std::sqrt(6.0);
  return {(p.x + p.y) / r2, (-p.x + p.y + 2.0 * p.z) / r6};
}

bool finite(const point2& p) { return std::isfinite(p.u) && std::isfinite(p.v); }

// Maps projected model coordinates onto the drawing area, keeping the aspect ratio.
struct fit {
  double scale = 1.0;  // tenths of a pixel per model unit
  double u_mid = 0.0, v_mid = 0.0;

  long long x(double u) const { return std::llround((draw_left + draw_right) / 2 + (u - u_mid) * scale); }
  long long y(double v) const { return std::llround((draw_top + draw_bottom) / 2 - (v - v_mid) * scale); }
};

fit fit_to_area(const std::vector<point2>& points) {
  double u_lo = INFINITY, u_hi = -INFINITY, v_lo = INFINITY, v_hi = -INFINITY;
  for (const point2& p : points) {
    if (!finite(p)) continue;
    u_lo = std::min(u_lo, p.u), u_hi = std::max(u_hi, p.u);
    v_lo = std::min(v_lo, p.v), v_hi = std::max(v_hi, p.v);
  }
  fit f;
  if (u_lo > u_hi) return f;  // nothing finite to draw
  f.u_mid = (u_lo + u_hi) / 2, f.v_mid = (v_lo + v_hi) / 2;
  const double du = u_hi - u_lo, dv = v_hi - v_lo;
  const double su = du > 0 ? (draw_right - draw_left) / du : INFINITY;
  const double sv = dv > 0 ? (draw_bottom - draw_top) / dv : INFINITY;
  f.scale = std::min(su, sv);
  if (!std::isfinite(f.scale) || f.scale <= 0) f.scale = 1.0;  // a single point
  return f;
}

void append_int(std::string& out, long long value) {
  char buffer[24];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, end);
}

void append_hex(std::string& out, rgb c) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "#%02x%02x%02x", c.red, c.green, c.blue);
  out += buffer;
}

std::string number_text(const char* format, double value) {
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

// Text nodes are numbers and fixed words, but escape anyway so the file stays well-formed.
std::string escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '&') out += "&amp;";
    else if (c == '<') out += "&lt;";
    else if (c == '>') out += "&gt;";
    else out += c;
  }
  return out;
}

void append_text(std::string& out, int x, int y, int size, const char* anchor, const std::string& text) {
  out += "<text x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) + "\" font-size=\"" +
         std::to_string(size) + "\"";
  if (anchor) out += std::string(" text-anchor=\"") + anchor + "\"";
  out += ">" + escaped(text) + "</text>\n";
}

// One bar as "M x y l dx dy": a move and a relative line keep the numbers short.
void append_bar_path(std::string& out, const fit& f, const point2& a, const point2& b) {
  out += "d=\"";
  if (finite(a) && finite(b)) {
    long long x1 = f.x(a.u), y1 = f.y(a.v);
    out += 'M';
    append_int(out, x1);
    out += ' ';
    append_int(out, y1);
    out += 'l';
    append_int(out, f.x(b.u) - x1);
    out += ' ';
    append_int(out, f.y(b.v) - y1);
  }
  out += "\"/>\n";  // a bar with a non-finite end keeps its (empty) path
}

// Thick lines for a few long bars, hairlines for a dense mesh: a fraction of the mean
// drawn bar length, within limits that stay visible and do not swamp the drawing.
double stroke_width(const std::vector<point2>& ends, const fit& f) {
  double total = 0.0;
  long long counted = 0;
  for (std::size_t i = 0; i + 1 < ends.size(); i += 2) {
    if (!finite(ends[i]) || !finite(ends[i + 1])) continue;
    total += std::hypot(ends[i + 1].u - ends[i].u, ends[i + 1].v - ends[i].v) * f.scale;
    ++counted;
  }
  if (counted == 0 || !(total > 0)) return 30.0;
  return std::clamp(total / static_cast<double>(counted) / 15.0, 4.0, 30.0);
}

void append_colour_bar(std::string& out, double limit, bool any_undefined) {
  out += "<rect x=\"" + std::to_string(bar_left) + "\" y=\"" + std::to_string(bar_top) + "\" width=\"" +
         std::to_string(bar_width) + "\" height=\"" + std::to_string(bar_height) +
         "\" fill=\"url(#stress)\" stroke=\"#444\" stroke-width=\"6\"/>\n";
  const int label_x = bar_left + bar_width + 80;
  append_text(out, bar_left, bar_top - 450, 150, nullptr, "stress");
  append_text(out, bar_left, bar_top - 150, 120, nullptr, "tension");
  append_text(out, label_x, bar_top + 50, 130, nullptr, number_text("%+.4g", limit));
  append_text(out, label_x, bar_top + bar_height / 2 + 50, 130, nullptr, "0");
  append_text(out, label_x, bar_top + bar_height + 50, 130, nullptr, number_text("%+.4g", -limit));
  append_text(out, bar_left, bar_top + bar_height + 250, 120, nullptr, "compression");
  if (any_undefined) append_text(out, bar_left, bar_top + bar_height + 450, 120, nullptr, "black: not a number");
}

// A bar of a round length (1, 2 or 5 times a power of ten) about 150 pixels long.
void append_scale_bar(std::string& out, const fit& f) {
  const double wanted = 1500.0 / f.scale;
  double step = std::pow(10.0, std::floor(std::log10(wanted)));
  for (double m : {5.0, 2.0, 1.0})
    if (m * step <= wanted) {
      step *= m;
      break;
    }
  const long long length = std::llround(step * f.scale);
  out += "<path d=\"M" + std::to_string(scale_left) + " " + std::to_string(scale_y - 60) + "v120m0 -60h" +
         std::to_string(length) + "m0 -60v120\" stroke=\"#000\" stroke-width=\"12\" fill=\"none\"/>\n";
  append_text(out, scale_left + static_cast<int>(length) + 120, scale_y + 50, 130, nullptr,
              number_text("%g", step) + (step == 1.0 ? " model unit" : " model units"));
}

}  // namespace

std::optional<projection> projection_named(const std::string& name) {
  for (projection p : {projection::xy, projection::xz, projection::yz, projection::iso})
    if (name == name_of(p)) return p;
  return std::nullopt;
}

const char* name_of(projection p) {
  switch (p) {
    case projection::xy: return "xy";
    case projection::xz: return "xz";
    case projection::yz: return "yz";
    case projection::iso: break;
  }
  return "iso";
}

rgb stress_colour(double stress, double limit) {
  if (std::isnan(stress)) return undefined_colour;
  if (stress == 0.0) return neutral_colour;
  double t = stress / limit;
  if (!(std::fabs(t) <= 1.0)) t = stress > 0 ? 1.0 : -1.0;  // beyond the limit, or infinite
  const rgb& end = t > 0 ? tension_colour : compression_colour;
  const double w = std::fabs(t);
  auto mix = [w](int from, int to) { return static_cast<int>(std::lround(from + (to - from) * w)); };
  return {mix(neutral_colour.red, end.red), mix(neutral_colour.green, end.green),
          mix(neutral_colour.blue, end.blue)};
}

double auto_magnification(const scene& s) {
  vec3 lo{INFINITY, INFINITY, INFINITY}, hi{-INFINITY, -INFINITY, -INFINITY};
  for (const vec3& p : s.initial) {
    lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
    hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
  }
  double largest = 0.0;
  for (const vec3& d : s.displacement) {
    double size = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
    if (std::isfinite(size)) largest = std::max(largest, size);
  }
  if (s.initial.empty() || !(largest > 0.0)) return 1.0;
  const double diagonal = std::sqrt((hi.x - lo.x) * (hi.x - lo.x) + (hi.y - lo.y) * (hi.y - lo.y) +
                                    (hi.z - lo.z) * (hi.z - lo.z));
  if (!(diagonal > 0.0) || !std::isfinite(diagonal)) return 1.0;
  return 0.1 * diagonal / largest;
}

std::string render_svg(const scene& s, const svg_options& options) {
  const double k = options.auto_magnify ? auto_magnification(s) : options.magnify;
  const std::size_t bars = s.bars.size();

  // Both shapes' bar ends, projected: [2e] and [2e + 1] are the ends of bar e.
  std::vector<point2> before(2 * bars), after(2 * bars), all;
  for (std::size_t e = 0; e < bars; ++e) {
    const int32_t ends[2] = {s.bars[e].first, s.bars[e].second};
    for (int j = 0; j < 2; ++j) {
      const vec3& p = s.initial[static_cast<std::size_t>(ends[j])];
      const vec3& d = s.displacement[static_cast<std::size_t>(ends[j])];
      before[2 * e + j] = project(p, options.view);
      after[2 * e + j] = project({p.x + k * d.x, p.y + k * d.y, p.z + k * d.z}, options.view);
    }
  }
  all.reserve(4 * bars + 2 * s.initial.size());
  all.insert(all.end(), before.begin(), before.end());
  all.insert(all.end(), after.begin(), after.end());
  for (std::size_t i = 0; i < s.initial.size(); ++i) {  // nodes without bars are in the frame too
    const vec3& p = s.initial[i];
    const vec3& d = s.displacement[i];
    all.push_back(project(p, options.view));
    all.push_back(project({p.x + k * d.x, p.y + k * d.y, p.z + k * d.z}, options.view));
  }
  const fit f = fit_to_area(all);

  double limit = 0.0;
  bool any_undefined = false;
  for (double stress : s.stress) {
    if (std::isfinite(stress)) limit = std::max(limit, std::fabs(stress));
    any_undefined = any_undefined || std::isnan(stress);
  }
  const double width = stroke_width(after, f);

  std::string out;
  out.reserve(512 + 100 * bars);
  out +=
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"1000\" height=\"750\" viewBox=\"0 0 10000 7500\" "
      "font-family=\"sans-serif\">\n"
      "<title>kalvane result</title>\n<defs><linearGradient id=\"stress\" x1=\"0\" y1=\"0\" x2=\"0\" y2=\"1\">";
  for (auto [offset, colour] : {std::pair{"0", tension_colour}, {"0.5", neutral_colour}, {"1", compression_colour}}) {
    out += std::string("<stop offset=\"") + offset + "\" stop-color=\"";
    append_hex(out, colour);
    out += "\"/>";
  }
  out += "</linearGradient></defs>\n<rect width=\"10000\" height=\"7500\" fill=\"#fff\"/>\n";
  append_text(out, 400, 300, 180, nullptr,
              "kalvane: " + std::to_string(s.iterations) + " minor iterations, objective " +
                  number_text("%.6E", s.objective) + ", " + std::to_string(s.initial.size()) + " nodes, " +
                  std::to_string(bars) + " bars");
  append_text(out, 400, 540, 130, nullptr,
              std::string("view ") + name_of(options.view) + ", displacements \xC3\x97" + number_text("%.4g", k) +
                  (options.auto_magnify ? " (auto: largest displacement = 10% of structure size)" : "") +
                  ", undeformed shape in light grey");

  out += "<g id=\"undeformed\" fill=\"none\" stroke=\"#cccccc\" stroke-linecap=\"round\" stroke-width=\"" +
         number_text("%.0f", width) + "\">\n";
  for (std::size_t e = 0; e < bars; ++e) {
    out += "<path ";
    append_bar_path(out, f, before[2 * e], before[2 * e + 1]);
  }
  out += "</g>\n<g id=\"deformed\" fill=\"none\" stroke-linecap=\"round\" stroke-width=\"" +
         number_text("%.0f", width) + "\">\n";
  for (std::size_t e = 0; e < bars; ++e) {
    out += "<path stroke=\"";
    append_hex(out, stress_colour(s.stress[e], limit));
    out += "\" ";
    append_bar_path(out, f, after[2 * e], after[2 * e + 1]);
  }
  out += "</g>\n";
  append_colour_bar(out, limit, any_undefined);
  append_scale_bar(out, f);
  out += "</svg>\n";
  return out;
}

}  // namespace kalvane::view
