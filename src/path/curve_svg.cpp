#include "path/curve_svg.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <vector>

#include "companion/printable.hpp"
#include "view/svg_write.hpp"

namespace kalvane::path {

using view::escaped;

namespace {

// The picture is 800 x 600 pixels; the plot area leaves room for the axes' figures and titles.
constexpr double width = 800, height = 600;
constexpr double plot_left = 100, plot_right = 690, plot_top = 70, plot_bottom = 480;

constexpr const char* stable_colour = "#1f4e9c";
constexpr const char* unstable_colour = "#c0392b";
constexpr const char* pretension_colour = "#999999";
constexpr const char* limit_colour = "#c0392b";
constexpr const char* bifurcation_colour = "#e69f00";
constexpr const char* jump_colour = "#333333";
constexpr const char* slack_colour = "#ffffff";  // an open diamond: the cable gave out
constexpr const char* taut_colour = "#2e8b57";   // a filled one: it took force again


std::string shortest(double value) {
  char buffer[32];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, end);
}

std::string fixed(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.1f", value);
  return buffer;
}

bool cable_event(const curve_point& p) {
  return p.point.kind == newton::point_kind::slack || p.point.kind == newton::point_kind::taut;
}

std::string diamond(double x, double y, const char* fill) {
  return "M" + fixed(x) + "," + fixed(y - 6) + " L" + fixed(x + 6) + "," + fixed(y) + " L" + fixed(x) + "," +
         fixed(y + 6) + " L" + fixed(x - 6) + "," + fixed(y) + " Z\" fill=\"" + fill;
}

std::string figure(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.6g", value);
  return buffer;
}

struct range {
  double low = INFINITY, high = -INFINITY;
  void take(double v) {
    if (std::isfinite(v)) low = std::min(low, v), high = std::max(high, v);
  }
};

// A range with some room around it, never empty.
range padded(range r) {
  if (!(r.low <= r.high)) return {0.0, 1.0};
  double span = r.high - r.low;
  if (span == 0.0) span = r.low != 0.0 ? std::fabs(r.low) * 0.2 : 1.0;
  return {r.low - 0.05 * span, r.high + 0.05 * span};
}

// Round figures for the ticks: steps of 1, 2 or 5 times a power of ten, about six of them.
std::vector<double> ticks(range r) {
  const double rough = (r.high - r.low) / 6.0;
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  double step = power;
  for (double f : {2.0, 5.0, 10.0})
    if (step < rough) step = f * power;
  std::vector<double> at;
  for (double k = std::ceil(r.low / step); k * step <= r.high && at.size() < 50; k += 1.0)
    at.push_back(std::fabs(k) < 0.5 ? 0.0 : k * step);
  return at;
}

struct mapping {
  range x, y;
  double sx(double v) const { return plot_left + (v - x.low) / (x.high - x.low) * (plot_right - plot_left); }
  double sy(double v) const { return plot_bottom - (v - y.low) / (y.high - y.low) * (plot_bottom - plot_top); }
};

void text(std::string& out, double x, double y, const std::string& body, const char* anchor = "middle",
          int size = 13, const char* extra = "") {
  out += "<text x=\"" + fixed(x) + "\" y=\"" + fixed(y) + "\" font-size=\"" + std::to_string(size) +
         "\" text-anchor=\"" + anchor + "\"" + extra + ">" + escaped(body) + "</text>\n";
}

void line(std::string& out, double x1, double y1, double x2, double y2, const std::string& style) {
  out += "<line x1=\"" + fixed(x1) + "\" y1=\"" + fixed(y1) + "\" x2=\"" + fixed(x2) + "\" y2=\"" + fixed(y2) +
         "\" " + style + "/>\n";
}

// The load against which the right axis is figured: the watched component's own, else the
// largest of the model's; zero when nothing is loaded.
struct reference_load {
  component_ref where;
  double value = 0.0;
};

reference_load reference_of(const model& full, component_ref watch) {
  reference_load r;
  if (watch.node >= 1 && watch.node <= full.node_count && full.loads(watch.node, watch.component) != 0.0)
    return {watch, full.loads(watch.node, watch.component)};
  for (int32_t k = 1; k <= full.node_count; ++k)
    for (int c = 1; c <= 3; ++c)
      if (std::fabs(full.loads(k, c)) > std::fabs(r.value)) r = {{k, c}, full.loads(k, c)};
  return r;
}

std::string component_text(component_ref c) { return "node " + std::to_string(c.node) + " " + axis_name(c.component); }

bool finite_point(const curve_point& p) { return std::isfinite(p.watched) && std::isfinite(p.at.loads); }

const std::string grid_style = "stroke=\"#e4e4e4\"";
const std::string zero_style = "stroke=\"#888888\"";

void draw_axes(std::string& out, const mapping& m, const reference_load& load, const std::string& watched) {
  out += "<rect x=\"" + fixed(plot_left) + "\" y=\"" + fixed(plot_top) + "\" width=\"" +
         fixed(plot_right - plot_left) + "\" height=\"" + fixed(plot_bottom - plot_top) +
         "\" fill=\"none\" stroke=\"#444\"/>\n";
  for (double v : ticks(m.x)) {
    line(out, m.sx(v), plot_top, m.sx(v), plot_bottom, grid_style);
    text(out, m.sx(v), plot_bottom + 18, figure(v));
  }
  for (double v : ticks(m.y)) {
    line(out, plot_left, m.sy(v), plot_right, m.sy(v), grid_style);
    text(out, plot_left - 8, m.sy(v) + 4, figure(v), "end");
    if (load.value != 0.0) text(out, plot_right + 8, m.sy(v) + 4, figure(v * load.value + 0.0), "start");
  }
  // The axes through zero, where they fall inside the plot.
  if (m.x.low < 0 && m.x.high > 0) line(out, m.sx(0), plot_top, m.sx(0), plot_bottom, zero_style);
  if (m.y.low < 0 && m.y.high > 0) line(out, plot_left, m.sy(0), plot_right, m.sy(0), zero_style);
  text(out, (plot_left + plot_right) / 2, plot_bottom + 44, "displacement of " + watched + " (model length unit)");
  const double mid = (plot_top + plot_bottom) / 2;
  text(out, 30, mid, "load factor", "middle", 13,
       (" transform=\"rotate(-90 30 " + fixed(mid) + ")\"").c_str());
  if (load.value != 0.0) {
    const double x = width - 22;
    text(out, x, mid, "load at " + component_text(load.where) + " (model force unit)", "middle", 13,
         (" transform=\"rotate(90 " + fixed(x) + " " + fixed(mid) + ")\"").c_str());
  }
}

const std::string stable_style = std::string("stroke=\"") + stable_colour + "\" stroke-width=\"2.5\"";
const std::string unstable_style =
    std::string("stroke=\"") + unstable_colour + "\" stroke-width=\"2\" stroke-dasharray=\"7 5\"";
const std::string pretension_style = std::string("stroke=\"") + pretension_colour + "\" stroke-width=\"2\"";
// A jump is no path of equilibria: a thin dashed line from where the structure leaves its
// branch to where it lands.
const std::string jump_style = std::string("stroke=\"") + jump_colour + "\" stroke-width=\"1.5\" stroke-dasharray=\"3 4\"";

const std::string& segment_style(const curve_point& a, const curve_point& b, bool pretension) {
  if (a.point.kind == newton::point_kind::jump && b.point.kind == newton::point_kind::jump) return jump_style;
  if (pretension) return pretension_style;
  if (a.point.negative_pivots > 0 || b.point.negative_pivots > 0) return unstable_style;
  return stable_style;
}

// A point of a stage before the live loads (the prestress, the self-weight): staged, it
// applies none of them yet, and its stage has begun.
bool preloading(const curve_point& p, newton::loading how) {
  return how == newton::loading::staged && p.at.loads == 0.0 && p.point.load_factor > 0.0;
}

void draw_curve(std::string& out, const curve& c, const mapping& m, newton::loading how) {
  // The unloaded shape, where every path starts, then each converged point in turn.
  curve_point start;
  start.at = unloaded;
  start.point.stage = 1;
  start.point.load_factor = 0.0;
  const curve_point* previous = &start;
  // Each run of segments of one style is one polyline, so that a dashed stretch of many
  // short steps still shows its dashes.
  struct run {
    const std::string* style;
    std::string points;
  };
  std::vector<run> runs;
  const auto place = [&](const curve_point& p) { return fixed(m.sx(p.watched)) + "," + fixed(m.sy(p.at.loads)); };
  for (const curve_point& p : c.points) {
    if (!finite_point(p)) continue;
    const bool pretension = preloading(p, how);
    const std::string& style = segment_style(*previous, p, pretension);
    if (runs.empty() || runs.back().style != &style) runs.push_back({&style, place(*previous)});
    runs.back().points += " " + place(p);
    previous = &p;
  }
  out += "<g id=\"curve\" fill=\"none\" stroke-linecap=\"round\" stroke-linejoin=\"round\">\n";
  for (const run& r : runs) out += "<polyline points=\"" + r.points + "\" " + *r.style + "/>\n";
  out += "</g>\n<g id=\"points\">\n";
  // Dots small enough, on a long curve, that the dashes of its unstable stretches show.
  const std::string dot = c.points.size() <= 60 ? "2.5" : "1.2";
  struct label_box {
    double x, baseline, width;
  };
  std::vector<label_box> labels;
  // Cables' events are labelled while they are few; many of them would hide the curve.
  const auto cable_events = std::count_if(c.points.begin(), c.points.end(), cable_event);
  for (std::size_t i = 0; i < c.points.size(); ++i) {
    const curve_point& p = c.points[i];
    if (!finite_point(p)) continue;
    const bool marked = p.point.kind != newton::point_kind::regular;
    const char* colour = p.point.kind == newton::point_kind::limit         ? limit_colour
                         : p.point.kind == newton::point_kind::bifurcation ? bifurcation_colour
                         : p.point.kind == newton::point_kind::jump        ? jump_colour
                         : p.point.negative_pivots > 0                      ? unstable_colour
                         : how == newton::loading::staged && p.point.stage == 1 ? pretension_colour
                                                                             : stable_colour;
    const double x = m.sx(p.watched), y = m.sy(p.at.loads);
    const std::string values = " data-point=\"" + std::to_string(i + 1) + "\" data-stage=\"" +
                               std::to_string(p.point.stage) + "\" data-load-factor=\"" +
                               shortest(p.point.load_factor) + "\" data-displacement=\"" + shortest(p.watched) +
                               "\" data-kind=\"" + kind_name(p.point.kind) + "\"" +
                               (p.point.bar > 0 ? " data-bar=\"" + std::to_string(p.point.bar) + "\"" : std::string());
    const std::string tip = "<title>" +
                            escaped("point " + std::to_string(i + 1) + ", stage " + std::to_string(p.point.stage) +
                                     ", load factor " + shortest(p.point.load_factor) + ", displacement " +
                                     shortest(p.watched) + ", " + kind_name(p.point.kind) +
                                     (p.point.bar > 0 ? " (cable " + std::to_string(p.point.bar) + ")" : "")) +
                            "</title>";
    if (cable_event(p)) {
      out += "<path d=\"" + diamond(x, y, p.point.kind == newton::point_kind::slack ? slack_colour : taut_colour) +
             "\" stroke=\"#333\"" + values + ">" + tip + "</path>\n";
    } else if (p.point.kind == newton::point_kind::bifurcation) {
      out += "<rect x=\"" + fixed(x - 5) + "\" y=\"" + fixed(y - 5) + "\" width=\"10\" height=\"10\" fill=\"" +
             colour + "\" stroke=\"#333\"" + values + ">" + tip + "</rect>\n";
    } else {
      out += "<circle cx=\"" + fixed(x) + "\" cy=\"" + fixed(y) + "\" r=\"" + (marked ? std::string("5.5") : dot) +
             "\" fill=\"" + colour + "\"" + (marked ? " stroke=\"#333\"" : "") + values + ">" + tip + "</circle>\n";
    }
    if (marked && (!cable_event(p) || cable_events <= 12)) {
      // Above the mark, or below it, or further off, wherever no earlier label lies.
      const std::string label =
          cable_event(p) ? "cable " + std::to_string(p.point.bar) + " " + kind_name(p.point.kind)
                         : std::string(kind_name(p.point.kind)) + " " + figure(p.point.load_factor);
      const double label_width = 6.5 * static_cast<double>(label.size());
      double baseline = y - 8;
      for (double offset : {-8.0, 17.0, -23.0, 32.0}) {
        baseline = y + offset;
        const bool clear = std::none_of(labels.begin(), labels.end(), [&](const label_box& b) {
          return x + 9 < b.x + b.width && b.x < x + 9 + label_width && std::fabs(baseline - b.baseline) < 14;
        });
        if (clear) break;
      }
      labels.push_back({x + 9, baseline, label_width});
      text(out, x + 9, baseline, label, "start", 12);
    }
  }
  out += "</g>\n";
}

void draw_legend(std::string& out, const curve& c, newton::loading how) {
  bool pretension = false, unstable = false, limit = false, bifurcation = false, jump = false, slack = false,
       taut = false;
  for (const curve_point& p : c.points) {
    pretension |= preloading(p, how);
    unstable |= p.point.negative_pivots > 0;
    limit |= p.point.kind == newton::point_kind::limit;
    bifurcation |= p.point.kind == newton::point_kind::bifurcation;
    jump |= p.point.kind == newton::point_kind::jump;
    slack |= p.point.kind == newton::point_kind::slack;
    taut |= p.point.kind == newton::point_kind::taut;
  }
  double y = plot_bottom + 68;
  double x = plot_left;
  auto sample = [&](const std::string& style) {
    return "<line x1=\"" + fixed(x) + "\" y1=\"" + fixed(y) + "\" x2=\"" + fixed(x + 28) + "\" y2=\"" + fixed(y) +
           "\" " + style + "/>\n";
  };
  // Each entry is its mark and its label, in rows across the picture.
  auto entry = [&](auto mark, const std::string& label) {
    if (x + 40 + 7.0 * static_cast<double>(label.size()) > width - 10) x = plot_left, y += 22;
    out += mark();
    text(out, x + 34, y + 4, label, "start", 12);
    x += 40 + 7.0 * static_cast<double>(label.size());
  };
  out += "<g id=\"legend\">\n";
  entry([&] { return sample(stable_style); }, "stable");
  if (unstable) entry([&] { return sample(unstable_style); }, "unstable (negative pivots)");
  if (pretension) entry([&] { return sample(pretension_style); }, "stage 1: prescribed displacements rising");
  if (limit)
    entry([&] {
      return "<circle cx=\"" + fixed(x + 14) + "\" cy=\"" + fixed(y) + "\" r=\"5.5\" fill=\"" + limit_colour +
             "\" stroke=\"#333\"/>\n";
    }, "limit point");
  if (bifurcation)
    entry([&] {
      return "<rect x=\"" + fixed(x + 9) + "\" y=\"" + fixed(y - 5) + "\" width=\"10\" height=\"10\" fill=\"" +
             bifurcation_colour + "\" stroke=\"#333\"/>\n";
    }, "bifurcation point");
  if (jump) entry([&] { return sample(jump_style); }, "jump to a stable state");
  if (slack)
    entry([&] { return "<path d=\"" + diamond(x + 14, y, slack_colour) + "\" stroke=\"#333\"/>\n"; }, "cable goes slack");
  if (taut)
    entry([&] { return "<path d=\"" + diamond(x + 14, y, taut_colour) + "\" stroke=\"#333\"/>\n"; }, "cable goes taut");
  out += "</g>\n";
}

// A title fits the picture's width: a long one is wrapped at a blank onto a second line,
// which ends in an ellipsis when the rest is longer still. At 16 pixels in bold a character
// takes up to 12 of the 780 pixels a line has, capitals included; characters are counted,
// not the bytes of their UTF-8.
std::vector<std::string> heading_of(const std::string& title) {
  constexpr std::size_t per_line = 64;
  std::size_t characters = 0, cut = title.size(), blank = std::string::npos;
  for (std::size_t i = 0; i < title.size(); ++i) {
    if ((static_cast<unsigned char>(title[i]) & 0xC0) == 0x80) continue;  // inside a character
    if (characters == per_line) {
      cut = i;
      break;
    }
    if (title[i] == ' ' && characters > per_line / 2) blank = i;  // a break in the first half wastes the line
    ++characters;
  }
  if (cut == title.size()) return {title};
  // A blank at or just after the limit breaks there; with none late in the line, it is cut.
  if (title[cut] == ' ') blank = cut;
  const std::size_t end = blank != std::string::npos ? blank : cut;
  std::size_t rest = end;
  while (rest < title.size() && title[rest] == ' ') ++rest;
  std::vector<std::string> lines{title.substr(0, end)};
  if (rest < title.size()) lines.push_back(companion::printable(title.substr(rest), per_line - 1));
  return lines;
}

}  // namespace

std::string render_curve_svg(const curve& c, const model& full, newton::loading how, const std::string& raw_title) {
  const std::string title = companion::printable(raw_title);
  range x, y;
  x.take(0.0), y.take(0.0), y.take(1.0);
  for (const curve_point& p : c.points)
    if (finite_point(p)) x.take(p.watched), y.take(p.at.loads);
  const mapping m{padded(x), padded(y)};
  const std::string watched = component_text(c.watch);
  const reference_load load = reference_of(full, c.watch);

  const std::string w = std::to_string(static_cast<int>(width)), h = std::to_string(static_cast<int>(height));
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                    "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + w + "\" height=\"" + h +
                    "\" viewBox=\"0 0 " + w + " " + h + "\" font-family=\"sans-serif\">\n";
  out += "<title>" + escaped(title.empty() ? "kalvane-path" : title) + "</title>\n";
  out += "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
  const std::vector<std::string> heading = heading_of(title);
  const double below = heading.size() == 1 ? 0.0 : 10.0;  // two lines take the room of one and a half
  for (std::size_t i = 0; i < heading.size(); ++i)
    text(out, width / 2, 28 - below + 19.0 * static_cast<double>(i), heading[i], "middle", 16, " font-weight=\"bold\"");
  text(out, width / 2, 50 + below,
       "load-displacement curve of " + watched + ", " +
           (how == newton::loading::staged ? "loading in stages" : "loads and prescribed displacements together"),
       "middle", 13);
  draw_axes(out, m, load, watched);
  draw_curve(out, c, m, how);
  draw_legend(out, c, how);
  out += "</svg>\n";
  return out;
}

}  // namespace kalvane::path
