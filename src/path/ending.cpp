#include "path/ending.hpp"

namespace kalvane::path {

ending ending_of(const newton::path_finding& path, const std::vector<newton::load_stage>& stages) {
  ending e;
  const int count = static_cast<int>(path.points.size());
  for (int i = 0; i < count; ++i) {
    const newton::point_kind kind = path.points[static_cast<std::size_t>(i)].kind;
    if (kind == newton::point_kind::limit && e.limit_point < 0) e.limit_point = i;
    if (kind == newton::point_kind::bifurcation && e.bifurcation_point < 0) e.bifurcation_point = i;
  }
  if (path.collapsed || !path.reached_full_load) {
    // The files hold the path's last stable equilibrium, x, under what it carried there.
    e.status = collapse;
    e.at = unloaded;
    if (path.stage == 0) return e;  // the path took no step
    newton::path_point last;
    last.stage = path.stage;
    last.load_factor = path.load_factor;
    e.at = applied_at(stages, last);
    for (int i = count - 1; i >= 0 && e.point < 0; --i) {
      const newton::path_point& p = path.points[static_cast<std::size_t>(i)];
      if (p.stage == path.stage && p.load_factor == path.load_factor) e.point = i;
    }
    return e;
  }
  e.point = count - 1;
  const bool unstable_at_end = count > 0 && path.points.back().negative_pivots > 0;
  if (path.snapped || path.past_bifurcation || unstable_at_end) e.status = beyond_a_critical_point;
  return e;
}

}  // namespace kalvane::path
