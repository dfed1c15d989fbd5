#include "newton/loading.hpp"

#include "newton/newton.hpp"
#include "newton/path.hpp"
#include "newton/tangent.hpp"

#include <cmath>
#include <optional>

#include "structure/law.hpp"

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

// A bar's rest length at this fraction of the way from its drawn length to its own, and its
// rate in the fraction. Where the bar carries a force F in the drawn shape at its own rest
// length, the rest length at fraction p is the one under which it carries p F there: a net
// prestressed by a self-balanced set of forces then stays in its drawn shape all along the
// stage, whatever its laws, and each step of the stage is an equilibrium already. (A rest
// length interpolated linearly makes each law's force part from p F by a different amount,
// and the net drifts away and back.) A bar that carries nothing there, or whose law cannot
// give the force, takes the straight interpolation. Exact at both ends.
struct rest_motion {
  double rest = 0.0;
  double rate = 0.0;  // d rest / d fraction
};

rest_motion rest_along(const structure& full, int32_t b, double fraction) {
  const double drawn = full.base.bars(b).length0, rest = member_of(full, b).rest;
  const double straight_rate = rest - drawn;
  if (rest == drawn) return {drawn, 0.0};
  const material& mat = material_of(full, b);
  const bar_behaviour behaviour = member_of(full, b).behaviour;
  const double area = full.base.bars(b).area;
  const double full_stretch = drawn / rest;
  const double force = respond(mat, behaviour, area, rest, full_stretch, full_stretch - 1.0).force;
  if (force == 0.0 || !std::isfinite(force)) {
    if (fraction == 1.0) return {rest, straight_rate};
    if (fraction == 0.0) return {drawn, straight_rate};
    return {(1.0 - fraction) * drawn + fraction * rest, straight_rate};
  }
  const double target = fraction * force;
  const std::optional<double> stretch = fraction == 1.0 ? std::optional<double>(full_stretch) : stretch_for_force(mat, behaviour, area, target);
  if (!stretch) return {(1.0 - fraction) * drawn + fraction * rest, straight_rate};
  const double at = fraction == 1.0 ? rest : fraction == 0.0 ? drawn : drawn / *stretch;
  // N(drawn / L0) = p F: dN/dlambda dlambda/dp = F, and L0 = drawn / lambda.
  const double slope = respond(mat, behaviour, area, at, *stretch, *stretch - 1.0).slope;
  const double rate = slope > 0.0 ? -drawn / (*stretch * *stretch) * force / slope : straight_rate;
  return {at, rate};
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
    scaled.load_sizes.data.clear();
  } else {
    const std::vector<double>& dead = full.weight_loads.data;
    for (std::size_t i = 0; i < live.size(); ++i) applied[i] = weight * dead[i] + loads * live[i];
    if (scaled.load_sizes.data.size() != live.size()) scaled.load_sizes = scaled.base.loads;
    for (std::size_t i = 0; i < live.size(); ++i)
      scaled.load_sizes.data[i] = std::fabs(weight * dead[i]) + std::fabs(loads * live[i]);
  }
  for (std::size_t i = 0; i < full.base.prescribed.data.size(); ++i)
    scaled.base.prescribed.data[i] = prescribed * full.base.prescribed.data[i];
  // At either end of the prestress every rest length is known without its law.
  for (int32_t b = 1; b <= bar_count(full.base); ++b)
    scaled.members[static_cast<std::size_t>(b - 1)].rest = prescribed == 1.0   ? member_of(full, b).rest
                                                          : prescribed == 0.0 ? full.base.bars(b).length0
                                                                              : rest_along(full, b, prescribed).rest;
}

bool balanced_only_with_loads(const structure& s, double tolerance) {
  const vector rest(static_cast<std::size_t>(s.base.free_count), 0.0);
  structure applied = s;
  auto balanced = [&](double loads) {
    apply_stage(applied, s, load_stage{1, 0.0, 1.0, 0.0, loads, 0.0, loads, stage_kind::together}, 1.0);
    const state at = evaluate(applied, rest);
    return at.finite && within(at, tolerance * max_abs(at.scale));
  };
  return balanced(1.0) && !balanced(0.0);
}

void residual_rate(const structure& scaled, const structure& full, const load_stage& stage, double t,
                   const vector& x, vector& rate) {
  const model& m = full.base;
  const double fraction = stage.prescribed_base + t * stage.prescribed_rise;
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
    const double rest_rise =
        member_of(full, b).rest == bar.length0 ? 0.0 : stage.prescribed_rise * rest_along(full, b, fraction).rate;
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
