#include "form/materialise.hpp"

#include <algorithm>
#include <cmath>

#include "error.hpp"
#include "structure/files.hpp"
#include "structure/law.hpp"

namespace kalvane::form {

namespace {

const char* const axis_names[] = {"x", "y", "z"};

}  // namespace

problem problem_of(const structure& s, const form_data& f) {
  const model& m = s.base;
  problem p;
  const auto nodes = static_cast<std::size_t>(m.node_count);
  p.nodes.resize(nodes);
  p.held.assign(nodes, {false, false, false});
  if (f.loaded) p.loads.assign(nodes, {0.0, 0.0, 0.0});
  for (int32_t k = 1; k <= m.node_count; ++k) {
    const auto i = static_cast<std::size_t>(k - 1);
    p.nodes[i] = {m.x0(k), m.y0(k), m.z0(k)};
    for (int c = 1; c <= 3; ++c) {
      const auto a = static_cast<std::size_t>(c - 1);
      if (m.dof_map(k, c) != 0) {
        if (m.prescribed(k, c) != 0.0)
          fail(data_error, m.source_name + ": node " + std::to_string(k) + " has a prescribed displacement of " +
                               shortest_real(m.prescribed(k, c)) + " in " + axis_names[a] +
                               "; form-finding holds a support where it is drawn: draw the node where it is "
                               "held and prescribe 0");
        p.held[i][a] = true;
      }
      if (f.loaded) p.loads[i][a] = m.loads(k, c);
    }
  }
  const auto bars = static_cast<std::size_t>(bar_count(m));
  p.bars.resize(bars);
  p.behaviour.resize(bars);
  p.density.assign(bars, f.density);
  p.target_force.assign(bars, std::nullopt);
  p.target_length.assign(bars, std::nullopt);
  for (int32_t b = 1; b <= bar_count(m); ++b) {
    const auto i = static_cast<std::size_t>(b - 1);
    p.bars[i] = {m.bars(b).node1 - 1, m.bars(b).node2 - 1};
    p.behaviour[i] = member_of(s, b).behaviour;
  }
  for (const form_group& g : f.groups)
    for (int32_t b : g.bars) {
      const auto i = static_cast<std::size_t>(b - 1);
      if (g.density) p.density[i] = *g.density;
      if (g.force) p.target_force[i] = g.force;
      if (g.length) p.target_length[i] = g.length;
    }
  return p;
}

std::vector<double> rest_lengths(const structure& s, const form_result& r) {
  std::vector<double> rest(r.force.size());
  // Ends closer than this in every coordinate are one point to the rounding of the solve: a
  // node drawn onto another comes out a few units of the last digit away from it.
  double largest = 0.0;
  for (const point& x : r.nodes)
    for (double c : x)
      if (std::isfinite(c)) largest = std::max(largest, std::fabs(c));
  const double one_point = 1e-10 * largest;
  for (std::size_t i = 0; i < rest.size(); ++i) {
    const auto b = static_cast<int32_t>(i + 1);
    const member& mem = member_of(s, b);
    const material& mat = material_of(s, b);
    if (!std::isfinite(r.force[i]) || !std::isfinite(r.length[i]))
      fail(model_error, kalvane::bar_name(s, b) + " comes out of the shape found with a force of " +
                            shortest_real(r.force[i]) + " and a length of " + shortest_real(r.length[i]) +
                            ": the numbers overflowed (loads or densities too large for the coordinates)");
    const std::optional<double> lambda = stretch_for_force(mat, mem.behaviour, s.base.bars(b).area, r.force[i]);
    if (!lambda) {
      const bool pushed_cable = mem.behaviour == bar_behaviour::cable && r.force[i] < 0.0;
      fail(model_error, kalvane::bar_name(s, b) + " carries a force of " + shortest_real(r.force[i]) +
                            " in the shape found, which " +
                            (pushed_cable ? std::string("a cable cannot carry (a cable only pulls)")
                                          : "its material " + mat.name + " (" + law_name(mat.law) +
                                                ", area " + shortest_real(s.base.bars(b).area) +
                                                ") cannot carry at any length"));
    }
    rest[i] = r.length[i] / *lambda;
    const int32_t n1 = s.base.bars(b).node1, n2 = s.base.bars(b).node2;
    const point& x1 = r.nodes[static_cast<std::size_t>(n1 - 1)];
    const point& x2 = r.nodes[static_cast<std::size_t>(n2 - 1)];
    const bool drawn_together = std::fabs(x1[0] - x2[0]) <= one_point && std::fabs(x1[1] - x2[1]) <= one_point &&
                                std::fabs(x1[2] - x2[2]) <= one_point;
    // A bar drawn to nothing has no rest length an analysis can take: refused here, not
    // written for the analysis to refuse. Ends at one point were held there or drawn there
    // by the densities (a free node no load holds off goes onto what its bars pull it to);
    // ends apart with no length between them are coordinates too small to subtract.
    if (!(rest[i] > 0.0) || !std::isfinite(rest[i]) || drawn_together) {
      const auto held = [&](int32_t k) {
        return s.base.dof_map(k, 1) != 0 && s.base.dof_map(k, 2) != 0 && s.base.dof_map(k, 3) != 0;
      };
      const std::string ends = "its ends, nodes " + std::to_string(n1) + " and " + std::to_string(n2);
      if (x1 == x2 || drawn_together) {
        const std::string long_by = " is " + shortest_real(r.length[i]) + " long in the shape found: ";
        if (held(n1) && held(n2))
          fail(model_error, kalvane::bar_name(s, b) + long_by + ends +
                                ", are held at one point, which leaves it no rest length: draw them apart");
        fail(model_error, kalvane::bar_name(s, b) + long_by + "the densities draw " + ends +
                              ", to one point, which leaves it no rest length: give loads (\"loaded\": true), "
                              "densities or supports that keep them apart");
      }
      fail(model_error, kalvane::bar_name(s, b) + " is " + shortest_real(r.length[i]) +
                            " long in the shape found, which leaves it a rest length of " + shortest_real(rest[i]) +
                            ": draw the model in units in which its bars have a length");
    }
  }
  return rest;
}

structure materialised(const structure& s, const form_result& r, const std::vector<double>& rest) {
  structure out = s;
  model& m = out.base;
  for (int32_t k = 1; k <= m.node_count; ++k) {
    const point& x = r.nodes[static_cast<std::size_t>(k - 1)];
    m.x0(k) = x[0];
    m.y0(k) = x[1];
    m.z0(k) = x[2];
  }
  for (std::size_t i = 0; i < out.members.size(); ++i) {
    out.members[i].rest_length = rest[i];
    out.members[i].prestress.reset();
  }
  out.form.reset();
  return out;
}

}  // namespace kalvane::form
