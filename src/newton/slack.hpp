#pragma once
// Cables that go slack, as Newton's method meets them. A cable's energy has a continuous
// first derivative and a jump in the second at its rest length: a slack cable has no
// stiffness, so a node held only by slack cables leaves the tangent singular; and an
// iteration near the kink may flip the same cables slack and taut without end.
#include <cstdint>
#include <string>
#include <vector>

#include "newton/system.hpp"

namespace kalvane::newton {

// The stiffness (force per length, along and across its axis alike) that the tangent gives
// a slack cable: a millionth of what the cable has along its axis taut at its rest length. Only the tangent takes it, never
// the residual or the energy, so that the equilibrium found stays exactly the one of the
// cable that carries nothing; the tangent only steers the iteration toward it.
double slack_stiffness(const bar_record& bar, const material& mat, const member& mem);
inline constexpr double slack_stiffness_fraction = 1e-6;

// True when the structure has at least one cable.
bool has_cables(const structure& s);

// Each bar's slack flag at x (1: a cable shorter than its rest length).
void slack_flags(const structure& s, const vector& x, std::vector<std::uint8_t>& flags);

// Counts, per bar, how often a cable changed between slack and taut over the iterates shown
// to it: an iteration that flips the same cable back and forth is chattering, and has to be
// handled (a line search on the energy, a smaller step), not looped on.
struct flip_counter {
  int limit = 3;  // flips of one bar that count as chattering
  std::vector<std::uint8_t> last;
  std::vector<int> flips;
  bool active = false;  // the structure has cables: otherwise every call is free
  bool chattering = false;
  bool flipped = false;  // some cable changed at all

  explicit flip_counter(const structure& s, int flips_allowed = 3);
  // Records the iterate; true once some bar has flipped more than `limit` times.
  bool observe(const structure& s, const vector& x);
};

// A set of free nodes joined by members that carry force, joined to the rest of the
// structure only by slack cables, and supported along no more than two axes: nothing holds
// it along the others. Also a node that no bar reaches at all.
struct slack_group {
  std::vector<int32_t> nodes;     // in rising order
  bool on_no_bar = false;         // a lone node that no bar reaches
  double load[3] = {0.0, 0.0, 0.0};  // the resultant of its loads
  bool loaded = false;            // along an axis nothing holds, more than rounding of its loads
};

// The groups at x, the structure at its current loads (live and self-weight as applied).
std::vector<slack_group> slack_groups(const structure& s, const vector& x);

// "node 4" or "nodes 4, 7 and 9": a group's nodes, as the summaries name them.
std::string nodes_text(const std::vector<int32_t>& nodes);

}  // namespace kalvane::newton
