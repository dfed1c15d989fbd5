#pragma once
// A CalculiX deck of a prepared structure at full load: every bar an axial nonlinear spring
// (SPRINGA) whose force-elongation table is the bar's own law on its own rest length, the
// supports with their prescribed values, the point loads (self-weight among them), one
// static step with nonlinear geometry, and prints of U and RF.
#include <string>
#include <vector>

#include "check/calculix_table.hpp"
#include "structure/structure.hpp"

namespace kalvane::check {

// Faults planted on purpose, so that tests can show that the comparison catches them.
struct calculix_faults {
  bool flip_load_sign = false;      // every concentrated load written with the opposite sign
  double elongation_scale = 1.0;    // every table elongation multiplied by this
};

// Bars that share material, behaviour, area, drawn and rest length share one spring table
// and one element set.
struct spring_group {
  double area = 0.0, length0 = 0.0;  // length0: drawn
  int32_t material = 0;
  member kind;
  std::vector<int32_t> bars;
  spring_table table;  // as written to the deck (to 14 significant digits at least)
};

struct calculix_deck {
  std::vector<spring_group> groups;
  std::vector<int32_t> group_of_bar;  // index into groups, by bar number - 1
};

// The sets the deck names, which the results reader looks for.
inline constexpr const char* all_nodes_set = "NALL";
inline constexpr const char* support_nodes_set = "NSUPPORT";

// Groups the bars and samples their tables; `seen` holds each bar's stretch range (by bar
// number - 1).
calculix_deck plan_deck(const structure& s, const std::vector<stretch_range>& seen, const calculix_faults& faults = {});

// The deck's text.
std::string deck_text(const structure& s, const calculix_deck& deck, const calculix_faults& faults = {});

}  // namespace kalvane::check
