#include "view/scene.hpp"

#include <cmath>
#include <cstdio>
#include <filesystem>

#include "error.hpp"
#include "view/load_path.hpp"

namespace kalvane::view {

namespace {

const char* const axis_name[] = {"", "X", "Y", "Z"};

std::string text_of(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.7g", value);
  return buffer;
}

// kalvane reads only input.txt; a model file's report is kalvane-path's, and so is one that
// path.csv was written with.
std::string solver_of(const std::string& input_name, const std::string& report_name) {
  const std::string csv = (std::filesystem::path(report_name).parent_path() / "path.csv").string();
  return std::filesystem::path(input_name).filename() == "input.txt" && !written_with_report(csv, report_name)
             ? "kalvane"
             : "kalvane-path";
}

// `cut`: the report's last table lists too few rows, which a file cut short at a line end
// gives as well as an earlier run's.
[[noreturn]] void mismatch(const std::string& report_name, int line, const std::string& what,
                           const std::string& input_name, bool cut = false) {
  fail(data_error, report_name + ":" + std::to_string(line) + ": " + what +
                       (cut ? " (was output.txt cut short, or is it from an earlier run? run "
                            : " (is output.txt from an earlier run? run ") +
                       solver_of(input_name, report_name) + " again)");
}

bool is_prescribed(const model& m, int32_t node, int component) {
  return m.dof_map.data.size() != 0 && m.dof_map(node, component) != 0;
}

// The report prints a prescribed displacement rounded to 7 significant digits, so it
// reproduces the input's value to within half a unit in the 7th digit.
bool reproduces(double reported, double prescribed) {
  return std::fabs(reported - prescribed) <= 1e-6 * std::fabs(prescribed);
}

void check_supports(const model& m, const report& r, const std::string& input_name,
                    const std::string& report_name, const prescribed_share& share) {
  for (int32_t k = 1; k <= m.node_count; ++k)
    for (int c = 1; c <= 3; ++c) {
      if (!is_prescribed(m, k, c)) continue;
      double reported = r.displacement[k - 1][c - 1];
      const double full = m.prescribed(k, c), wanted = share.fraction * full;
      if (!reproduces(reported, wanted))
        mismatch(report_name, r.displacement_first_line + k - 1,
                 "node " + std::to_string(k) + " moves " + text_of(reported) + " in " + axis_name[c] + ", but " +
                     input_name + " prescribes " + text_of(wanted) +
                     (share.where.empty() ? "" : " " + share.where + " (" + text_of(full) + " at full load)"),
                 input_name);
    }
  for (const reaction_entry& e : r.reactions)
    if (!is_prescribed(m, e.node, e.component))
      mismatch(report_name, e.line,
               "a reaction at node " + std::to_string(e.node) + " in " + axis_name[e.component] +
                   ", which " + input_name + " leaves free",
               input_name);
}

}  // namespace

scene match(const model& m, const report& r, const std::string& input_name,
            const std::string& report_name, const prescribed_share& share) {
  const auto nodes = static_cast<int32_t>(r.displacement.size());
  if (nodes != m.node_count)
    mismatch(report_name, r.displacement_heading_line,
             "the displacement table lists " + std::to_string(nodes) + " nodes, but " + input_name +
                 " has " + std::to_string(m.node_count),
             input_name);
  const auto bars = static_cast<int32_t>(r.stress.size());
  if (bars != bar_count(m))
    mismatch(report_name, r.stress_heading_line,
             "the stress table lists " + std::to_string(bars) + " bars, but " + input_name + " has " +
                 std::to_string(bar_count(m)),
             input_name, bars < bar_count(m));
  // kalvane stops before writing its report when a bar names a missing node, so a report
  // can only meet such a model when it is not this model's report.
  for (int32_t e = 1; e <= bars; ++e) {
    const bar_record& bar = m.bars(e);
    for (int32_t node : {bar.node1, bar.node2})
      if (node < 1 || node > nodes)
        fail(data_error, input_name + ": bar " + std::to_string(e) + " names node " +
                             std::to_string(node) + ", but there are " + std::to_string(nodes) +
                             " nodes");
  }
  check_supports(m, r, input_name, report_name, share);

  scene s;
  s.iterations = r.iterations;
  s.objective = r.objective;
  s.initial.reserve(static_cast<std::size_t>(nodes));
  s.displacement.reserve(static_cast<std::size_t>(nodes));
  for (int32_t k = 1; k <= nodes; ++k) {
    s.initial.push_back({m.x0(k), m.y0(k), m.z0(k)});
    const auto& d = r.displacement[static_cast<std::size_t>(k - 1)];
    s.displacement.push_back({d[0], d[1], d[2]});
    const std::array<bool, 3> held{is_prescribed(m, k, 1), is_prescribed(m, k, 2), is_prescribed(m, k, 3)};
    if (held[0] || held[1] || held[2]) s.supports.push_back({k - 1, held});
    if (m.loads.data.size() == 0) continue;
    const vec3 force{m.loads(k, 1), m.loads(k, 2), m.loads(k, 3)};
    if (force.x != 0 || force.y != 0 || force.z != 0) s.loads.push_back({k - 1, force});
  }
  s.bars.reserve(static_cast<std::size_t>(bars));
  for (int32_t e = 1; e <= bars; ++e) {
    const bar_record& bar = m.bars(e);
    s.bars.push_back({bar.node1 - 1, bar.node2 - 1});
    s.area.push_back(bar.area);
  }
  s.stress = r.stress;
  return s;
}

}  // namespace kalvane::view
