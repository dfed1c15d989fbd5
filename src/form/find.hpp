#pragma once
// Form-finding: the shape of the problem's densities, or, where bars have target forces or
// lengths, the densities that give them, found by the fixed-point iteration on the force
// densities that form-finding practice uses with the force density method:
//   a bar with a target force F*:  q <- F* / l, l its length in the last shape;
//   a bar with a target length L*: q <- q l / L*, i.e. it keeps the force q l of the last
//   shape and takes the density that force has at the wanted length: a bar too long gets a
//   larger density and is drawn in, one too short is let out; a strut (q < 0) takes
//   q <- q L* / l, since a larger push lengthens it.
// Each step is one solve of the force density method. The iteration stops when every
// target is met to the relative tolerance, at the iteration cap, when no step has improved
// the worst error for `stall_window` steps, or when the densities leave the shape
// undetermined; the best shape met is kept and the unmet bars are named with the reason.
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "form/problem.hpp"

namespace kalvane::form {

struct form_settings {
  double tolerance = 1e-6;   // on |F - F*| / |F*| and |l - L*| / L*
  int max_iterations = 1000;
  int stall_window = 100;
};

// Why a tolerance on the targets, or an iteration limit, cannot be one, in words; "" when it can.
std::string tolerance_fault(double tolerance);
std::string iteration_limit_fault(int max_iterations);

// Settings checked where they are made: a tolerance positive and finite, at least one
// iteration and a stall window of at least one step. Throws `error` (usage_error).
form_settings settings_of(double tolerance, int max_iterations, int stall_window = 100);

enum class form_outcome { found, targets_not_met };

enum class target_kind { force, length };

struct unmet_target {
  std::size_t bar = 0;
  target_kind kind = target_kind::force;
  double wanted = 0.0, reached = 0.0;
  std::string why;
};

struct form_result {
  form_outcome outcome = form_outcome::found;
  std::vector<point> nodes;
  std::vector<double> density, force, length;  // per bar; force = density x length
  int iterations = 0;              // density updates made (0 without targets)
  double largest_residual = 0.0;   // out-of-balance force at a free component
  double largest_force_error = 0.0;   // relative, over the bars with a target force
  double largest_length_error = 0.0;  // relative, over the bars with a target length
  long negative_pivots = 0;        // of D at the shape kept (struts outweigh the cables somewhere);
                                   // -1 when not known (see shape_solve)
  std::string stop;                // why the iteration ended short of the targets; empty when found
  std::vector<unmet_target> unmet; // worst first, at most unmet_listed
};

inline constexpr std::size_t unmet_listed = 10;

// Validates the problem and finds its form. Throws `error` for bad input (data_error,
// index_error) and for densities that leave the first shape undetermined (model_error).
// `each_step`, when given, hears of every shape solved: the density updates so far and the
// worst relative error of the targets there (a progress line's facts).
using step_observer = std::function<void(int step, double worst_error)>;
form_result find_form(const problem& p, const form_settings& settings = {}, const step_observer& each_step = {});

// The words for a result's outcome: "found", "targets not met".
const char* outcome_name(form_outcome outcome);

}  // namespace kalvane::form
