#pragma once
// How the path ended, the exit status that says so, and which of its states the files hold.
#include <vector>

#include "newton/path.hpp"
#include "path/applied.hpp"

namespace kalvane::path {

// The exit statuses of kalvane-path.
inline constexpr int stable_at_full_load = 0;
inline constexpr int bad_input = 1;
inline constexpr int no_stable_equilibrium = 2;
inline constexpr int beyond_a_critical_point = 3;  // full load, stable, after a snap-through, a jump or a branch switch

enum class end_kind {
  stable,            // full load, stable, on the branch from the unloaded shape
  snapped,           // full load on the far branch of a snap-through
  past_bifurcation,  // full load past a bifurcation point, on the branch followed (traced)
  rerouted,          // full load, stable, after a jump or a switch to a bifurcated branch
  collapse,          // no stable equilibrium found at full load; the files hold the last stable point
  mechanism,         // the energy falls without bound under the first loads; the files hold the unloaded shape
  stalled,           // the path could not be followed on, short of full load, on a stable branch
  stopped,           // its observer stopped the path short of full load; the files hold the last point seen
};

struct ending {
  end_kind kind = end_kind::stable;
  int status = stable_at_full_load;
  applied at = full_load;      // what the written state applies
  int limit_point = -1;        // the first limit point, -1 when none was named
  int bifurcation_point = -1;  // the first bifurcation point, -1 when none was named
  // The last limit or bifurcation point: where a collapse leaves its branch (the earlier ones
  // it jumped from landed on stable states), -1 when none was named.
  int last_critical = -1;
};

ending ending_of(const newton::path_finding& path, const std::vector<newton::load_stage>& stages);

}  // namespace kalvane::path
