#pragma once
// How the path ended, the exit status that says so, and which of its states the files hold.
#include <string>
#include <vector>

#include "newton/path.hpp"
#include "path/applied.hpp"

namespace kalvane::path {

// The exit statuses of kalvane-path.
inline constexpr int stable_at_full_load = 0;
inline constexpr int bad_input = 1;
inline constexpr int collapse = 2;
inline constexpr int beyond_a_critical_point = 3;  // full load after a snap-through or past a bifurcation

struct ending {
  int status = stable_at_full_load;
  applied at = full_load;     // what the written state applies
  int point = -1;             // its index in the path's points; -1 when it is none of them
  int limit_point = -1;       // the first limit point, -1 when none was named
  int bifurcation_point = -1; // the first bifurcation point, -1 when none was named
};

ending ending_of(const newton::path_finding& path, const std::vector<newton::load_stage>& stages);

}  // namespace kalvane::path
