#pragma once
// A structure's answer at one state: the reactions as kalvane's report forms them (end forces
// less the load, at every component) and each bar's stress, axial force and stretch.
#include <cmath>
#include <cstdint>
#include <vector>

namespace kalvane {

struct bar_results {
  std::vector<double> reaction;     // 3 per node, [3 (k - 1) + (c - 1)]
  std::vector<double> stress;       // bar b at [b - 1]
  std::vector<double> force;        // axial force, positive in tension
  std::vector<double> stretch;      // current over rest length
  std::vector<double> strain;       // stretch - 1
  std::vector<std::uint8_t> slack;  // 1: a cable shorter than its rest length
};

// A strain this small is the rounding of the lengths it is formed from, not a stress: such a
// bar is at rest, neither in tension nor in compression.
inline constexpr double rounding_strain = 1e3 * 2.220446049250313e-16;
inline bool at_rest(const bar_results& r, std::size_t i) { return !(std::abs(r.strain[i]) > rounding_strain); }

}  // namespace kalvane
