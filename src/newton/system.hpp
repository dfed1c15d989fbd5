#pragma once
// The structure as the checks see it: the total potential without its constant per bar,
// its gradient over the free components, and its tangent stiffness as a sparse matrix,
// assembled into a pattern that is fixed once per model.
#include <Eigen/SparseCore>

#include <cstdint>
#include <vector>

#include "model/model.hpp"
#include "structure/bar_results.hpp"
#include "structure/law.hpp"
#include "structure/structure.hpp"

namespace kalvane::newton {

using vector = std::vector<double>;  // free components, position p at [p - 1]

// Where each bar's entries go in the matrix: its six components' free positions (0-based,
// -1 when prescribed) and, for each of the 21 pairs of its lower triangle, the index of
// the entry in the matrix's value array (-1 when a component is prescribed).
struct stiffness_pattern {
  std::vector<int32_t> positions;  // 6 per bar
  std::vector<int32_t> slots;      // 21 per bar
  std::vector<int32_t> diagonal;   // index of entry (p, p) for every free p
  std::vector<int32_t> unattached;  // free positions of nodes that no bar reaches
  Eigen::SparseMatrix<double> matrix;  // lower triangle, values overwritten by each assembly
};

// A model prepared by `start`: dof_map holds position numbers.
stiffness_pattern pattern_of(const model& m);

struct state {
  double energy = 0.0;  // sum of bar energies above the unstrained state, minus loads . x
  vector gradient;      // dPi/dx, the same function kalvane's objective differentiates
  vector scale;         // per component: |load| + sum of |bar contributions|, the size of the terms summed
  // Per component, the sum over its bars of |stiffness| times the displacements their end
  // difference is formed from: what the rounding of those displacements alone leaves.
  vector carried;
  bool finite = true;   // no bar was squeezed through a point, nothing overflowed
};

// Evaluates at x (free components; prescribed ones from the model). With `pattern`, also
// assembles the tangent stiffness into pattern->matrix; `steer_slack` gives slack cables the
// small stiffness that steers Newton's steps (slack.hpp), and the components of a node that
// no bar reaches the largest diagonal entry (no load, no gradient: held where it is), off
// for the structure's own tangent, whose inertia says whether the equilibrium is stable.
state evaluate(const structure& s, const vector& x, stiffness_pattern* pattern = nullptr, bool steer_slack = true);

// d.K d of the structure's own tangent at x (slack cables with no stiffness), summed bar by
// bar without assembling K: the energy's curvature along d.
double curvature_along(const structure& s, const vector& x, const vector& d);

// Holds in pattern->matrix, as the stiffest component is held, each component of a node that
// no bar reaches and no load pulls, and returns those nodes (rising) and how many components:
// such a node stays where it is, and is no part of the structure's stability.
std::vector<int32_t> hold_idle_nodes(const structure& s, stiffness_pattern& pattern, long& components);

// Bar b's state (strain, force, energy, axis) at x.
member_state bar_state_at(const structure& s, const vector& x, int32_t b);

// The bar's displacement difference u(node2) - u(node1) at x.
void bar_difference(const model& m, const bar_record& bar, const vector& x, double u[3]);

// The deformed bar at x as a vector from its first end to its second: its drawn vector plus
// that difference.
void bar_vector(const model& m, const bar_record& bar, const vector& x, double v[3]);

// Largest rounding error the summed gradient can carry at each component.
double rounding_of(double scale);

// The same at component p of the state: of the terms summed, and of the displacements the
// bars' end differences are formed from, which is all a stress-free (rigid) motion leaves.
double rounding_of(const state& s, std::size_t p);

// The largest rounding level of any component of the state.
double largest_rounding(const state& s);

// Reactions at every component (as the report forms them: end forces less the load) and
// each bar's stress, axial force and stretch on its rest length, at x.
using results = bar_results;
results results_at(const structure& s, const vector& x);

double max_abs(const vector& v);

// Node and component (1 = X, 2 = Y, 3 = Z) of each free position p, at [p - 1].
struct component_name {
  int32_t node = 0;
  int component = 0;
};
std::vector<component_name> free_components(const model& m);
double dot(const vector& a, const vector& b);

// The largest span of the undeformed structure along X, Y or Z (1 for a point): the length
// that steps, and displacements that can still be a structure's, are measured against.
double extent_of(const model& m);

}  // namespace kalvane::newton

namespace kalvane::newton {
// K v from the stored lower triangle.
vector multiply(const stiffness_pattern& pattern, const vector& v);
}  // namespace kalvane::newton
