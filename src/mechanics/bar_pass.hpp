#pragma once
// The bar law over a range of bars, several bars per instruction: each lane computes
// exactly what element1 computes for its bar, from the same displacements in the same
// order. Its energy goes to a per-bar array, and its node2 end forces to four reals per bar
// (fx, fy, fz, then the energy again as padding), so that a node's gradient entries take
// each bar's contribution with one load and one addition of several lanes.
#include <cstdint>

#include "mechanics/bar_law.hpp"
#include "model/model.hpp"

namespace kalvane {

// Everything a pass reads and writes, one entry per bar in arrays of their own, with room
// up to a whole pack of the widest lanes past the last bar (an unstrained unit bar there,
// which can raise nothing). Bar nodes were checked when the objective was bound.
struct bar_pass {
  const double* u = nullptr;       // the displacements, three per node
  const int32_t* row1 = nullptr;   // 3 * (node1 - 1): node1's X in u
  const int32_t* row2 = nullptr;   // the same for node2
  const double* cx = nullptr;
  const double* cy = nullptr;
  const double* cz = nullptr;
  const double* length0 = nullptr;
  const double* area = nullptr;
  law_constants law;
  double* energy = nullptr;  // out: the energy, one per bar
  double* forces = nullptr;  // out: node2's end forces, four per bar, 32-byte aligned
};

// The first bar of a range whose stretch squared came out negative (0-based; -1 for none).
struct stretch_failure {
  long long bar = -1;
  double lambda2 = 0.0;
};

// Runs bars [begin, end); `begin` is a multiple of the widest lane count, and so is `end`
// unless it is the last bar. Stops at the first negative stretch squared.
using bar_range_fn = stretch_failure (*)(const bar_pass& pass, long long begin, long long end);

inline constexpr int widest_lanes = 8;

// The variants for wider lanes, each in a file compiled for its instruction set. Each gives
// null when this build could not compile it.
bar_range_fn bar_range_avx2();
bar_range_fn bar_range_avx512();

// The pass itself on the lane type V: V(double), + - * /, sqrt_of(V), V::load(const double*),
// V::gather(const double* base, const int32_t* index), store(double*), negative_lanes()
// (a mask of the lanes below zero) and V::store_quads(double* out, a, b, c, d), which writes
// a, b, c, d of lane l to out[4 * l] .. out[4 * l + 3].
template <class V>
stretch_failure bar_range(const bar_pass& p, long long begin, long long end) {
  constexpr int width = V::width;
  for (long long b = begin; b < end; b += width) {
    const int32_t* r1 = p.row1 + b;
    const int32_t* r2 = p.row2 + b;
    const V ux = V::gather(p.u, r2) - V::gather(p.u, r1);
    const V uy = V::gather(p.u + 1, r2) - V::gather(p.u + 1, r1);
    const V uz = V::gather(p.u + 2, r2) - V::gather(p.u + 2, r1);
    const V cx = V::load(p.cx + b), cy = V::load(p.cy + b), cz = V::load(p.cz + b);
    const V L = V::load(p.length0 + b), area = V::load(p.area + b);
    const bar_strain<V> s = bar_stretch(ux, uy, uz, L, cx, cy, cz);
    if (const unsigned negative = s.lambda2.negative_lanes(); negative != 0) {
      alignas(64) double lambda2[width];
      s.lambda2.store(lambda2);
      for (int lane = 0; lane < width; ++lane)
        if (negative >> lane & 1u) return {b + lane, lambda2[lane]};
    }
    const bar_response<V> r = bar_law(s, cx, cy, cz, area, L, p.law);
    r.energy.store(p.energy + b);
    V::store_quads(p.forces + 4 * b, r.fx, r.fy, r.fz, r.energy);
  }
  return {};
}

}  // namespace kalvane
