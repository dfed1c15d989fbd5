#pragma once
// The bar law over a range of bars, several bars per instruction: the end displacements of
// a block of bars are fetched into arrays of their own (one array per quantity), then the
// law runs on whole lane packs of that block and the energies and node2 end forces go to
// per-bar arrays. Each lane computes exactly what element1 computes for its bar.
#include <cstddef>
#include <cstdint>

#include "mechanics/bar_law.hpp"
#include "model/model.hpp"

namespace kalvane {

// Everything a pass reads and writes. Bar nodes and position numbers were checked when the
// objective was bound, so nothing here is checked again.
struct bar_pass {
  const bar_record* bars = nullptr;
  const int32_t* dof = nullptr;        // position numbers, three per node
  const double* prescribed = nullptr;  // three per node
  const double* x = nullptr;           // the unknowns, x(1) first
  int32_t n = 0;
  law_constants law;
  // One entry per bar, with room up to a whole pack of the widest lanes past the last bar.
  double* energy = nullptr;
  double* fx = nullptr;
  double* fy = nullptr;
  double* fz = nullptr;
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

// The pass itself on the lane type V: V(double), + - * /, sqrt_of(V), V::load(const
// double*), store(double*) and negative_lanes() (a mask of the lanes below zero).
template <class V>
stretch_failure bar_range(const bar_pass& p, long long begin, long long end) {
  constexpr int width = V::width;
  constexpr int block = 128;
  alignas(64) double ux[block], uy[block], uz[block], cx[block], cy[block], cz[block], L[block], area[block];
  const int32_t n = p.n;
  for (long long first = begin; first < end; first += block) {
    const int count = end - first < block ? static_cast<int>(end - first) : block;
    for (int k = 0; k < count; ++k) {
      const bar_record& bar = p.bars[first + k];
      const std::ptrdiff_t r1 = (static_cast<std::ptrdiff_t>(bar.node1) - 1) * 3;
      const std::ptrdiff_t r2 = (static_cast<std::ptrdiff_t>(bar.node2) - 1) * 3;
      const int32_t* d1 = p.dof + r1;
      const int32_t* d2 = p.dof + r2;
      const double* q1 = p.prescribed + r1;
      const double* q2 = p.prescribed + r2;
      ux[k] = (d2[0] <= n ? p.x[d2[0] - 1] : q2[0]) - (d1[0] <= n ? p.x[d1[0] - 1] : q1[0]);
      uy[k] = (d2[1] <= n ? p.x[d2[1] - 1] : q2[1]) - (d1[1] <= n ? p.x[d1[1] - 1] : q1[1]);
      uz[k] = (d2[2] <= n ? p.x[d2[2] - 1] : q2[2]) - (d1[2] <= n ? p.x[d1[2] - 1] : q1[2]);
      cx[k] = bar.cx;
      cy[k] = bar.cy;
      cz[k] = bar.cz;
      L[k] = bar.length0;
      area[k] = bar.area;
    }
    // The lanes past the range hold an unstrained unit bar, which can raise nothing.
    const int packed = (count + width - 1) / width * width;
    for (int k = count; k < packed; ++k) {
      ux[k] = uy[k] = uz[k] = 0.0;
      cx[k] = 1.0, cy[k] = cz[k] = 0.0;
      L[k] = 1.0, area[k] = 0.0;
    }
    for (int k = 0; k < packed; k += width) {
      const V vcx = V::load(cx + k), vcy = V::load(cy + k), vcz = V::load(cz + k);
      const V vL = V::load(L + k), varea = V::load(area + k);
      const bar_strain<V> s = bar_stretch(V::load(ux + k), V::load(uy + k), V::load(uz + k), vL, vcx, vcy, vcz);
      if (const unsigned negative = s.lambda2.negative_lanes(); negative != 0) {
        alignas(64) double lambda2[width];
        s.lambda2.store(lambda2);
        for (int lane = 0; lane < width; ++lane)
          if (negative >> lane & 1u) return {first + k + lane, lambda2[lane]};
      }
      const bar_response<V> r = bar_law(s, vcx, vcy, vcz, varea, vL, p.law);
      const long long b = first + k;
      r.energy.store(p.energy + b);
      r.fx.store(p.fx + b);
      r.fy.store(p.fy + b);
      r.fz.store(p.fz + b);
    }
  }
  return {};
}

}  // namespace kalvane
