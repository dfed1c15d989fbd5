#include "check/calculix.hpp"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "check/calculix_dat.hpp"
#include "check/calculix_run.hpp"
#include "companion/output_files.hpp"
#include "error.hpp"
#include "mechanics/bar_law.hpp"
#include "structure/law.hpp"
#include "structure/printing_spread.hpp"

namespace kalvane::check {

namespace fs = std::filesystem;

namespace {

const char* const axis_name[3] = {"X", "Y", "Z"};

using displacements = std::vector<std::array<double, 3>>;  // node k at [k - 1]

// Stretch of a bar at the displacements `u`, as the bar element forms it; not a number
// when the displacements are not.
double stretch_of(const bar_record& bar, const displacements& u) {
  const auto& u1 = u[static_cast<std::size_t>(bar.node1 - 1)];
  const auto& u2 = u[static_cast<std::size_t>(bar.node2 - 1)];
  const bar_strain<double> s =
      bar_stretch(u2[0] - u1[0], u2[1] - u1[1], u2[2] - u1[2], bar.length0, bar.cx, bar.cy, bar.cz);
  return s.lambda2 >= 0.0 ? std::sqrt(s.lambda2) : std::nan("");
}

// Elongation of a bar from absolute coordinates, as the spring measures it.
double elongation_of(const model& m, const bar_record& bar, const displacements& u) {
  const auto& u1 = u[static_cast<std::size_t>(bar.node1 - 1)];
  const auto& u2 = u[static_cast<std::size_t>(bar.node2 - 1)];
  const double dx = (m.x0(bar.node2) + u2[0]) - (m.x0(bar.node1) + u1[0]);
  const double dy = (m.y0(bar.node2) + u2[1]) - (m.y0(bar.node1) + u1[1]);
  const double dz = (m.z0(bar.node2) + u2[2]) - (m.z0(bar.node1) + u1[2]);
  return std::sqrt(dx * dx + dy * dy + dz * dz) - bar.length0;
}

// The largest difference of one kind and where it is.
struct worst {
  double largest_value = 0.0;
  double difference = 0.0;
  std::string where = "-";
  bool any = false;
  // `explained`: the part of the difference that the printed digits alone make.
  void add(double reported, double other, const std::string& place, double explained = 0.0) {
    any = true;
    largest_value = std::fmax(largest_value, std::fabs(reported));
    if (std::isnan(difference)) return;  // a NaN stays the worst
    const double d = std::fmax(std::fabs(other - reported) - explained, 0.0);
    if (!(d <= difference)) {  // a NaN counts as the worst
      difference = d;
      where = place;
    }
  }
  double relative() const {
    if (std::isnan(difference)) return difference;
    return largest_value > 0.0 ? difference / largest_value : difference;
  }
};

std::string format(const char* f, double a) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, f, a);
  return buffer;
}

std::string table_line(const std::string& kind, const worst& w) {
  std::string line = "  " + kind;
  line.resize(16, ' ');
  if (!w.any) return line + "(none in the report)";
  line += format("%13.6E", w.largest_value) + "   " + format("%10.3E", w.difference) + "   " +
          format("%10.3E", w.relative()) + "   " + w.where;
  return line;
}

// The last "*ERROR" line of ccx's messages, trimmed; empty when there is none.
std::string last_error(const std::string& log_path) {
  std::ifstream in(log_path);
  std::string line, found;
  while (std::getline(in, line))
    if (line.find("*ERROR") != std::string::npos) found = line.substr(line.find("*ERROR"));
  return found;
}

}  // namespace

calculix_comparison calculix_crosscheck(const model& m, const view::report& r, const std::string& folder,
                                        double relative_tolerance) {
  calculix_options options;
  options.relative_tolerance = relative_tolerance;
  return calculix_crosscheck(m, r, folder, options);
}

calculix_comparison calculix_crosscheck(const model& m, const view::report& r, const std::string& folder,
                                        const calculix_options& options) {
  structure s = structure_of(m);
  prepare(s);
  return calculix_crosscheck(s, r, folder, options);
}

calculix_comparison calculix_crosscheck(const structure& s, const view::report& r, const std::string& folder,
                                        const calculix_options& options) {
  const model& m = s.base;
  const int32_t bars = bar_count(m);
  if (static_cast<int64_t>(r.displacement.size()) != m.node_count || static_cast<int64_t>(r.stress.size()) != bars)
    fail(data_error, "output.txt: " + std::to_string(r.displacement.size()) + " nodes and " +
                         std::to_string(r.stress.size()) + " bars do not match the model's " +
                         std::to_string(m.node_count) + " and " + std::to_string(bars));
  calculix_comparison c;
  const fs::path dir = fs::path(folder) / "calculix";
  const std::string shown_dir = dir.string();
  c.deck_path = (dir / "model.inp").string();

  std::vector<stretch_range> seen(static_cast<std::size_t>(bars));
  for (int32_t b = 1; b <= bars; ++b) {
    const double l = stretch_of(m.bars(b), r.displacement);
    seen[static_cast<std::size_t>(b - 1)] = {l, l};
  }
  const calculix_deck deck = plan_deck(s, seen, options.faults);
  std::error_code made;
  fs::create_directories(dir, made);
  companion::write_output_file(c.deck_path, deck_text(s, deck, options.faults));
  std::size_t rows = 0;
  double table_error = 0.0;
  for (const spring_group& g : deck.groups) {
    rows += g.table.force.size();
    table_error = std::fmax(table_error, g.table.relative_error);
  }
  c.lines.push_back("CalculiX cross-check: wrote " + c.deck_path + " (" + std::to_string(bars) + " springs, " +
                    std::to_string(deck.groups.size()) + " force tables of " + std::to_string(rows) +
                    " rows in all, interpolation within " + format("%.1E", table_error) + " of the largest force)");
  const std::string how_to = "  to run it yourself: cd " + shown_dir + " && OMP_NUM_THREADS=1 ccx -i model" +
                             " (results in model.dat; RF there is reaction plus load)";

  const std::string program = find_program(options.ccx);
  c.ccx_found = !program.empty();
  if (!c.ccx_found) {
    c.lines.push_back("  " + options.ccx + " is not on the PATH: nothing was compared (Debian's package calculix-ccx has it)");
    c.lines.push_back(how_to);
    return c;
  }
  const fs::path dat = dir / "model.dat";
  std::error_code removed;
  fs::remove(dat, removed);  // a stale result must not pass for this run's
  const std::string log = (dir / "ccx.log").string();
  const int status = run_ccx(program, "model", fs::absolute(dir).string(), log, options.seconds);
  calculix_results results;
  if (fs::exists(dat)) results = read_calculix_dat(view::read_whole_file(dat.string()), dat.string());
  bool has_supports = false;
  for (int32_t i = 1; i <= m.node_count; ++i)
    for (int j = 1; j <= 3; ++j) has_supports = has_supports || m.dof_map(i, j) > m.free_count;
  c.ccx_ran = status == 0 && results.displacement.present && std::fabs(results.displacement.time - 1.0) < 1e-6 &&
              (!has_supports || results.force.present);
  for (int32_t i = 1; c.ccx_ran && i <= m.node_count; ++i) c.ccx_ran = results.displacement.values.count(i) == 1;
  if (!c.ccx_ran) {
    c.lines.push_back("  ccx did not reach the end of its step (exit status " + std::to_string(status) +
                      "): nothing was compared; its messages are in " + log);
    const std::string said = last_error(log);
    if (!said.empty()) c.lines.push_back("  ccx said: " + said);
    c.lines.push_back(how_to);
    return c;
  }

  displacements u(static_cast<std::size_t>(m.node_count));
  worst displacement, reaction, force;
  for (int32_t i = 1; i <= m.node_count; ++i) {
    u[static_cast<std::size_t>(i - 1)] = results.displacement.values[i];
    for (int j = 0; j < 3; ++j)
      displacement.add(r.displacement[static_cast<std::size_t>(i - 1)][j], u[static_cast<std::size_t>(i - 1)][j],
                       "node " + std::to_string(i) + " " + axis_name[j]);
  }
  // ccx's RF is the support's reaction plus the load applied at the node.
  for (const view::reaction_entry& e : r.reactions) {
    const auto it = results.force.values.find(e.node);
    const double rf = it == results.force.values.end() ? std::nan("") : it->second[e.component - 1];
    reaction.add(e.value, rf - m.loads(e.node, e.component),
                 "node " + std::to_string(e.node) + " " + axis_name[e.component - 1]);
  }
  // ccx prints no force for SPRINGA elements: each spring's force is its table at the
  // elongation of ccx's displacements; the report's is its stress times what the bar's law
  // makes of a stress at the report's stretch (the current area for rubber, the section for
  // steel).
  for (int32_t b = 1; b <= bars; ++b) {
    const bar_record& bar = m.bars(b);
    const auto& u1 = r.displacement[static_cast<std::size_t>(bar.node1 - 1)];
    const auto& u2 = r.displacement[static_cast<std::size_t>(bar.node2 - 1)];
    const double difference[3] = {u2[0] - u1[0], u2[1] - u1[1], u2[2] - u1[2]};
    const member_state at = member_at(bar, material_of(s, b), member_of(s, b), difference);
    const double printed = r.stress[static_cast<std::size_t>(b - 1)];
    const double reported = at.stress != 0.0 ? printed * (at.force / at.stress) : at.force;
    const spring_group& g = deck.groups[static_cast<std::size_t>(deck.group_of_bar[static_cast<std::size_t>(b - 1)])];
    // ccx prints seven digits of each displacement: along a stiff bar their last digits alone
    // move its force by far more than the tolerance (steel of EA 2e4 a metre long, its ends
    // at about 1: 0.04 of a 4 kN force). That much is no disagreement.
    double half1[3], half2[3];
    for (int j = 0; j < 3; ++j) {
      half1[j] = view::half_printed_unit(u[static_cast<std::size_t>(bar.node1 - 1)][j]);
      half2[j] = view::half_printed_unit(u[static_cast<std::size_t>(bar.node2 - 1)][j]);
    }
    const double explained = spread_of_printing(bar, material_of(s, b), member_of(s, b), difference, at, half1, half2).force;
    force.add(reported, interpolate(g.table, elongation_of(m, bar, u)), "bar " + std::to_string(b), explained);
  }
  c.displacement_difference = displacement.relative();
  c.reaction_difference = reaction.relative();
  c.force_difference = force.relative();
  const double t = options.relative_tolerance;
  c.agrees = c.displacement_difference <= t && c.reaction_difference <= t && c.force_difference <= t;
  c.lines.push_back("                largest value   difference     relative   at");
  c.lines.push_back(table_line("displacement", displacement));
  c.lines.push_back(table_line("reaction", reaction));
  c.lines.push_back(table_line("axial force", force));
  c.lines.push_back(c.agrees ? "  CalculiX agrees within " + format("%.1E", t) + " of the largest value of each kind"
                              : "  CalculiX DISAGREES beyond " + format("%.1E", t) + " of the largest value of a kind");
  c.lines.push_back(how_to);
  return c;
}

}  // namespace kalvane::check
