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

bool any_free_load(const model& m) {
  for (int32_t i = 1; i <= m.node_count; ++i)
    for (int j = 1; j <= 3; ++j)
      if (m.dof_map(i, j) <= m.free_count && m.loads(i, j) != 0.0) return true;
  return false;
}

}  // namespace

std::vector<load_stage> stages_of(const model& m, loading how) {
  if (how == loading::together) return {load_stage{}};
  std::vector<load_stage> stages;
  const bool pretension = any_prescribed_motion(m);
  if (pretension) stages.push_back({1, 0.0, 1.0, 0.0, 0.0});
  if (any_free_load(m) || !pretension) stages.push_back({2, pretension ? 1.0 : 0.0, 0.0, 0.0, 1.0});
  return stages;
}

void apply_stage(model& scaled, const model& full, const load_stage& stage, double t) {
  const double prescribed = stage.prescribed_base + t * stage.prescribed_rise;
  const double loads = stage.loads_base + t * stage.loads_rise;
  for (std::size_t i = 0; i < full.loads.data.size(); ++i) scaled.loads.data[i] = loads * full.loads.data[i];
  for (std::size_t i = 0; i < full.prescribed.data.size(); ++i)
    scaled.prescribed.data[i] = prescribed * full.prescribed.data[i];
}

void scale_model(model& scaled, const model& full, double t) { apply_stage(scaled, full, load_stage{}, t); }

void residual_rate(const model& scaled, const model& full, const load_stage& stage, const vector& x, vector& rate) {
  rate.assign(static_cast<std::size_t>(full.free_count), 0.0);
  for (int32_t i = 1; i <= full.node_count; ++i)
    for (int j = 1; j <= 3; ++j) {
      const int32_t p = full.dof_map(i, j);
      if (p <= full.free_count) rate[static_cast<std::size_t>(p - 1)] = -stage.loads_rise * full.loads(i, j);
    }
  if (stage.prescribed_rise == 0.0) return;
  const law_constants law = constants_of(material_of(full));
  for (int32_t b = 1; b <= bar_count(full); ++b) {
    const bar_record& bar = full.bars(b);
    // The rise of the bar's end difference: prescribed components only.
    double motion[3];
    bool moves = false;
    for (int j = 1; j <= 3; ++j) {
      const double end2 = full.dof_map(bar.node2, j) > full.free_count ? full.prescribed(bar.node2, j) : 0.0;
      const double end1 = full.dof_map(bar.node1, j) > full.free_count ? full.prescribed(bar.node1, j) : 0.0;
      motion[j - 1] = stage.prescribed_rise * (end2 - end1);
      moves = moves || motion[j - 1] != 0.0;
    }
    if (!moves) continue;
    double u[3];
    bar_difference(scaled, bar, x, u);
    const bar_tangent tangent = tangent_of(bar, law, u[0], u[1], u[2]);
    for (int j = 1; j <= 3; ++j) {
      double force = 0.0;  // on node2; node1 takes its negation
      for (int k = 0; k < 3; ++k) force += tangent.block[j - 1][k] * motion[k];
      const int32_t p2 = full.dof_map(bar.node2, j), p1 = full.dof_map(bar.node1, j);
      if (p2 <= full.free_count) rate[static_cast<std::size_t>(p2 - 1)] += force;
      if (p1 <= full.free_count) rate[static_cast<std::size_t>(p1 - 1)] -= force;
    }
  }
}

}  // namespace kalvane::newton
