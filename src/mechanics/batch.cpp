#include "mechanics/batch.hpp"

#include "mechanics/bar_law.hpp"
#include "mechanics/element.hpp"
#include "mechanics/objective.hpp"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace kalvane {
namespace {

#ifdef __SSE2__
// Two doubles, each operation correctly rounded per lane like its scalar form.
struct pack2 {
  __m128d v;
  pack2() = default;
  pack2(__m128d a) : v(a) {}
  pack2(double a) : v(_mm_set1_pd(a)) {}
};
inline pack2 operator+(pack2 a, pack2 b) { return _mm_add_pd(a.v, b.v); }
inline pack2 operator-(pack2 a, pack2 b) { return _mm_sub_pd(a.v, b.v); }
inline pack2 operator*(pack2 a, pack2 b) { return _mm_mul_pd(a.v, b.v); }
inline pack2 operator/(pack2 a, pack2 b) { return _mm_div_pd(a.v, b.v); }
inline pack2 sqrt_of(pack2 a) { return _mm_sqrt_pd(a.v); }
inline pack2 both(double first, double second) { return _mm_set_pd(second, first); }
inline void split(pack2 a, double out[2]) { _mm_storeu_pd(out, a.v); }
inline bool any_negative(pack2 a) { return _mm_movemask_pd(_mm_cmplt_pd(a.v, _mm_setzero_pd())) != 0; }
#endif

}  // namespace

batch_objective::batch_objective(const model& m) : m_(m) {
  const int32_t nodes = m.node_count;
  auto node_rows = [nodes](const auto& a) {
    return a.first1 == 1 && a.last1 == nodes && a.first2 == 1 && a.last2 == 3 &&
           a.data.size() == static_cast<std::size_t>(3) * static_cast<std::size_t>(nodes < 0 ? 0 : nodes);
  };
  if (nodes < 0 || !node_rows(m.dof_map) || !node_rows(m.prescribed) || !node_rows(m.loads)) return;
  if (m.bars.first != 1 || m.bars.data.size() != static_cast<std::size_t>(terms::extent(1, m.bars.last))) return;
  for (int32_t p : m.dof_map.data)
    if (p < 1) return;
  for (const bar_record& bar : m.bars.data)
    if (bar.node1 < 1 || bar.node1 > nodes || bar.node2 < 1 || bar.node2 > nodes) return;
  checked_ = true;
}

double batch_objective::operator()(int32_t n, const terms::fmat1& x, terms::fmat1& g) const {
  const model& m = m_;
  if (!checked_ || n != m.free_count || n < 0 || x.first != 1 || x.length() < n || g.first != 1 || g.length() < n)
    return objective(m, n, x, g);

  const int32_t* dof = m.dof_map.data.data();
  const double* prescribed = m.prescribed.data.data();
  const double* loads = m.loads.data.data();
  const double* xs = x.data.data();
  double* gs = g.data.data();

  double total = 0.0;
  // Loads first: every position 1..n occurs once in dof_map, so this assigns all of g.
  const long long components = 3LL * m.node_count;
  for (long long r = 0; r < components; ++r) {
    const int32_t p = dof[r];
    if (p <= n) {
      total = total - xs[p - 1] * loads[r];
      gs[p - 1] = -loads[r];
    }
  }

  const bar_record* bars = m.bars.data.data();
  const long long bar_total = static_cast<long long>(m.bars.data.size());
  if (bar_total == 0) return total;
  const law_constants law = constants_of(material_of(m));
  auto displacement_at = [&](int32_t row) {
    const int32_t p = dof[row];
    return p <= n ? xs[p - 1] : prescribed[row];
  };
  // In bar order: the energy, then node1's components, then node2's.
  auto add_bar = [&](const bar_record& bar, double energy, double fx, double fy, double fz) {
    total = total + energy;
    const int32_t* d1 = dof + (bar.node1 - 1) * 3;
    const int32_t* d2 = dof + (bar.node2 - 1) * 3;
    const double f[3] = {fx, fy, fz};
    for (int j = 0; j < 3; ++j)
      if (d1[j] <= n) gs[d1[j] - 1] = gs[d1[j] - 1] + -f[j];
    for (int j = 0; j < 3; ++j)
      if (d2[j] <= n) gs[d2[j] - 1] = gs[d2[j] - 1] + f[j];
  };

  long long b = 0;
#ifdef __SSE2__
  // Two bars at a time in one pass: the divisions and the square root of the pair share
  // instructions, and the next pair's reads overlap this pair's arithmetic.
  for (; b + 1 < bar_total; b += 2) {
    const bar_record& one = bars[b];
    const bar_record& two = bars[b + 1];
    const int32_t o1 = (one.node1 - 1) * 3, o2 = (one.node2 - 1) * 3;
    const int32_t t1 = (two.node1 - 1) * 3, t2 = (two.node2 - 1) * 3;
    const pack2 ux = both(displacement_at(o2) - displacement_at(o1), displacement_at(t2) - displacement_at(t1));
    const pack2 uy =
        both(displacement_at(o2 + 1) - displacement_at(o1 + 1), displacement_at(t2 + 1) - displacement_at(t1 + 1));
    const pack2 uz =
        both(displacement_at(o2 + 2) - displacement_at(o1 + 2), displacement_at(t2 + 2) - displacement_at(t1 + 2));
    const pack2 cx = both(one.cx, two.cx), cy = both(one.cy, two.cy), cz = both(one.cz, two.cz);
    const pack2 L = both(one.length0, two.length0), area = both(one.area, two.area);
    const bar_strain<pack2> st = bar_stretch(ux, uy, uz, L, cx, cy, cz);
    if (any_negative(st.lambda2)) {
      double lambda2[2];
      split(st.lambda2, lambda2);
      if (lambda2[0] < 0.0) negative_stretch_failure(m, one, lambda2[0]);
      negative_stretch_failure(m, two, lambda2[1]);
    }
    const bar_response<pack2> r = bar_law(st, cx, cy, cz, area, L, law);
    double energy[2], fx[2], fy[2], fz[2];
    split(r.energy, energy);
    split(r.fx, fx);
    split(r.fy, fy);
    split(r.fz, fz);
    add_bar(one, energy[0], fx[0], fy[0], fz[0]);
    add_bar(two, energy[1], fx[1], fy[1], fz[1]);
  }
#endif
  for (; b < bar_total; ++b) {
    const bar_record& bar = bars[b];
    const int32_t r1 = (bar.node1 - 1) * 3, r2 = (bar.node2 - 1) * 3;
    const bar_strain<double> st = bar_stretch(displacement_at(r2) - displacement_at(r1),
                                              displacement_at(r2 + 1) - displacement_at(r1 + 1),
                                              displacement_at(r2 + 2) - displacement_at(r1 + 2), bar.length0, bar.cx,
                                              bar.cy, bar.cz);
    if (st.lambda2 < 0.0) negative_stretch_failure(m, bar, st.lambda2);
    const bar_response<double> r = bar_law(st, bar.cx, bar.cy, bar.cz, bar.area, bar.length0, law);
    add_bar(bar, r.energy, r.fx, r.fy, r.fz);
  }
  return total;
}

}  // namespace kalvane
