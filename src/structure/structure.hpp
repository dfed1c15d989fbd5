#pragma once
// The structure as the companions model it: kalvane's model record (nodes, bars' drawn
// geometry, supports, prescribed displacements, loads and settings) with what engineers
// build beyond it: several named materials, linear-elastic steel beside the rubber laws,
// each bar's rest ("cut") length or the prestress force it carries in the drawn shape,
// tension-only cables, and self-weight. kalvane itself never sees this record.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/model.hpp"

namespace kalvane {

// The axial laws of the companions' bars. The rubber laws are kalvane's own; linear elastic
// is the engineers' cable: N = E A (l / L0 - 1).
enum class axial_law : std::uint8_t { neo_hooke, mooney_rivlin, linear_elastic };

// A bar carries tension and compression; a cable carries tension only (slack when shorter
// than its rest length: no force, no stiffness, no energy).
enum class bar_behaviour : std::uint8_t { bar, cable };

struct material {
  std::string name;
  axial_law law = axial_law::neo_hooke;
  double c1 = 0.0, c2 = 0.0;  // Neo-Hooke, Mooney-Rivlin
  double E = 0.0;             // linear elastic
  double weight = 0.0;        // per unit volume of the unstressed bar; 0: weightless
};

// What makes one bar of the structure beyond its ends and area (kept in the model's bar
// record, whose length0 is the drawn length).
struct member {
  int32_t material = 0;  // index into structure::materials
  bar_behaviour behaviour = bar_behaviour::bar;
  // The rest length as given: the drawn length when neither is given; a length; or the
  // force the bar carries in the drawn shape, from which the rest length follows.
  std::optional<double> rest_length;
  std::optional<double> prestress;
  // The rest length in use, set by `prepare` (and varied along a prestress stage).
  double rest = 0.0;
};

// Where a value stands in the file it was read from, for messages: line and column counted
// from 1 (the column in bytes); line 0 when it was not read from a file.
struct text_place {
  long line = 0, column = 0;
};

// A model file's form-finding data (its "form" section), read by kalvane-form; the analysis
// ignores it. Bars are numbered from 1. Its values are checked by kalvane-form, which alone
// gives them a sense, so the reader keeps where each stands.
struct form_group {
  std::vector<int32_t> bars;       // the bars the entry gives values for
  std::optional<double> density;   // force / length, positive in tension
  std::optional<double> force;     // a target force
  std::optional<double> length;    // a target length
  text_place density_at, force_at, length_at;
};

struct form_data {
  double density = 1.0;            // every bar's density that no entry gives
  double tolerance = 1e-6;         // on the targets, relative
  int32_t max_iterations = 1000;
  bool loaded = false;             // the model's loads act in the form-finding too
  std::vector<form_group> groups;  // as given, in order
  text_place density_at, tolerance_at, max_iterations_at;
};

// The first fault of a form section on a structure of `bars` bars, in words ("form:
// groups[1]: bar 9 is outside 1..8"), its group's index set in `group`; "" when it has none.
// Each bar must be in range and given one density and one target at most: a later group
// quietly overriding an earlier one would hide a slip.
std::string form_fault(const form_data& f, std::size_t bars, std::size_t& group);

struct structure {
  model base;                      // the geometry, supports, loads and settings; bars drawn
  std::vector<material> materials;
  std::vector<member> members;     // bar b at [b - 1]
  std::array<double, 3> gravity{0.0, 0.0, -1.0};  // a direction; normalised by `prepare`
  // The lumped self-weight at every component (node, component), from the rest lengths;
  // `base.loads` holds the live loads only. Set by `prepare`.
  terms::fmat2 weight_loads;
  // Where weight and live loads act together, the size of each applied load's two terms
  // (|weight part| + |live part|): what rounding and tolerances are measured against, since
  // a live load that cancels the weight leaves a sum near zero but terms that are not.
  // Empty: each load is one term.
  terms::fmat2 load_sizes;
  std::string title;               // the model's own words, for the pictures and reports
  std::optional<form_data> form;   // a model file's "form" section, when it has one
};

// A structure that is exactly kalvane's model: one material, every bar drawn at its rest
// length, no weight. Takes a model in the read state (before `start`).
structure structure_of(model m);

// True when kalvane's own input.txt can hold the structure: one rubber material, no rest
// length or prestress other than the drawn shape, no cable, no weight.
bool kalvane_can_hold(const structure& s);
// The first thing that input.txt cannot hold, in words ("bar 3 has a rest length"), or "".
std::string beyond_kalvane(const structure& s);

// Checks every value for physical sense and throws `error` (data_error) naming the bar or
// material: an area, c1 (Neo-Hooke), c1 + c2 (Mooney-Rivlin), E or rest length not positive
// and finite; a negative or non-finite weight; a material index out of range; gravity zero
// with weight present.
void validate(const structure& s);

// The stretch at which bar b's law carries the prestress the bar is given (the same at any
// drawn length); throws `error` (data_error) naming the bar and its material when
// no stretch carries it (a cable pushed, steel squeezed beyond E A).
double prestress_stretch(const structure& s, int32_t b);

// `validate`, and every prestress one its bar's law can carry: all that `prepare` refuses
// but a drawn length, for a model whose drawn shape is only a first guess (form-finding).
void validate_without_shape(const structure& s);

// After `start` on s.base: validates, sets each member's rest length (from a prestress force
// by inverting its law in the drawn shape), normalises gravity and lumps the self-weight.
void prepare(structure& s);

// Adds bar b's weight on a prepared structure, `weight` per unit volume times its area and
// rest length, half to each end node along `gravity`, into `loads` (node, component).
void add_bar_weight(const structure& s, int32_t b, double weight, const std::array<double, 3>& gravity,
                    terms::fmat2& loads);

// The bar's material.
inline const material& material_of(const structure& s, int32_t b) {
  return s.materials[static_cast<std::size_t>(s.members[static_cast<std::size_t>(b - 1)].material)];
}
inline const member& member_of(const structure& s, int32_t b) { return s.members[static_cast<std::size_t>(b - 1)]; }

// "bar 7 (input.txt:12)" or "bar 7", for messages.
std::string bar_name(const structure& s, int32_t b);

}  // namespace kalvane
