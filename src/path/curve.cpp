#include "path/curve.hpp"

#include <charconv>
#include <cmath>

namespace kalvane::path {

namespace {

void append_number(std::string& out, double value) {
  char buffer[32];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, end);
}

void append_number(std::string& out, long value) {
  char buffer[24];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, end);
}

}  // namespace

void curve_recorder::operator()(const newton::path_point& p, const newton::vector& x) {
  curve_point c;
  c.point = p;
  c.at = applied_at(stages, p);
  c.largest = largest_displacement(full, c.at, x);
  if (watch) c.watched = displacement_at(full, c.at, x, watch->node, watch->component);
  else states.push_back(x);
  points.push_back(c);
}

component_ref moving_most(const model& full, applied a, const newton::vector& x) {
  component_ref best{1, 1}, best_free{0, 0};
  double largest = -1.0, largest_free = -1.0;
  for (int32_t k = 1; k <= full.node_count; ++k)
    for (int c = 1; c <= 3; ++c) {
      const double u = std::fabs(displacement_at(full, a, x, k, c));
      if (u > largest) largest = u, best = {k, c};
      if (full.dof_map(k, c) <= full.free_count && u > largest_free) largest_free = u, best_free = {k, c};
    }
  return best_free.node > 0 ? best_free : best;
}

curve finish(curve_recorder& recorder, const std::vector<newton::path_point>& path_points, component_ref watch) {
  curve c;
  c.watch = watch;
  c.points = std::move(recorder.points);
  const bool same_points = path_points.size() == c.points.size();
  for (std::size_t i = 0; i < c.points.size(); ++i) {
    curve_point& p = c.points[i];
    if (same_points) p.point.kind = path_points[i].kind, p.point.bar = path_points[i].bar;
    if (!recorder.watch) p.watched = displacement_at(recorder.full, p.at, recorder.states[i], watch.node, watch.component);
  }
  recorder.states.clear();
  return c;
}

const char* kind_name(newton::point_kind kind) {
  switch (kind) {
    case newton::point_kind::limit: return "limit";
    case newton::point_kind::bifurcation: return "bifurcation";
    case newton::point_kind::jump: return "jump";
    case newton::point_kind::slack: return "slack";
    case newton::point_kind::taut: return "taut";
    case newton::point_kind::regular: break;
  }
  return "regular";
}

const char* axis_name(int component) {
  static const char* const names[] = {"X", "Y", "Z"};
  return component >= 1 && component <= 3 ? names[component - 1] : "?";
}

std::string csv_of(const curve& c) {
  std::string out = "stage,load_factor,displacement node " + std::to_string(c.watch.node) + " " +
                    axis_name(c.watch.component) +
                    ",largest_displacement,total_potential,smallest_pivot,negative_pivots,kind,bar\n";
  for (const curve_point& p : c.points) {
    append_number(out, static_cast<long>(p.point.stage));
    out += ',';
    append_number(out, p.point.load_factor);
    out += ',';
    append_number(out, p.watched);
    out += ',';
    append_number(out, p.largest);
    out += ',';
    append_number(out, p.point.energy);
    out += ',';
    append_number(out, p.point.smallest_pivot);
    out += ',';
    append_number(out, p.point.negative_pivots);
    out += ',';
    out += kind_name(p.point.kind);
    out += ',';
    if (p.point.bar > 0) append_number(out, static_cast<long>(p.point.bar));
    out += '\n';
  }
  return out;
}

}  // namespace kalvane::path
