#pragma once
// What a result says of the structure's cables and of its bars in compression. A cable
// cannot push: a result that gives one compression answers a structure that does not exist
// (a solver that ignored tension-only), however well it balances. A model of plain bars in
// which bars carry compression is told too, in one line: an engineer may have meant cables.
#include <cstdint>
#include <string>
#include <vector>

#include "check/residual.hpp"
#include "newton/system.hpp"

namespace kalvane::check {

struct cable_finding {
  long cables = 0;
  std::vector<int32_t> slack;   // cables shorter than their rest length at the result
  // Cables the result gives compression: its reported stress negative beyond its printing.
  std::vector<int32_t> pushed;
  int32_t most_pushed_bar = 0;  // the one pushed hardest, and its reported stress
  double most_pushed = 0.0;
  // Free nodes that only slack cables reach, with no support: nothing holds them, and the
  // structure is a mechanism there. In rising order.
  std::vector<int32_t> held_by_slack;
  // Where the structure is a mechanism but for its slack cables (every cable across some
  // motion slack, as in a frame whose bracing cables all went slack) and no node is held by
  // slack cables alone: the free component that moves most along that motion (node 0: none).
  component_name free_but_for_slack;
};

// The cables of `s` at displacements x; `reported_stress` is the result's stress per bar
// (bar b at [b - 1]), or empty when the result gives none.
cable_finding cables_in(const structure& s, const newton::vector& x, const std::vector<double>& reported_stress);

struct compression_finding {
  long bars = 0;         // plain bars (not cables) in compression at x
  int32_t largest_bar = 0;
  double largest = 0.0;  // its axial force, negative
};

compression_finding compression_in(const structure& s, const newton::vector& x);

// "4 bars carry compression, the largest -14150 in bar 12" or "" when none does.
std::string compression_text(const compression_finding& c);
// "cable 31 carries compression (stress -14.2) in the report: a cable cannot push" (and how
// many more), or "" when none does.
std::string pushed_text(const cable_finding& c);

}  // namespace kalvane::check
