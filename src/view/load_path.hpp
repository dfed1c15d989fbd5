#pragma once
// path.csv, written by kalvane-path next to its report: one row per converged point of the
// loading path, with the displacement it watches and the kind of each point.
#include <cstdint>
#include <string>
#include <vector>

namespace kalvane::view {

struct path_point {
  int32_t stage = 0;
  double load_factor = 0.0;
  double displacement = 0.0;  // of the watched node and component
  int32_t negative_pivots = 0;  // more than none: an unstable point
  std::string kind;           // "regular", "limit" or "bifurcation"
};

struct load_path {
  std::string displacement_label;  // the header's third column, e.g. "displacement node 5 Z"
  std::vector<path_point> points;
};

// Parses the file's text; `name` begins every error message ("name:line: what"). Throws
// kalvane::error when the header is not kalvane-path's or a row does not fit it.
load_path read_load_path(const std::string& text, const std::string& name);

}  // namespace kalvane::view
