#pragma once
// The gradient entries of a range of nodes, from the end forces a bar pass wrote. Each
// entry starts from its negated load and then adds its bars' contributions in bar order,
// node1 before node2, as the plain loop does; a node's three entries ride in the lanes of
// one quad, so each contribution is one load and one addition, lane by lane, which gives
// the bits of three scalar additions.
#include <cstdint>

namespace kalvane {

// Everything a gather reads and writes. Node i's contributions are
// contributions[node_first[i] .. node_first[i + 1]), each 2 * bar + end (end 0 for node1,
// 1 for node2); forces holds four reals per bar, node2's end forces first.
struct node_pass {
  int32_t n = 0;                  // the unknowns; a position above n is prescribed
  const int32_t* dof = nullptr;   // three per node
  const double* loads = nullptr;  // three per node
  const long long* node_first = nullptr;
  const std::uint32_t* contributions = nullptr;
  const double* forces = nullptr;
  double* g = nullptr;  // out: entries 0 .. n - 1
};

// Gathers nodes [begin, end) (0-based).
using node_range_fn = void (*)(const node_pass& pass, long long begin, long long end);

// node1 receives the negated forces: the sign bits flipped, as unary minus does. The quad
// of sign bits for an end, four lanes, is end_signs + 4 * end.
alignas(32) inline constexpr std::uint64_t end_signs[8] = {std::uint64_t{1} << 63, std::uint64_t{1} << 63,
                                                          std::uint64_t{1} << 63, std::uint64_t{1} << 63, 0, 0, 0, 0};

// The gather on the quad type Q: Q(x, y, z), Q::load(const double*) of four reals,
// flip(const std::uint64_t* signs) (each lane's bits xor-ed with its word of the four), +
// and store(double*) of four reals.
template <class Q>
void node_range(const node_pass& p, long long begin, long long end) {
  const int32_t n = p.n;
  for (long long i = begin; i < end; ++i) {
    const int32_t* d = p.dof + 3 * i;
    if (d[0] > n && d[1] > n && d[2] > n) continue;
    const double* load = p.loads + 3 * i;
    Q sum(-load[0], -load[1], -load[2]);
    for (long long k = p.node_first[i]; k < p.node_first[i + 1]; ++k) {
      const std::uint32_t entry = p.contributions[k];
      sum = sum + Q::load(p.forces + 4 * static_cast<std::size_t>(entry >> 1)).flip(end_signs + 4 * (entry & 1u));
    }
    alignas(32) double entries[4];
    sum.store(entries);
    if (d[0] <= n) p.g[d[0] - 1] = entries[0];
    if (d[1] <= n) p.g[d[1] - 1] = entries[1];
    if (d[2] <= n) p.g[d[2] - 1] = entries[2];
  }
}

// The variant for AVX2, from the file compiled for it; null when this build could not.
node_range_fn node_range_avx2();

}  // namespace kalvane
