#include "form/form_svg.hpp"

#include <algorithm>
#include <cmath>

#include "companion/printable.hpp"
#include "view/svg.hpp"
#include "view/svg_marks.hpp"
#include "view/svg_write.hpp"

namespace kalvane::form {

namespace {

using view::append_text;
using view::number_text;

view::scene scene_of(const problem& p, const form_result& r) {
  view::scene s;
  for (const point& x : r.nodes) s.initial.push_back({x[0], x[1], x[2]});
  s.displacement.assign(r.nodes.size(), {});
  for (const bar_ends& b : p.bars) s.bars.push_back({b.first, b.second});
  s.stress = r.force;
  for (std::size_t k = 0; k < p.held.size(); ++k)
    if (p.held[k][0] || p.held[k][1] || p.held[k][2]) s.supports.push_back({static_cast<int32_t>(k), p.held[k]});
  for (std::size_t k = 0; k < p.loads.size(); ++k) {
    const point& f = p.loads[k];
    if (f[0] != 0.0 || f[1] != 0.0 || f[2] != 0.0) s.loads.push_back({static_cast<int32_t>(k), {f[0], f[1], f[2]}});
  }
  return s;
}

// The nodes' pixels with the shape fitted into the drawing area, keeping its proportions.
view::node_pixels fitted(const view::scene& s, const view::screen_axes& axes) {
  double u_lo = INFINITY, u_hi = -INFINITY, v_lo = INFINITY, v_hi = -INFINITY;
  std::vector<std::array<double, 2>> uv;
  for (const view::vec3& x : s.initial) {
    const double u = x.x * axes.right.x + x.y * axes.right.y + x.z * axes.right.z;
    const double v = x.x * axes.up.x + x.y * axes.up.y + x.z * axes.up.z;
    uv.push_back({u, v});
    if (!std::isfinite(u) || !std::isfinite(v)) continue;
    u_lo = std::min(u_lo, u), u_hi = std::max(u_hi, u), v_lo = std::min(v_lo, v), v_hi = std::max(v_hi, v);
  }
  double scale = 1.0;
  if (u_lo <= u_hi) {
    const double su = u_hi > u_lo ? (view::draw_right - view::draw_left) / (u_hi - u_lo) : INFINITY;
    const double sv = v_hi > v_lo ? (view::draw_bottom - view::draw_top) / (v_hi - v_lo) : INFINITY;
    scale = std::min(su, sv);
    if (!std::isfinite(scale)) scale = 1.0;
  } else {
    u_lo = u_hi = v_lo = v_hi = 0.0;
  }
  const double x_mid = (view::draw_left + view::draw_right) / 2, y_mid = (view::draw_top + view::draw_bottom) / 2;
  const double u_mid = (u_lo + u_hi) / 2, v_mid = (v_lo + v_hi) / 2;
  view::node_pixels at(uv.size());
  for (std::size_t k = 0; k < uv.size(); ++k)
    if (std::isfinite(uv[k][0]) && std::isfinite(uv[k][1]))
      at[k] = view::pixel{std::llround(x_mid + (uv[k][0] - u_mid) * scale), std::llround(y_mid - (uv[k][1] - v_mid) * scale)};
  return at;
}

void append_legend(std::string& out, double limit, double load, bool marks_shown) {
  constexpr int left = 8650, top = 1500, width = 220, height = 300;
  append_text(out, left, top - 560, 150, "force");
  append_text(out, left, top - 360, 115, "in the model's units");
  append_text(out, left, top - 130, 115, "tension");
  int row = 0;
  for (int b = view::bands_per_sign; b >= -view::bands_per_sign; --b) {
    if (b == 0) continue;
    out += "<rect x=\"" + std::to_string(left) + "\" y=\"" + std::to_string(top + row * height) + "\" width=\"" +
           std::to_string(width) + "\" height=\"" + std::to_string(height) + "\" fill=\"" +
           view::hex(view::band_colour(b)) + "\"/>\n";
    ++row;
  }
  for (int edge = view::bands_per_sign; edge >= -view::bands_per_sign; --edge) {
    if (edge != 0 && !(limit > 0)) continue;
    const int y = top + (view::bands_per_sign - edge) * height + 45;
    append_text(out, left + width + 80, y, 115,
                edge == 0 ? "0" : number_text("%+.3g", limit * edge / view::bands_per_sign));
  }
  const int below = top + 2 * view::bands_per_sign * height + 230;
  append_text(out, left, below, 115, "compression");
  // The shape stands under the loads drawn: their scale is told as the analysis's picture tells it.
  if (load > 0) {
    const int y = below + 560;
    view::append_load_sample(out, left + width / 2, y);
    append_text(out, left + width + 80, y - 140, 115, "load");
    append_text(out, left + width + 80, y + 20, 95, marks_shown ? "largest " + number_text("%.4g", load) : "too dense to draw");
  }
}

}  // namespace

std::string render_form_svg(const problem& p, const form_result& r, const std::string& title,
                            view::projection direction) {
  const view::scene s = scene_of(p, r);
  const view::view_direction view_from = view::direction_of(direction, s);
  const view::node_pixels at = fitted(s, view_from.axes);
  double drawn = 0.0;
  long long counted = 0;
  for (const view::bar_ends& b : s.bars) {
    const auto& a = at[static_cast<std::size_t>(b.first)];
    const auto& c = at[static_cast<std::size_t>(b.second)];
    if (a && c) drawn += std::hypot(static_cast<double>(c->x - a->x), static_cast<double>(c->y - a->y)), ++counted;
  }
  const double mean_bar = counted > 0 ? drawn / static_cast<double>(counted) : 0.0;
  const view::mark_sizes marks = view::sizes_for(mean_bar);
  double limit = 0.0;
  for (double f : r.force)
    if (std::isfinite(f)) limit = std::max(limit, std::fabs(f));

  const std::string name = companion::printable(title);
  std::string out;
  out.reserve(4096 + 40 * p.bars.size());
  out +=
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"1000\" height=\"750\" viewBox=\"0 0 10000 7500\" "
      "font-family=\"sans-serif\">\n<title>";
  out += view::escaped(name.empty() ? "kalvane-form shape" : "kalvane-form shape: " + name);
  out += "</title>\n<rect width=\"10000\" height=\"7500\" fill=\"#fff\"/>\n";
  int line = 300;
  if (!name.empty()) append_text(out, 400, line, 180, name), line += 220;
  append_text(out, 400, line, name.empty() ? 180 : 140,
              std::string("kalvane-form: ") + outcome_name(r.outcome) + ", " + std::to_string(r.nodes.size()) +
                  " nodes, " + std::to_string(p.bars.size()) + " bars, " + std::to_string(r.iterations) +
                  " density updates, largest residual " + number_text("%.3g", r.largest_residual));
  append_text(out, 400, line + 200, 130, view_from.caption);

  const double stroke = mean_bar > 0 ? std::clamp(mean_bar / 15.0, 4.0, 30.0) : 30.0;
  out += "<g id=\"shape\" fill=\"none\" stroke-linecap=\"round\" stroke-width=\"" + number_text("%.0f", stroke) + "\">\n";
  std::vector<int> order{0};
  for (int b = 1; b <= view::bands_per_sign; ++b) order.push_back(-b), order.push_back(b);
  order.push_back(view::undefined_band);
  for (int band : order) {
    view::path_batch batch = view::start_paths(out, " stroke=\"" + view::hex(view::band_colour(band)) + "\"");
    for (std::size_t b = 0; b < s.bars.size(); ++b) {
      if (view::stress_band(r.force[b], limit) != band) continue;
      const auto& a = at[static_cast<std::size_t>(s.bars[b].first)];
      const auto& c = at[static_cast<std::size_t>(s.bars[b].second)];
      if (a && c) view::add_line(batch, *a, *c);
    }
    view::finish_paths(batch);
  }
  out += "</g>\n";
  view::append_supports(out, s, view_from.axes, at, marks);
  view::append_loads(out, s, view_from.axes, at, marks);
  view::append_numbers(out, s, at);
  append_legend(out, limit, view::largest_load(s), marks.shown);
  out += "</svg>\n";
  return out;
}

}  // namespace kalvane::form
