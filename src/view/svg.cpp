#include "view/svg.hpp"

#include <algorithm>
#include <cmath>
#include <optional>

#include "view/svg_marks.hpp"

namespace kalvane::view {

namespace {

// The legend's layout, in tenths of a pixel.
constexpr int legend_left = 8650, band_top = 1500, band_width = 220, band_height = 300;
constexpr int legend_text = legend_left + band_width + 80;
constexpr int scale_left = 400, scale_y = 7150;

struct point2 {
  double u = 0.0, v = 0.0;
};

point2 project(const vec3& p, const screen_axes& axes) {
  return {p.x * axes.right.x + p.y * axes.right.y + p.z * axes.right.z,
          p.x * axes.up.x + p.y * axes.up.y + p.z * axes.up.z};
}

bool finite(const point2& p) { return std::isfinite(p.u) && std::isfinite(p.v); }

struct area {
  double left = draw_left, right = draw_right, top = draw_top, bottom = draw_bottom;
};

// Maps projected model coordinates onto an area of the picture, keeping the aspect ratio.
struct fit {
  double scale = 1.0;  // tenths of a pixel per model unit
  double u_mid = 0.0, v_mid = 0.0;
  double x_mid = (draw_left + draw_right) / 2, y_mid = (draw_top + draw_bottom) / 2;
  bool to_scale = false;  // false for a single point, whose scale means nothing

  pixel at(const point2& p) const {
    return {std::llround(x_mid + (p.u - u_mid) * scale), std::llround(y_mid - (p.v - v_mid) * scale)};
  }
};

// Both shapes are fitted together.
fit fit_to_area(const std::vector<point2>& initial, const std::vector<point2>& final, const area& a) {
  double u_lo = INFINITY, u_hi = -INFINITY, v_lo = INFINITY, v_hi = -INFINITY;
  for (const auto* shape : {&initial, &final})
    for (const point2& p : *shape) {
      if (!finite(p)) continue;
      u_lo = std::min(u_lo, p.u), u_hi = std::max(u_hi, p.u);
      v_lo = std::min(v_lo, p.v), v_hi = std::max(v_hi, p.v);
    }
  fit f;
  f.x_mid = (a.left + a.right) / 2, f.y_mid = (a.top + a.bottom) / 2;
  if (u_lo > u_hi) return f;  // nothing finite to draw
  f.u_mid = (u_lo + u_hi) / 2, f.v_mid = (v_lo + v_hi) / 2;
  const double du = u_hi - u_lo, dv = v_hi - v_lo;
  const double su = du > 0 ? (a.right - a.left) / du : INFINITY;
  const double sv = dv > 0 ? (a.bottom - a.top) / dv : INFINITY;
  f.scale = std::min(su, sv);
  f.to_scale = std::isfinite(f.scale) && f.scale > 0;
  if (!f.to_scale) f.scale = 1.0;  // a single point
  return f;
}

node_pixels pixels_of(const std::vector<point2>& points, const fit& f) {
  node_pixels out(points.size());
  for (std::size_t k = 0; k < points.size(); ++k)
    if (finite(points[k])) out[k] = f.at(points[k]);
  return out;
}

// The mean length of the bars as drawn; 0 when none is drawn.
double mean_drawn_bar(const scene& s, const node_pixels& at) {
  double total = 0.0;
  long long counted = 0;
  for (const bar_ends& bar : s.bars) {
    const auto& a = at[static_cast<std::size_t>(bar.first)];
    const auto& b = at[static_cast<std::size_t>(bar.second)];
    if (!a || !b) continue;
    total += std::hypot(static_cast<double>(b->x - a->x), static_cast<double>(b->y - a->y));
    ++counted;
  }
  return counted == 0 ? 0.0 : total / static_cast<double>(counted);
}

// Thick lines for a few long bars, hairlines for a dense mesh: a fraction of the mean
// drawn bar length, within limits that stay visible and do not swamp the drawing.
double stroke_width(double mean_drawn_bar) {
  if (!(mean_drawn_bar > 0)) return 30.0;
  return std::clamp(mean_drawn_bar / 15.0, 4.0, 30.0);
}

void append_shape(path_batch& batch, const scene& s, const node_pixels& at, std::size_t e) {
  const auto& a = at[static_cast<std::size_t>(s.bars[e].first)];
  const auto& b = at[static_cast<std::size_t>(s.bars[e].second)];
  if (a && b) add_line(batch, *a, *b);  // a bar with a non-finite end is left out
}

// Unstressed bars first and the most stressed last, on top; bars whose stress is not a
// number over all.
std::vector<int> drawing_order() {
  std::vector<int> order{0};
  for (int b = 1; b <= bands_per_sign; ++b) order.push_back(-b), order.push_back(b);
  order.push_back(undefined_band);
  return order;
}

// What the colours mean, in the legend's words: its heading and its unit.
std::pair<std::string, std::string> colour_heading(const scene& s, colour_by colour) {
  if (colour == colour_by::force && !s.force.empty()) return {"axial force", "in the model's force unit"};
  return {"stress", s.materials.empty() ? "in the units of c1" : "in the model's stress unit"};
}

// The dash pattern that tells material m apart (solid for the first), in tenths of a pixel:
// gaps wider than the widest stroke, so round caps do not close them.
std::string dash_of(std::size_t m) {
  static const char* const patterns[] = {"", "160 70", "20 70", "160 70 20 70", "320 90"};
  return patterns[m % std::size(patterns)];
}

std::string dash_attribute(std::size_t m) {
  const std::string dash = dash_of(m);
  return dash.empty() ? "" : " stroke-dasharray=\"" + dash + "\"";
}

// Along the foot of the picture, right of the scale bar: a sample of each material's line
// and its name, as many as fit.
void append_materials(std::string& out, const scene& s) {
  long long x = 3400;
  const long long y = scale_y + 40, end = canvas_width - 200;
  append_text(out, x, y, 115, "materials:");
  x += 650;
  for (std::size_t m = 0; m < s.materials.size(); ++m) {
    const std::string& name = s.materials[m].name;
    const long long width = 360 + 62 * static_cast<long long>(name.size());
    if (x + width > end) {
      append_text(out, x, y, 115, "and " + std::to_string(s.materials.size() - m) + " more");
      break;
    }
    out += "<path d=\"M" + std::to_string(x) + " " + std::to_string(y - 40) + "h280\" stroke=\"#444\" stroke-width=\"16\"" +
           dash_attribute(m) + "/>\n";
    append_text(out, x + 330, y, 115, name);
    x += width;
  }
}

// A slack cable carries nothing: grey dashes, whatever the scale, with gaps wider than the
// round caps (half the stroke width at each end) close.
constexpr const char* slack_colour = "#999999";
std::string slack_dashes(double stroke) {
  return number_text("%.0f", 2.0 * stroke + 60.0) + " " + number_text("%.0f", 2.0 * stroke + 60.0);
}

void append_legend(std::string& out, const std::pair<std::string, std::string>& heading, double limit,
                   bool any_undefined, bool any_slack, double load, bool marks_shown) {
  append_text(out, legend_left, band_top - 560, 150, heading.first);
  // The model file's longer unit in smaller type, so that it fits the picture's edge.
  append_text(out, legend_left, band_top - 360, heading.second.size() > 20 ? 90 : 115, heading.second);
  append_text(out, legend_left, band_top - 130, 115, "tension");
  for (int b = bands_per_sign, row = 0; b >= -bands_per_sign; --b) {
    if (b == 0) continue;
    out += "<rect x=\"" + std::to_string(legend_left) + "\" y=\"" + std::to_string(band_top + row * band_height) +
           "\" width=\"" + std::to_string(band_width) + "\" height=\"" + std::to_string(band_height) + "\" fill=\"" +
           hex(band_colour(b)) + "\"/>\n";
    ++row;
  }
  const int bands_bottom = band_top + 2 * bands_per_sign * band_height;
  out += "<rect x=\"" + std::to_string(legend_left) + "\" y=\"" + std::to_string(band_top) + "\" width=\"" +
         std::to_string(band_width) + "\" height=\"" + std::to_string(bands_bottom - band_top) +
         "\" fill=\"none\" stroke=\"#444\" stroke-width=\"6\"/>\n";
  for (int edge = bands_per_sign; edge >= -bands_per_sign; --edge) {
    if (edge != 0 && !(limit > 0)) continue;  // every bar unstressed: the scale has no range
    const int y = band_top + (bands_per_sign - edge) * band_height + 45;
    // The ratio first: a limit near the largest double times 6 would overflow.
    const double value = limit * (static_cast<double>(edge) / bands_per_sign);
    append_text(out, legend_text, y, 115, edge == 0 ? "0" : number_text("%+.3g", value));
  }
  append_text(out, legend_left, bands_bottom + 230, 115, "compression");
  int y = bands_bottom + 430;
  if (any_undefined) append_text(out, legend_left, y, 115, "black: not a number"), y += 200;
  out += "<path d=\"M" + std::to_string(legend_left) + " " + std::to_string(y + 170) + "h" + std::to_string(band_width) +
         "\" stroke=\"#cccccc\" stroke-width=\"30\" stroke-linecap=\"round\"/>\n";
  append_text(out, legend_text, y + 210, 115, "undeformed");
  if (any_slack) {
    y += 300;
    out += "<path d=\"M" + std::to_string(legend_left) + " " + std::to_string(y + 170) + "h" +
           std::to_string(band_width) + "\" stroke=\"" + slack_colour + "\" stroke-width=\"16\" stroke-dasharray=\"" +
           slack_dashes(16) + "\"/>\n";
    append_text(out, legend_text, y + 210, 115, "slack cable");
  }
  y += 570;
  append_support_sample(out, legend_left + band_width / 2, y);
  append_text(out, legend_text, y, 115, "support");
  append_text(out, legend_text, y + 160, 95, marks_shown ? "a mark per held axis" : "too dense to draw");
  if (load > 0) {
    y += 520;
    append_load_sample(out, legend_left + band_width / 2, y);
    append_text(out, legend_text, y - 140, 115, "load");
    append_text(out, legend_text, y + 20, 95,
                marks_shown ? "largest " + number_text("%.4g", load) : "too dense to draw");
  }
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
  append_text(out, scale_left + length + 120, scale_y + 50, 130,
              number_text("%g", step) + (step == 1.0 ? " model unit" : " model units"));
}

}  // namespace

const std::vector<double>& colour_values(const scene& s, colour_by colour) {
  return colour == colour_by::force && !s.force.empty() ? s.force : s.stress;
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

int stress_band(double stress, double limit) {
  if (std::isnan(stress)) return undefined_band;
  if (stress == 0.0) return 0;
  const double t = std::fabs(stress / limit);
  // At least the first band: a stress too small beside the limit to be told from zero is
  // still not zero.
  const int b = t <= 1.0 ? std::max(1, static_cast<int>(std::ceil(t * bands_per_sign))) : bands_per_sign;
  return stress > 0 ? b : -b;
}

rgb band_colour(int band) {
  if (band == undefined_band) return undefined_colour;
  return stress_colour(static_cast<double>(band) / bands_per_sign, 1.0);
}

namespace {

// The factor that makes the largest displacement 10% of the bounding box's diagonal; none
// when no node moved by a finite amount (or the box has no finite size), or only by rounding
// (a form-found net at rest moves 1e-16 of its size, which 10% of it would draw as a shape).
std::optional<double> auto_factor(const scene& s) {
  vec3 lo{INFINITY, INFINITY, INFINITY}, hi{-INFINITY, -INFINITY, -INFINITY};
  for (const vec3& p : s.initial) {
    lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
    hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
  }
  // hypot: squares of lengths beyond 1e154 would overflow, and the factor fall back to 1.
  double largest = 0.0;
  for (const vec3& d : s.displacement) {
    const double size = std::hypot(d.x, d.y, d.z);
    if (std::isfinite(size)) largest = std::max(largest, size);
  }
  if (s.initial.empty() || !(largest > 0.0)) return std::nullopt;
  const double diagonal = std::hypot(hi.x - lo.x, hi.y - lo.y, hi.z - lo.z);
  if (!(diagonal > 0.0) || !std::isfinite(diagonal) || largest <= 1e-10 * diagonal) return std::nullopt;
  return 0.1 * diagonal / largest;
}

}  // namespace

double auto_magnification(const scene& s) { return auto_factor(s).value_or(1.0); }

std::string render_svg(const scene& s, const svg_options& options) {
  const std::optional<double> automatic = options.auto_magnify ? auto_factor(s) : std::nullopt;
  const double k = options.auto_magnify ? automatic.value_or(1.0) : options.magnify;
  const view_direction view = direction_of(options.view, s);
  const std::size_t nodes = s.initial.size(), bars = s.bars.size();

  // Every node in both shapes, projected; all of them are fitted, with or without bars.
  std::vector<point2> initial(nodes), final(nodes);
  for (std::size_t i = 0; i < nodes; ++i) {
    const vec3& p = s.initial[i];
    const vec3& d = s.displacement[i];
    initial[i] = project(p, view.axes);
    final[i] = project({p.x + k * d.x, p.y + k * d.y, p.z + k * d.z}, view.axes);
  }
  area drawing;
  fit f = fit_to_area(initial, final, drawing);
  // The marks keep their size on the screen: where they reach out of the area, the area
  // shrinks by as much and the structure is fitted again.
  const node_pixels first_fit = pixels_of(final, f);
  // Every bar seen end-on (a mast from above) draws points, which no density hides: the
  // marks keep their full size there.
  const double drawn_bar = mean_drawn_bar(s, first_fit);
  const mark_sizes marks = sizes_for(drawn_bar > 0 ? drawn_bar : mark_sizes{}.arrow);
  const marks_box reach = marks_extent(s, view.axes, first_fit, marks);
  if (reach.left <= reach.right) {
    drawing.left += std::max(0.0, drawing.left - static_cast<double>(reach.left));
    drawing.right -= std::max(0.0, static_cast<double>(reach.right) - drawing.right);
    drawing.top += std::max(0.0, drawing.top - static_cast<double>(reach.top));
    drawing.bottom -= std::max(0.0, static_cast<double>(reach.bottom) - drawing.bottom);
    if (drawing.left < drawing.right && drawing.top < drawing.bottom) f = fit_to_area(initial, final, drawing);
  }
  const node_pixels before = pixels_of(initial, f), after = pixels_of(final, f);

  const std::vector<double>& value = colour_values(s, options.colour);
  double limit = 0.0;
  for (double v : value)
    if (std::isfinite(v)) limit = std::max(limit, std::fabs(v));
  std::vector<signed char> band(bars);
  bool any_undefined = false;
  for (std::size_t e = 0; e < bars; ++e) {
    band[e] = static_cast<signed char>(stress_band(value[e], limit));
    any_undefined = any_undefined || band[e] == undefined_band;
  }
  const std::string width = number_text("%.0f", stroke_width(mean_drawn_bar(s, after)));
  // A model file's slack cables, drawn apart from the coloured bars.
  std::vector<bool> slack(bars, false);
  bool any_slack = false;
  for (std::size_t e = 0; e < s.state.size() && e < bars; ++e)
    any_slack = (slack[e] = s.state[e] == bar_state::slack) || any_slack;

  std::string out;
  out.reserve(4096 + 40 * bars);
  out +=
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"1000\" height=\"750\" viewBox=\"0 0 10000 7500\" "
      "font-family=\"sans-serif\">\n<title>";
  out += escaped(s.title.empty() ? "kalvane result" : "kalvane result: " + s.title);
  out += "</title>\n<rect width=\"10000\" height=\"7500\" fill=\"#fff\"/>\n";
  int line = 300;
  if (!s.title.empty()) append_text(out, 400, line, 180, s.title), line += 220;
  append_text(out, 400, line, s.title.empty() ? 180 : 140,
              s.solver + ": " + std::to_string(s.iterations) +
                  (s.solver == "kalvane" ? " minor iterations" : " Newton iterations") + ", objective " +
                  number_text("%.6E", s.objective) + ", " + std::to_string(nodes) + " nodes, " +
                  std::to_string(bars) + " bars");
  append_text(out, 400, line + 200, 130,
              (s.reached.empty() ? "" : "the state " + s.reached + "; ") + view.caption + ", displacements \xC3\x97" + number_text("%.4g", k) +
                  (!options.auto_magnify ? ""
                   : automatic           ? " (auto: largest displacement = 10% of structure size)"
                                         : " (auto: no displacement to magnify)"));

  out += "<g id=\"undeformed\" fill=\"none\" stroke=\"#cccccc\" stroke-linecap=\"round\" stroke-width=\"" + width +
         "\">\n";
  path_batch undeformed = start_paths(out);
  for (std::size_t e = 0; e < bars; ++e) append_shape(undeformed, s, before, e);
  finish_paths(undeformed);
  out += "</g>\n<g id=\"deformed\" fill=\"none\" stroke-linecap=\"round\" stroke-width=\"" + width + "\">\n";
  if (s.materials.empty()) {
    for (int b : drawing_order()) {
      path_batch deformed = start_paths(out, " stroke=\"" + hex(band_colour(b)) + "\"");
      for (std::size_t e = 0; e < bars; ++e)
        if (band[e] == b) append_shape(deformed, s, after, e);
      finish_paths(deformed);
    }
  } else {
    // A group per material, its name the tooltip of each of its bars, and with several
    // materials a dash pattern apiece.
    const bool several = s.materials.size() > 1;
    for (std::size_t m = 0; m < s.materials.size(); ++m) {
      out += "<g class=\"material\"" + (several ? dash_attribute(m) : std::string()) + "><title>" +
             escaped(s.materials[m].name + ": " + s.materials[m].law) + "</title>\n";
      for (int b : drawing_order()) {
        path_batch deformed = start_paths(out, " stroke=\"" + hex(band_colour(b)) + "\"");
        for (std::size_t e = 0; e < bars; ++e)
          if (band[e] == b && static_cast<std::size_t>(s.material[e]) == m && !slack[e]) append_shape(deformed, s, after, e);
        finish_paths(deformed);
      }
      out += "</g>\n";
    }
  }
  if (any_slack) {
    out += "<g id=\"slack\" stroke=\"" + std::string(slack_colour) + "\" stroke-dasharray=\"" +
           slack_dashes(std::stod(width)) + "\"><title>slack cable</title>\n";
    path_batch dashed = start_paths(out);
    for (std::size_t e = 0; e < bars; ++e)
      if (slack[e]) append_shape(dashed, s, after, e);
    finish_paths(dashed);
    out += "</g>\n";
  }
  out += "</g>\n";
  append_supports(out, s, view.axes, after, marks);
  append_loads(out, s, view.axes, after, marks);
  append_numbers(out, s, after);
  append_legend(out, colour_heading(s, options.colour), limit, any_undefined, any_slack, largest_load(s), marks.shown);
  if (s.materials.size() > 1) append_materials(out, s);
  if (f.to_scale) append_scale_bar(out, f);
  out += "</svg>\n";
  return out;
}

}  // namespace kalvane::view
