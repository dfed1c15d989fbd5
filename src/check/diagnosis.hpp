#pragma once
// What the structure itself says when a run gives no usable report: its softest direction,
// and whether it has a stable equilibrium under its loads at all.
#include <functional>
#include <optional>
#include <string>

#include "newton/factor.hpp"
#include "newton/path.hpp"
#include "check/residual.hpp"

namespace kalvane::check {

// The free component that moves most along the least stiff direction of the stiffness at
// x, by a few steps of inverse iteration with a small shift (Golub and Van Loan, 7.6.1).
component_name softest_component(const structure& s, const vector& x, stiffness_pattern& pattern, factorisation& f);

// When the stiffness of the unloaded, unprescribed shape is singular or not positive
// definite, the component free to move there; none when that shape is stable.
std::optional<component_name> free_at_zero_load(const structure& s, stiffness_pattern& pattern, factorisation& f);

// For a model prepared by `start` whose run left no report of its own: minimises the energy
// from the unloaded shape and tells, in one sentence, whether a stable equilibrium exists
// and which gradient tolerance a run can reach, or that the structure is a mechanism under
// its loads, naming the node.
// `tell` hears what is being worked on, for the progress line.
std::string diagnose_without_report(const model& m, const std::function<void(const std::string&)>& tell = {});

}  // namespace kalvane::check
