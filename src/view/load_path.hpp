#pragma once
// path.csv, written by kalvane-path next to its report: one row per converged point of the
// loading path, with the displacement it watches and the kind of each point.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/model.hpp"
#include "view/report_reader.hpp"

namespace kalvane::view {

struct path_point {
  int32_t stage = 0;
  double load_factor = 0.0;
  double displacement = 0.0;  // of the watched node and component
  int32_t negative_pivots = 0;  // more than none: an unstable point
  std::string kind;           // "regular", "limit", "bifurcation", "jump", "slack" or "taut"
  int32_t bar = 0;            // the cable of a slack or taut point
};

struct load_path {
  std::string displacement_label;  // the header's third column, e.g. "displacement node 5 Z"
  std::vector<path_point> points;
  std::size_t columns = 9;  // 8 in files written before cables were watched
};

// The node (one-based) and component (1 = X, 2 = Y, 3 = Z) that the header's label
// "displacement node N C" names; nullopt when it names none.
struct watched_component {
  int32_t node = 0;
  int component = 0;
};
std::optional<watched_component> watched_of(const load_path& path);

// The point of the path whose state the folder's report holds: of the stable points and the
// located limit and bifurcation points (all points when there are none), the one whose watched displacement is nearest the report's,
// the later one of equals. Displacements within `alike` of the report's are equals: a net
// that stays in its drawn shape moves by rounding only, which tells no point from another.
// nullopt when the path has no point or its label names no node of the report.
std::optional<std::size_t> point_of_report(const load_path& path, const report& r, double alike);

// The `alike` of point_of_report for a structure: 1e-10 of its drawn size (the diagonal of
// its nodes' box), far above rounding and far below a step of any path.
double alike_displacement(const model& m);

// Where the report's point lies when it is short of full load (exit 2), in words ("load
// factor 0.5 of stage 2"); "" when it is the full load of the path's last stage.
std::string short_of_full_load(const load_path& path, std::size_t point);

// Whether the path.csv at `csv_path` was written with the report at `report_path` (not
// before it) and so tells the report's state: kalvane run again in the folder writes a report
// of full load beside the older path.csv. False when either cannot be read.
bool written_with_report(const std::string& csv_path, const std::string& report_path);

// Parses the file's text; `name` begins every error message ("name:line: what"). Throws
// kalvane::error when the header is not kalvane-path's or a row does not fit it.
load_path read_load_path(const std::string& text, const std::string& name);

}  // namespace kalvane::view
