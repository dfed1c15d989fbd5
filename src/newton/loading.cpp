#include "newton/loading.hpp"

#include "newton/path.hpp"
#include "newton/tangent.hpp"

namespace kalvane::newton {

namespace {

bool any_prescribed_motion(const model& m) {
  for (double value : m.prescribed.data)
    if (value != 0.0) return true;
  return false;
}

bool any_rest_change(const structure& s) {
  for (int32_t b = 1; b <= bar_count(s.base); ++b)
    if (member_of(s, b).rest != s.base.bars(b).length0) return true;
  return false;
}

bool any_free(const model& m, const terms::fmat2& loads) {
  if (loads.data.empty()) return false;
  for (int32_t i = 1; i <= m.node_count; ++i)
    for (int j = 1; j <= 3; ++j)
      if (m.dof_map(i, j) <= m.free_count && loads(i, j) != 0.0) return true;
  return false;
}

// The rest length at this fraction of the way from the drawn length; exact at both ends.
double rest_at(double drawn, double rest, double fraction) {
  if (fraction == 1.0) return rest;
  if (fraction == 0.0) return drawn;
  return (1.0 - fraction) * drawn + fraction * rest;
}

}  // namespace

std::vector<load_stage> stages_of(const structure& s, loading how) {
  const bool weight = any_free(s.base, s.weight_loads);
  if (how == loading::together) return {load_stage{1, 0.0, 1.0, 0.0, weight ? 1.0 : 0.0, 0.0, 1.0, stage_kind::together}};
  std::vector<load_stage> stages;
  const bool prestress = any_prescribed_motion(s.base) || any_rest_change(s);
  const double after_prestress = prestress ? 1.0 : 0.0;
  if (prestress) stages.push_back({1, 0.0, 1.0, 0.0, 0.0, 0.0, 0.0, stage_kind::prestress});
  if (weight) stages.push_back({1, after_prestress, 0.0, 0.0, 1.0, 0.0, 0.0, stage_kind::weight});
  if (any_free(s.base, s.base.loads) || stages.empty())
    stages.push_back({1, after_prestress, 0.0, weight ? 1.0 : 0.0, 0.0, 0.0, 1.0, stage_kind::live});
  for (std::size_t i = 0; i < stages.size(); ++i) stages[i].number = static_cast<int>(i + 1);
  return stages;
}

void apply_stage(structure& scaled, const structure& full, const load_stage& stage, double t) {
  const double prescribed = stage.prescribed_base + t * stage.prescribed_rise;
  const double weight = stage.weight_base + t * stage.weight_rise;
  const double loads = stage.loads_base + t * stage.loads_rise;
  const std::vector<double>& live = full.base.loads.data;
  std::vector<double>& applied = scaled.base.loads.data;
  if (weight == 0.0 || full.weight_loads.data.empty()) {
    for (std::size_t i = 0; i < live.size(); ++i) applied[i] = loads * live[i];
  } else {
    const std::vector<double>& dead = full.weight_loads.data;
    for (std::size_t i = 0; i < live.size(); ++i) applied[i] = weight * dead[i] + loads * live[i];
  }
  for (std::size_t i = 0; i < full.base.prescribed.data.size(); ++i)
    scaled.base.prescribed.data[i] = prescribed * full.base.prescribed.data[i];
  for (int32_t b = 1; b <= bar_count(full.base); ++b)
    scaled.members[static_cast<std::size_t>(b - 1)].rest =
        rest_at(full.base.bars(b).length0, member_of(full, b).rest, prescribed);
}

void residual_rate(const structure& scaled, const structure& full, const load_stage& stage, const vector& x,
                   vector& rate) {
  const model& m = full.base;
  rate.assign(static_cast<std::size_t>(m.free_count), 0.0);
  const bool weighty = stage.weight_rise != 0.0 && !full.weight_loads.data.empty();
  for (int32_t i = 1; i <= m.node_count; ++i)
    for (int j = 1; j <= 3; ++j) {
      const int32_t p = m.dof_map(i, j);
      if (p > m.free_count) continue;
      double rise = stage.loads_rise * m.loads(i, j);
      if (weighty) rise += stage.weight_rise * full.weight_loads(i, j);
      rate[static_cast<std::size_t>(p - 1)] = -rise;
    }
  if (stage.prescribed_rise == 0.0) return;
  for (int32_t b = 1; b <= bar_count(m); ++b) {
    const bar_record& bar = m.bars(b);
    // The rise of the bar's end difference: prescribed components only.
    double motion[3];
    bool moves = false;
    for (int j = 1; j <= 3; ++j) {
      const double end2 = m.dof_map(bar.node2, j) > m.free_count ? m.prescribed(bar.node2, j) : 0.0;
      const double end1 = m.dof_map(bar.node1, j) > m.free_count ? m.prescribed(bar.node1, j) : 0.0;
      motion[j - 1] = stage.prescribed_rise * (end2 - end1);
      moves = moves || motion[j - 1] != 0.0;
    }
    // The rise of the rest length, and with it of the axial force at fixed ends:
    // dN/dL0 = -(dN/dlambda) lambda / L0.
    const double rest_rise = stage.prescribed_rise * (member_of(full, b).rest - bar.length0);
    if (!moves && rest_rise == 0.0) continue;
    double u[3];
    bar_difference(scaled.base, bar, x, u);
    const member_state state = member_at(bar, material_of(full, b), member_of(scaled, b), u);
    double force[3] = {0.0, 0.0, 0.0};  // on node2; node1 takes its negation
    if (moves) {
      double block[3][3];
      tangent_block(state, block);
      for (int j = 0; j < 3; ++j)
        for (int k = 0; k < 3; ++k) force[j] += block[j][k] * motion[k];
    }
    if (rest_rise != 0.0) {
      const double rest = member_of(scaled, b).rest;
      const double force_rate = -state.slope * state.lambda / rest * rest_rise;
      for (int j = 0; j < 3; ++j) force[j] += force_rate * state.axis[j] / state.drawn_stretch;
    }
    for (int j = 1; j <= 3; ++j) {
      const int32_t p2 = m.dof_map(bar.node2, j), p1 = m.dof_map(bar.node1, j);
      if (p2 <= m.free_count) rate[static_cast<std::size_t>(p2 - 1)] += force[j - 1];
      if (p1 <= m.free_count) rate[static_cast<std::size_t>(p1 - 1)] -= force[j - 1];
    }
  }
}

}  // namespace kalvane::newton

namespace kalvane::newton {

void scale_model(structure& scaled, const structure& full, double t) { apply_stage(scaled, full, load_stage{}, t); }

}  // namespace kalvane::newton
