#include "newton/system.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "newton/slack.hpp"
#include "newton/tangent.hpp"
#include "structure/law.hpp"

namespace kalvane::newton {

namespace {

// The pair (a, b), a >= b, of a bar's six local components at index a (a + 1) / 2 + b.
constexpr int pair_index(int a, int b) { return a * (a + 1) / 2 + b; }

int32_t free_position(const model& m, int32_t node, int j) {
  const int32_t p = m.dof_map(node, j);
  return p <= m.free_count ? p - 1 : -1;
}

double component(const model& m, const vector& x, int32_t node, int j) {
  const int32_t p = m.dof_map(node, j);
  return p <= m.free_count ? x[static_cast<std::size_t>(p - 1)] : m.prescribed(node, j);
}

}  // namespace

void bar_difference(const model& m, const bar_record& bar, const vector& x, double u[3]) {
  for (int j = 1; j <= 3; ++j) u[j - 1] = component(m, x, bar.node2, j) - component(m, x, bar.node1, j);
}

void bar_vector(const model& m, const bar_record& bar, const vector& x, double v[3]) {
  bar_difference(m, bar, x, v);
  v[0] += m.x0(bar.node2) - m.x0(bar.node1);
  v[1] += m.y0(bar.node2) - m.y0(bar.node1);
  v[2] += m.z0(bar.node2) - m.z0(bar.node1);
}

double rounding_of(double scale) { return 64.0 * std::numeric_limits<double>::epsilon() * scale; }

double rounding_of(const state& s, std::size_t p) { return rounding_of(s.scale[p] + s.carried[p]); }

double extent_of(const model& m) {
  double largest = 0.0;
  const terms::fmat1* axes[3] = {&m.x0, &m.y0, &m.z0};
  for (const terms::fmat1* axis : axes) {
    if (m.node_count == 0) break;
    double low = (*axis)(1), high = low;
    for (int32_t i = 2; i <= m.node_count; ++i) low = std::min(low, (*axis)(i)), high = std::max(high, (*axis)(i));
    largest = std::max(largest, high - low);
  }
  return largest > 0.0 && std::isfinite(largest) ? largest : 1.0;
}

double dot(const vector& a, const vector& b) {
  double sum = 0.0;
  for (std::size_t p = 0; p < a.size(); ++p) sum += a[p] * b[p];
  return sum;
}

double largest_rounding(const state& s) {
  double largest = 0.0;
  for (std::size_t p = 0; p < s.scale.size(); ++p) largest = std::max(largest, rounding_of(s, p));
  return largest;
}

std::vector<component_name> free_components(const model& m) {
  std::vector<component_name> names(static_cast<std::size_t>(m.free_count));
  for (int32_t k = 1; k <= m.node_count; ++k)
    for (int c = 1; c <= 3; ++c) {
      const int32_t p = m.dof_map(k, c);
      if (p <= m.free_count) names[static_cast<std::size_t>(p - 1)] = {k, c};
    }
  return names;
}

double max_abs(const vector& v) {
  double largest = 0.0;
  for (double value : v) largest = std::max(largest, std::fabs(value));
  return largest;
}

stiffness_pattern pattern_of(const model& m) {
  stiffness_pattern s;
  const auto n = static_cast<std::size_t>(m.free_count);
  const auto bars = static_cast<std::size_t>(bar_count(m));
  s.positions.resize(6 * bars);
  std::vector<Eigen::Triplet<double, int>> entries;
  entries.reserve(21 * bars + n);
  for (std::size_t p = 0; p < n; ++p) entries.emplace_back(static_cast<int>(p), static_cast<int>(p), 0.0);
  for (std::size_t b = 0; b < bars; ++b) {
    const bar_record& bar = m.bars(static_cast<long long>(b) + 1);
    int32_t* p = &s.positions[6 * b];
    for (int j = 0; j < 3; ++j) {
      p[j] = free_position(m, bar.node1, j + 1);
      p[3 + j] = free_position(m, bar.node2, j + 1);
    }
    for (int a = 0; a < 6; ++a)
      for (int c = 0; c <= a; ++c)
        if (p[a] >= 0 && p[c] >= 0) entries.emplace_back(std::max(p[a], p[c]), std::min(p[a], p[c]), 0.0);
  }
  s.matrix.resize(static_cast<Eigen::Index>(n), static_cast<Eigen::Index>(n));
  s.matrix.setFromTriplets(entries.begin(), entries.end());
  s.matrix.makeCompressed();
  const int* outer = s.matrix.outerIndexPtr();
  const int* inner = s.matrix.innerIndexPtr();
  auto slot = [&](int32_t row, int32_t col) {
    const int* first = inner + outer[col];
    const int* last = inner + outer[col + 1];
    return static_cast<int32_t>(std::lower_bound(first, last, row) - inner);
  };
  s.diagonal.resize(n);
  for (std::size_t p = 0; p < n; ++p) s.diagonal[p] = slot(static_cast<int32_t>(p), static_cast<int32_t>(p));
  std::vector<std::uint8_t> reached(n, 0);
  for (int32_t p : s.positions)
    if (p >= 0) reached[static_cast<std::size_t>(p)] = 1;
  for (std::size_t p = 0; p < n; ++p)
    if (!reached[p]) s.unattached.push_back(static_cast<int32_t>(p));
  s.slots.assign(21 * bars, -1);
  for (std::size_t b = 0; b < bars; ++b) {
    const int32_t* p = &s.positions[6 * b];
    for (int a = 0; a < 6; ++a)
      for (int c = 0; c <= a; ++c)
        if (p[a] >= 0 && p[c] >= 0) s.slots[21 * b + pair_index(a, c)] = slot(std::max(p[a], p[c]), std::min(p[a], p[c]));
  }
  return s;
}

member_state bar_state_at(const structure& st, const vector& x, int32_t b) {
  double u[3];
  bar_difference(st.base, st.base.bars(b), x, u);
  return member_at(st.base.bars(b), material_of(st, b), member_of(st, b), u);
}

state evaluate(const structure& st, const vector& x, stiffness_pattern* pattern, bool steer_slack) {
  const model& m = st.base;
  const auto n = static_cast<std::size_t>(m.free_count);
  state s;
  s.gradient.assign(n, 0.0);
  s.scale.assign(n, 0.0);
  s.carried.assign(n, 0.0);
  double load_term = 0.0;
  for (int32_t i = 1; i <= m.node_count; ++i)
    for (int j = 1; j <= 3; ++j) {
      const int32_t p = m.dof_map(i, j);
      if (p > m.free_count) continue;
      const double load = m.loads(i, j);
      load_term += load * x[static_cast<std::size_t>(p - 1)];
      s.gradient[static_cast<std::size_t>(p - 1)] = -load;
      s.scale[static_cast<std::size_t>(p - 1)] = st.load_sizes.data.empty() ? std::fabs(load) : st.load_sizes(i, j);
    }
  double* values = pattern ? pattern->matrix.valuePtr() : nullptr;
  if (pattern) std::fill(values, values + pattern->matrix.nonZeros(), 0.0);
  double bar_energy = 0.0;
  for (int32_t b = 1; b <= bar_count(m); ++b) {
    const bar_record& bar = m.bars(b);
    const member_state t = bar_state_at(st, x, b);
    bar_energy += t.energy;
    const auto index = static_cast<std::size_t>(b - 1);
    int32_t local[6];
    for (int j = 0; j < 3; ++j) {
      local[j] = free_position(m, bar.node1, j + 1);
      local[3 + j] = free_position(m, bar.node2, j + 1);
    }
    // The end difference is formed from the ends' displacements, each rounded to its last
    // bit: the stiffness times their size is the force that rounding alone leaves. Under a
    // rigid motion, with no stress and so no terms to sum, it is all a solver can reach.
    double carried[3];
    for (int j = 0; j < 3; ++j)
      carried[j] = std::fabs(component(m, x, bar.node1, j + 1)) + std::fabs(component(m, x, bar.node2, j + 1));
    double block[3][3];
    tangent_block(t, block);
    // The strain itself is summed from terms of the swing's size, lambda_D^2 - 1 = sum over
    // j of d_j (d_j + 2 c_j) with d = u / D: a bar that swings far but stretches little keeps
    // their rounding, which the axial stiffness passes to its force, dN = (dN/dl) D de / 2
    // lambda_D, and the force to each component along the bar.
    const double c0[3] = {bar.cx, bar.cy, bar.cz};
    double strain_terms = 0.0;
    for (int j = 0; j < 3; ++j) strain_terms += std::fabs(t.axis[j] - c0[j]) * std::fabs(t.axis[j] + c0[j]);
    const double strain_force = 0.5 * std::fabs(t.along) * bar.length0 * strain_terms;
    for (int a = 0; a < 6; ++a) {
      if (local[a] < 0) continue;
      const double f = a < 3 ? -t.end_force[a] : t.end_force[a - 3];
      double rounding_force = strain_force * std::fabs(t.axis[a % 3]);
      for (int c = 0; c < 3; ++c) rounding_force += std::fabs(block[a % 3][c]) * carried[c];
      s.gradient[static_cast<std::size_t>(local[a])] += f;
      s.scale[static_cast<std::size_t>(local[a])] += std::fabs(f);
      s.carried[static_cast<std::size_t>(local[a])] += rounding_force;
    }
    if (!pattern) continue;
    // A slack cable has no stiffness, and a node held only by slack cables would leave the
    // matrix singular: the tangent alone ties its ends by a small spring, along the cable
    // and across it (two collinear slack cables hold nothing across). The gradient above,
    // which alone decides convergence, is the slack cable's own (zero), so the equilibrium
    // stays exact; the tangent only steers the steps toward it.
    if (t.slack && steer_slack) {
      const double k = slack_stiffness(bar, material_of(st, b), member_of(st, b));
      for (int i = 0; i < 3; ++i) block[i][i] += k;
    }
    const int32_t* slots = &pattern->slots[21 * index];
    for (int a = 0; a < 6; ++a)
      for (int c = 0; c <= a; ++c) {
        const int32_t at = slots[pair_index(a, c)];
        if (at < 0) continue;
        const double k = block[a % 3][c % 3];
        values[at] += (a < 3) == (c < 3) ? k : -k;
      }
  }
  if (pattern && steer_slack && !pattern->unattached.empty()) {
    // A node that no bar reaches has no stiffness: the tangent alone holds it, as the
    // stiffest component is held, and its gradient (its load) decides where it goes.
    double largest = 0.0;
    for (int32_t at : pattern->diagonal) largest = std::max(largest, std::fabs(values[at]));
    for (int32_t p : pattern->unattached) values[pattern->diagonal[static_cast<std::size_t>(p)]] = largest > 0.0 ? largest : 1.0;
  }
  s.energy = bar_energy - load_term;
  s.finite = std::isfinite(s.energy);
  for (std::size_t p = 0; s.finite && p < n; ++p) s.finite = std::isfinite(s.gradient[p]);
  return s;
}

double curvature_along(const structure& st, const vector& x, const vector& d) {
  const model& m = st.base;
  double sum = 0.0;
  for (int32_t b = 1; b <= bar_count(m); ++b) {
    const bar_record& bar = m.bars(b);
    const member_state t = bar_state_at(st, x, b);
    double block[3][3];
    tangent_block(t, block);
    double along[3];  // d at node 2 less d at node 1 (prescribed components do not move)
    for (int j = 0; j < 3; ++j) {
      const int32_t p1 = free_position(m, bar.node1, j + 1), p2 = free_position(m, bar.node2, j + 1);
      along[j] = (p2 >= 0 ? d[static_cast<std::size_t>(p2)] : 0.0) - (p1 >= 0 ? d[static_cast<std::size_t>(p1)] : 0.0);
    }
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) sum += along[i] * block[i][j] * along[j];
  }
  return sum;
}

std::vector<int32_t> hold_idle_nodes(const structure& st, stiffness_pattern& pattern, long& components) {
  const model& m = st.base;
  components = 0;
  std::vector<int32_t> nodes;
  if (pattern.unattached.empty()) return nodes;
  double* values = pattern.matrix.valuePtr();
  double largest = 0.0;
  for (int32_t at : pattern.diagonal) largest = std::max(largest, std::fabs(values[at]));
  std::vector<std::uint8_t> unattached(static_cast<std::size_t>(m.free_count), 0);
  for (int32_t p : pattern.unattached) unattached[static_cast<std::size_t>(p)] = 1;
  for (int32_t i = 1; i <= m.node_count; ++i) {
    bool on_no_bar = false, loaded = false;
    for (int j = 1; j <= 3; ++j) {
      const int32_t p = m.dof_map(i, j);
      if (p > m.free_count || !unattached[static_cast<std::size_t>(p - 1)]) continue;
      on_no_bar = true;
      loaded = loaded || (!m.loads.data.empty() && m.loads(i, j) != 0.0);
    }
    if (!on_no_bar || loaded) continue;
    nodes.push_back(i);
    for (int j = 1; j <= 3; ++j) {
      const int32_t p = m.dof_map(i, j);
      if (p > m.free_count) continue;
      values[pattern.diagonal[static_cast<std::size_t>(p - 1)]] = largest > 0.0 ? largest : 1.0;
      ++components;
    }
  }
  return nodes;
}

results results_at(const structure& st, const vector& x) {
  const model& m = st.base;
  results r;
  r.reaction.assign(3 * static_cast<std::size_t>(m.node_count), 0.0);
  const auto bars = static_cast<std::size_t>(bar_count(m));
  r.stress.assign(bars, 0.0);
  r.force.assign(bars, 0.0);
  r.stretch.assign(bars, 0.0);
  r.strain.assign(bars, 0.0);
  r.slack.assign(bars, 0);
  for (int32_t k = 1; k <= m.node_count; ++k)
    for (int c = 1; c <= 3; ++c) r.reaction[3 * static_cast<std::size_t>(k - 1) + static_cast<std::size_t>(c - 1)] = -m.loads(k, c);
  for (int32_t b = 1; b <= bar_count(m); ++b) {
    const bar_record& bar = m.bars(b);
    double u[3];
    bar_difference(m, bar, x, u);
    const member_state f = member_at(bar, material_of(st, b), member_of(st, b), u);
    const auto index = static_cast<std::size_t>(b - 1);
    r.stress[index] = f.stress;
    r.force[index] = f.force;
    r.stretch[index] = f.lambda;
    r.strain[index] = f.strain;
    r.slack[index] = f.slack ? 1 : 0;
    const double* force = f.end_force;
    for (int c = 0; c < 3; ++c) {
      r.reaction[3 * static_cast<std::size_t>(bar.node1 - 1) + static_cast<std::size_t>(c)] -= force[c];
      r.reaction[3 * static_cast<std::size_t>(bar.node2 - 1) + static_cast<std::size_t>(c)] += force[c];
    }
  }
  return r;
}

}  // namespace kalvane::newton

namespace kalvane::newton {

vector multiply(const stiffness_pattern& pattern, const vector& v) {
  vector out(v.size(), 0.0);
  const auto& K = pattern.matrix;
  for (Eigen::Index col = 0; col < K.outerSize(); ++col)
    for (Eigen::SparseMatrix<double>::InnerIterator it(K, col); it; ++it) {
      const auto row = static_cast<std::size_t>(it.row()), c = static_cast<std::size_t>(col);
      out[row] += it.value() * v[c];
      if (row != c) out[c] += it.value() * v[row];
    }
  return out;
}

}  // namespace kalvane::newton
