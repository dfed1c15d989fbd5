#include "path/ending.hpp"

namespace kalvane::path {

namespace {

int status_of(end_kind kind) {
  switch (kind) {
    case end_kind::stable: return stable_at_full_load;
    case end_kind::snapped:
    case end_kind::past_bifurcation:
    case end_kind::rerouted: return beyond_a_critical_point;
    case end_kind::collapse:
    case end_kind::mechanism:
    case end_kind::stalled:
    case end_kind::stopped: break;
  }
  return no_stable_equilibrium;
}

end_kind kind_of(const newton::path_finding& path) {
  if (path.outcome == newton::path_outcome::mechanism) return end_kind::mechanism;
  if (path.outcome == newton::path_outcome::stopped) return end_kind::stopped;
  if (reached_full_load(path)) {
    for (const newton::path_event& e : path.events)
      if (e.kind == newton::event_kind::jump || e.kind == newton::event_kind::branch_switch) return end_kind::rerouted;
    if (snapped(path)) return end_kind::snapped;
    // Full load with a negative pivot: some pivot changed sign on the way, where the load
    // factor did not turn.
    const bool unstable = !path.points.empty() && path.points.back().negative_pivots > 0;
    if (past_bifurcation(path) || unstable) return end_kind::past_bifurcation;
    return end_kind::stable;
  }
  return path.outcome == newton::path_outcome::stalled ? end_kind::stalled : end_kind::collapse;
}

}  // namespace

ending ending_of(const newton::path_finding& path, const std::vector<newton::load_stage>& stages) {
  ending e;
  for (int i = 0; i < static_cast<int>(path.points.size()); ++i) {
    const newton::point_kind kind = path.points[static_cast<std::size_t>(i)].kind;
    if (kind == newton::point_kind::limit && e.limit_point < 0) e.limit_point = i;
    if (kind == newton::point_kind::bifurcation && e.bifurcation_point < 0) e.bifurcation_point = i;
    if (kind == newton::point_kind::limit || kind == newton::point_kind::bifurcation) e.last_critical = i;
  }
  e.kind = kind_of(path);
  e.status = status_of(e.kind);
  if (e.kind == end_kind::mechanism || (e.status == no_stable_equilibrium && path.stage == 0)) {
    e.at = unloaded;
  } else if (e.status == no_stable_equilibrium) {
    // The path's last stable equilibrium, x, under what it carried there.
    newton::path_point last;
    last.stage = path.stage;
    last.load_factor = path.load_factor;
    e.at = applied_at(stages, last);
  }
  return e;
}

}  // namespace kalvane::path
