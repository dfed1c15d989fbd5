#include "check/app.hpp"

#include <chrono>
#include <limits>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "check/calculix.hpp"
#include "check/diagnosis.hpp"
#include "check/freshness.hpp"
#include "check/check_progress.hpp"
#include "companion/command_line.hpp"
#include "companion/run_folder.hpp"
#include "error.hpp"
#include "newton/loading.hpp"
#include "newton/newton.hpp"
#include "newton/route.hpp"
#include "newton/softest.hpp"
#include "progress.hpp"
#include "run.hpp"
#include "structure/model_file.hpp"
#include "view/load_path.hpp"

namespace kalvane::check {

namespace {

[[noreturn]] void usage_failure(const std::string& what) { fail(usage_error, what); }

// The model as kalvane's run has it before it minimises (`start` on the read state).
void start(model& m) {
  run_plan starting;
  starting.first = starting.last = stage::start;
  run(m, starting);
}

// The structure of the model file or input.txt at `path`, ready to solve: started and
// prepared (rest lengths, self-weight).
structure prepared_structure(const std::string& path) {
  structure s = read_structure(path);
  start(s.base);
  prepare(s);
  return s;
}

// The same at full load: live loads and self-weight, prescribed displacements and rest
// lengths at their values, as the report's state stands.
structure at_full_load(const structure& s) {
  structure full = s;
  scale_model(full, s, 1.0);
  return full;
}

// The model file's name when given, else the one the folder holds.
std::string model_name(const options& o) { return o.model.empty() ? find_model(o.dir) : o.model; }

bool same_real(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

// How the structure of `other` (an input.txt, read) differs from the model file's `s`
// (read state), in a few words; empty when they are the same structure.
std::string difference(const structure& s, const structure& other) {
  const model& a = s.base;
  const model& b = other.base;
  if (a.node_count != b.node_count || bar_count(a) != bar_count(b))
    return std::to_string(b.node_count) + " nodes and " + std::to_string(bar_count(b)) + " bars against " +
           std::to_string(a.node_count) + " and " + std::to_string(bar_count(a));
  for (int32_t k = 1; k <= a.node_count; ++k)
    if (!same_real(a.x0(k), b.x0(k)) || !same_real(a.y0(k), b.y0(k)) || !same_real(a.z0(k), b.z0(k)))
      return "node " + std::to_string(k) + " is elsewhere";
  for (int32_t e = 1; e <= bar_count(a); ++e) {
    const bar_record &p = a.bars(e), &q = b.bars(e);
    if (p.node1 != q.node1 || p.node2 != q.node2) return "bar " + std::to_string(e) + " joins other nodes";
    if (!same_real(p.area, q.area)) return "bar " + std::to_string(e) + " has another area";
  }
  const std::string beyond = beyond_kalvane(s);
  if (!beyond.empty()) return "the model file holds what input.txt cannot: " + beyond;
  const material &m1 = s.materials.front(), &m2 = other.materials.front();
  if (m1.law != m2.law || !same_real(m1.c1, m2.c1) || !same_real(m1.c2, m2.c2)) return "another material";
  for (int32_t k = 1; k <= a.node_count; ++k)
    for (int c = 1; c <= 3; ++c) {
      const std::string where = "node " + std::to_string(k) + " " + "XYZ"[c - 1];
      const bool held = a.dof_map(k, c) != 0, held_there = b.dof_map(k, c) != 0;
      if (held != held_there || (held && !same_real(a.prescribed(k, c), b.prescribed(k, c))))
        return where + " is supported otherwise";
      if (!same_real(a.loads(k, c), b.loads(k, c))) return "another load at " + where;
    }
  return "";
}

// A model file found in the folder beside an input.txt that describes another structure:
// which one was certified must be said.
std::string other_input(const options& o, const std::string& certified, const structure& s) {
  namespace fs = std::filesystem;
  if (!o.model.empty()) return "";
  const fs::path input = fs::path(o.dir) / input_file_name;
  std::error_code failed;
  if (!fs::exists(input, failed) || fs::equivalent(input, certified, failed)) return "";
  try {
    const std::string text = read_whole_text(input.string());
    if (is_model_file_text(text)) return "it is a model file";
    return difference(s, read_structure(input.string()));
  } catch (const error& e) {
    return std::string("kalvane cannot read it: ") + e.what();
  }
}

double seconds_since(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

double displacement_at(const model& m, const vector& x, int32_t node, int c) {
  const int32_t p = m.dof_map(node, c);
  return p <= m.free_count ? x[static_cast<std::size_t>(p - 1)] : m.prescribed(node, c);
}

// The fewest right digits among `count` entries whose printed and exact values `entry` gives,
// each judged against the table's largest entry: an engineer reads a table by its largest
// values, and the leading digits of an entry near zero say nothing about the equilibrium.
// Nor do those of a table whose every entry is below `floor`, its rounding level: entries
// are then judged against the floor.
template <class Entry>
digits_finding count_digits(std::size_t count, Entry entry, double floor = 0.0) {
  digits_finding d;
  for (std::size_t i = 0; i < count; ++i) {
    double printed, exact;
    std::string where;
    entry(i, printed, exact, where);
    if (std::isfinite(exact)) d.largest = std::max(d.largest, std::fabs(exact));
  }
  double worst_error = -1.0;
  for (std::size_t i = 0; i < count; ++i) {
    double printed, exact;
    std::string where;
    entry(i, printed, exact, where);
    const int digits = digits_right(printed, exact, std::max(d.largest, floor));
    const double error = std::fabs(printed - exact);
    ++d.entries;
    if (digits < d.digits || (digits == d.digits && !(error <= worst_error))) {
      d.worst = where;
      d.digits = digits;
      worst_error = error;
    }
  }
  const double size = std::max(d.largest, floor);
  d.error = size > 0.0 ? worst_error / size : worst_error > 0.0 ? INFINITY : 0.0;
  return d;
}

// The longest node displacement of the report, against the bounding-box diagonal of the
// undeformed structure.
displacement_size size_of_displacements(const model& m, const view::report& r) {
  displacement_size s;
  if (m.node_count < 1) return s;
  double low[3] = {INFINITY, INFINITY, INFINITY}, high[3] = {-INFINITY, -INFINITY, -INFINITY};
  for (int32_t k = 1; k <= m.node_count; ++k) {
    const double at[3] = {m.x0(k), m.y0(k), m.z0(k)};
    double squared = 0.0;
    for (int c = 0; c < 3; ++c) {
      low[c] = std::min(low[c], at[c]);
      high[c] = std::max(high[c], at[c]);
      const double u = r.displacement[static_cast<std::size_t>(k - 1)][static_cast<std::size_t>(c)];
      squared += u * u;
    }
    const double length = std::sqrt(squared);
    // A length that is not a number is the largest, and stays so.
    if (!std::isnan(s.largest) && !(length <= s.largest)) s.largest = length, s.node = k;
  }
  s.diagonal = std::hypot(high[0] - low[0], high[1] - low[1], high[2] - low[2]);
  return s;
}

void refine(findings& f, const structure& s, const view::report& r, vector& x, stiffness_pattern& pattern,
            factorisation& factor) {
  const model& m = s.base;
  const newton_result n = newton_solve(s, x, pattern, factor, {});
  f.refinement.steps = n.steps;
  // A step that rounding stops short of the tolerance's last bit still ends on an
  // equilibrium, as the chord steps' own test of rounding judges one.
  f.refinement.converged = n.converged || n.gradient <= 16.0 * n.rounding;
  f.refinement.gradient = n.gradient;
  f.refinement.rounding = n.rounding;
  const std::vector<component_name> names = free_components(m);
  // Displacements within a thousand roundings of the structure's size are rounding: those of
  // a structure that stands where it is drawn (a form-found net, unloaded) are all there.
  const double rounding = 1e3 * std::numeric_limits<double>::epsilon() * size_of_displacements(m, r).diagonal;
  f.refinement.displacements = count_digits(names.size(), [&](std::size_t p, double& printed, double& exact, std::string& where) {
    const component_name& c = names[p];
    printed = r.displacement[static_cast<std::size_t>(c.node - 1)][static_cast<std::size_t>(c.component - 1)];
    exact = x[p];
    where = name_of(c);
  }, rounding);
  const results exact = results_at(s, x);
  // The table lists every reaction above the report's allowable gradient.
  std::vector<std::uint8_t> listed(3 * static_cast<std::size_t>(m.node_count), 0);
  for (const view::reaction_entry& e : r.reactions)
    listed[3 * static_cast<std::size_t>(e.node - 1) + static_cast<std::size_t>(e.component - 1)] = 1;
  double largest_reaction = 0.0;
  for (double v : exact.reaction) largest_reaction = std::max(largest_reaction, std::fabs(v));
  const double unlisted_floor = std::max(10.0 * r.allowable_gradient, 1e-3 * largest_reaction);
  for (int32_t k = 1; k <= m.node_count; ++k)
    for (int c = 1; c <= 3; ++c) {
      const double v = exact.reaction[3 * static_cast<std::size_t>(k - 1) + static_cast<std::size_t>(c - 1)];
      if (m.dof_map(k, c) <= m.free_count || listed[3 * static_cast<std::size_t>(k - 1) + static_cast<std::size_t>(c - 1)] ||
          !(std::fabs(v) > unlisted_floor))
        continue;
      f.refinement.unlisted_reactions.push_back({k, c});
      if (std::fabs(v) > std::fabs(f.refinement.largest_unlisted)) f.refinement.largest_unlisted = v;
    }
  // Forces within a thousand roundings of the gradient are rounding, as small displacements are: a
  // structure moved rigidly, or loaded to no net load, carries nothing but them.
  const double force_floor = 1e3 * n.rounding;
  double least_area = INFINITY;
  for (int32_t b = 1; b <= bar_count(m); ++b) least_area = std::min(least_area, m.bars(b).area);
  f.refinement.reactions = count_digits(r.reactions.size(), [&](std::size_t i, double& printed, double& value, std::string& where) {
    const view::reaction_entry& e = r.reactions[i];
    printed = e.value;
    value = exact.reaction[3 * static_cast<std::size_t>(e.node - 1) + static_cast<std::size_t>(e.component - 1)];
    where = name_of({e.node, e.component});
  }, force_floor);
  f.refinement.stresses = count_digits(r.stress.size(), [&](std::size_t e, double& printed, double& value, std::string& where) {
    printed = r.stress[e];
    value = exact.stress[e];
    where = "bar " + std::to_string(e + 1);
  }, least_area > 0.0 && std::isfinite(least_area) ? force_floor / least_area : 0.0);
}

// Measured in forces, as point 1 measures: the path's equilibrium differs from the refined
// one when the stiffness times their difference exceeds a component's allowance.
void compare(findings& f, const structure& s, const view::report& r, const vector& refined,
             stiffness_pattern& pattern) {
  const model& m = s.base;
  const vector& on_path = f.path.x;
  vector difference(refined.size());
  for (std::size_t p = 0; p < refined.size(); ++p) difference[p] = on_path[p] - refined[p];
  evaluate(s, refined, &pattern);
  const vector force = multiply(pattern, difference);
  for (std::size_t p = 0; p < force.size(); ++p)
    if (!(std::fabs(force[p]) <= f.residual.allowance[p])) f.comparison.differs = true;
  if (!f.comparison.differs) return;
  double largest = -1.0;
  for (int32_t k = 1; k <= m.node_count; ++k) {
    std::array<double, 3> run{}, path{};
    double moved = 0.0;
    for (int c = 1; c <= 3; ++c) {
      run[static_cast<std::size_t>(c - 1)] = r.displacement[static_cast<std::size_t>(k - 1)][static_cast<std::size_t>(c - 1)];
      path[static_cast<std::size_t>(c - 1)] = displacement_at(m, on_path, k, c);
      const double d = path[static_cast<std::size_t>(c - 1)] - run[static_cast<std::size_t>(c - 1)];
      moved += d * d;
    }
    if (moved > largest) {
      largest = moved;
      f.comparison.worst = {k, 0};
      f.comparison.run = run;
      f.comparison.path = path;
    }
  }
}

// Without a report of this input (the run failed, or has not been made), kalvane's input
// alone can still tell why: the failure's message gains what the structure itself says.
void require_report(bool model_file, const std::string& input_name, const std::string& report_name,
                    check_progress& progress) {
  try {
    companion::require_report(report_name, std::filesystem::path(report_name).parent_path(), model_file, "kalvane-check");
    require_newer(input_name, report_name);
  } catch (const error& e) {
    // The diagnosis minimises kalvane's own energy, which is not a model file's.
    if (model_file) throw;
    std::string diagnosis;
    try {
      model m = read_structure(input_name).base;
      start(m);
      diagnosis = diagnose_without_report(m, [&](const std::string& what) { progress.show(what); });
    } catch (const error&) {
      throw e;  // input.txt does not even read: the run's own message says why
    }
    fail(e.name.c_str(), std::string(e.what()) + "\n" + input_name + ": " + diagnosis);
  }
}

// The cables at the refined state, against the stresses the report gives them; in a model
// of plain bars, the bars in compression at the equilibrium, when the refinement reached one.
void check_members(findings& f, const structure& s, const vector& x, const std::vector<double>& reported_stress,
                   stiffness_pattern& pattern, factorisation& factor) {
  f.cables = cables_in(s, x, reported_stress);
  if (f.cables.cables == 0 && f.refinement.converged) f.compression = compression_in(s, x);
  if (!f.stability.minimum() && !f.cables.slack.empty() && f.cables.held_by_slack.empty())
    if (const int32_t free = free_but_for_slack_cables(s, x, pattern, factor); free >= 0)
      f.cables.free_but_for_slack = free_components(s.base)[static_cast<std::size_t>(free)];
}

}  // namespace

options parse_options(const std::vector<std::string>& args) {
  options o;
  companion::command_line line{args, ""};
  while (line.next()) {
    const std::string& arg = line.option;
    auto flag = [&](bool& target) { line.no_value(), target = true; };
    if (arg == "--help" || arg == "-h") flag(o.help);
    else if (arg == "--version") flag(o.version);
    else if (arg == "--no-path") flag(o.no_path);
    else if (arg == "--json") flag(o.json);
    else if (arg == "--strict") flag(o.strict);
    else if (arg == "--calculix") flag(o.calculix);
    else if (arg == "--lint") flag(o.lint);
    else if (arg == "--digits") {
      const std::string value = line.value();
      if (value.size() != 1 || value[0] < '0' || value[0] > '7')
        usage_failure("--digits takes a whole number from 0 to 7, not '" + value + "'");
      o.digits = value[0] - '0';
    } else if (arg == "--loading") {
      const std::string value = line.value();
      if (value == "staged") o.loading = newton::loading::staged;
      else if (value == "together") o.loading = newton::loading::together;
      else usage_failure("--loading takes staged or together, not '" + value + "'");
    } else if (arg == "--model") {
      o.model = line.name_value("a file");
    } else if (arg == "--dir") {
      o.dir = line.name_value("a directory");
    } else {
      line.unknown();
    }
  }
  return o;
}

std::string usage_line() {
  return "Usage: kalvane-check [--dir DIR] [--model FILE] [--digits K] [--no-path] [--loading staged|together] [--json] [--strict] "
         "[--calculix] [--lint]";
}

std::string usage_text() {
  return usage_line() +
         "\n"
         "Checks the result of a finished kalvane or kalvane-path run: reads the model (model.json,\n"
         "else input.txt) and output.txt and tells whether the report is a stable equilibrium on\n"
         "the loading path, within the tolerance, with its numbers right to the digits wanted.\n"
         "\n"
         "  --dir DIR     the run's directory (default: the current directory)\n"
         "  --model FILE  the model file (or input.txt) to read instead of the one the directory\n"
         "                holds\n"
         "  --digits K    right digits wanted in every table of the report, of its largest\n"
         "                entry (0 to 7; default 3; 0 does not test them)\n"
         "  --no-path     do not follow the loading path (for very large models); the largest\n"
         "                displacement must then be under 10 % of the structure's size\n"
         "  --loading L   staged (default): the prescribed displacements first, then the\n"
         "                loads; together: both rise in proportion\n"
         "  --json        print the findings as JSON instead of the report\n"
         "  --strict      count warnings about input.txt as a failure (exit status 1)\n"
         "  --calculix    also solve the model with CalculiX and compare\n"
         "  --lint        only read the model and warn about what the reader takes in silence (a\n"
         "                model file's reader refuses instead: its error is the warning);\n"
         "                needs no run (exit status 0, or 1 when kalvane cannot read it, or\n"
         "                with --strict when there are warnings)\n"
         "  --help        show this text\n"
         "  --version     show the version\n"
         "\n"
         "Exit status: 0 certified; 2 not an equilibrium within the tolerance, the run stopped\n"
         "at its iteration limit, or its numbers are right to fewer digits than wanted; 3 an\n"
         "equilibrium, but not a minimum or not the one gradual loading reaches (or, without\n"
         "the path, large displacements); 1 missing, malformed, stale or mismatched files, or\n"
         "a bad option.\n";
}

findings run_check(const options& o) {
  namespace fs = std::filesystem;
  const auto t0 = std::chrono::steady_clock::now();
  const fs::path dir(o.dir);
  findings f;
  f.input_name = model_name(o);
  f.report_name = (dir / "output.txt").string();
  f.calculix_requested = o.calculix;
  companion::require_model(f.input_name, !o.model.empty());
  const std::string text = read_whole_text(f.input_name);
  f.model_file = is_model_file_text(text);
  check_progress progress(standard_error_is_terminal());
  progress.show("reading " + f.input_name + " and " + f.report_name);
  require_report(f.model_file, f.input_name, f.report_name, progress);

  structure s = read_structure(f.input_name);
  if (!f.model_file) f.warnings = lint(text);
  else f.other_input = other_input(o, f.input_name, s);
  const view::report r = view::read_report_file(f.report_name);
  require_newer(f.input_name, f.report_name);
  require_same_model(s.base, r, f.input_name, f.report_name);
  f.short_of_full_load = short_of_full_load(s.base, r, f.report_name);
  start(s.base);
  prepare(s);
  // The report's state stands at full load; the path starts from the unloaded structure.
  structure full = at_full_load(s);
  const model& m = full.base;
  f.nodes = m.node_count;
  f.bars = bar_count(m);
  f.unknowns = m.free_count;

  progress.show("1. residual");
  stiffness_pattern pattern = pattern_of(m);
  factorisation factor;
  const vector printed = printed_unknowns(m, r);
  f.residual = check_residual(full, printed, pattern);
  f.iterations = r.iterations;
  f.max_iterations = m.max_iterations;
  f.report_allowable = r.allowable_gradient;
  vector refined = printed;
  progress.show("3. refinement by Newton's method from a largest gradient of " + sci(f.residual.largest));
  refine(f, full, r, refined, pattern, factor);
  // Whose stopping the frame records. kalvane-path writes path.csv with its report, and gives
  // the gradient it reached, at rounding level, and counts Newton iterations, which no limit
  // of the minimiser's bounds; kalvane's minimiser gives the input's own allowable gradient
  // (kalvane never reads a model file, but a folder may hold one beside the input.txt it
  // ran). Another allowable gradient is another input's run, or a report changed after it.
  const bool own_threshold =
      std::fabs(r.allowable_gradient - m.allowable_gradient) <= half_printed_unit(m.allowable_gradient);
  if (view::written_with_report((dir / "path.csv").string(), f.report_name)) f.writer = report_writer::path;
  else if (own_threshold) f.writer = report_writer::minimiser;
  else if (f.model_file || r.allowable_gradient <= 16.0 * f.refinement.rounding) f.writer = report_writer::path;
  else f.writer = report_writer::other;
  f.at_iteration_limit = f.writer == report_writer::minimiser && r.iterations >= std::max(m.max_iterations, 1);
  f.stress_table = stresses_against_displacements(full, printed, r.stress);
  f.reaction_table = reactions_against_displacements(full, printed, r.reactions);
  // A state short of full load carries part of the loads, whose potential the full load's is not.
  if (f.short_of_full_load.empty()) f.objective = objective_against_displacements(full, printed, r.objective);
  else f.objective.printed = r.objective, f.objective.from_displacements = NAN;
  f.accuracy = accuracy_of(f, o.digits, m.gradient_tolerance);
  progress.show("4. stability: factorising the stiffness");
  evaluate(full, refined, &pattern, false);
  long idle_components = 0;
  f.idle_nodes = hold_idle_nodes(full, pattern, idle_components);
  f.stability = factorise(factor, pattern);
  f.stability.positive -= idle_components;
  check_members(f, full, refined, r.stress, pattern, factor);
  f.displacements = size_of_displacements(m, r);
  f.seconds_points_1_to_4 = seconds_since(t0);
  f.factorisations_points_1_to_4 = factor.count;

  if (!o.no_path) {
    const auto t1 = std::chrono::steady_clock::now();
    f.path_followed = true;
    path_settings settings;
    settings.how = f.path_loading = o.loading;
    progress.show("5. loading path: the first step");
    int steps = 0;
    f.path = follow_path(s, pattern, factor, settings, [&](const path_point& point, const vector&) {
      progress.show("5. loading path: step " + std::to_string(++steps) + " (stage " + std::to_string(point.stage) +
                    "), load factor " + load_factor_text(point.load_factor));
      return path_control::go_on;
    });
    // Past a snap-through the path's equilibrium at full load is not reached by gradual
    // loading: the run is judged against the limit point instead.
    if (reached_full_load(f.path) && !snapped(f.path)) compare(f, full, r, refined, pattern);
    // A structure whose energy falls without bound under its first loads has no path to
    // follow, however far the first step got before it gave way.
    else if (f.path.outcome == path_outcome::mechanism) {
      // A loaded node that nothing holds is the cause the path names; the unloaded shape's
      // softest motion may lie elsewhere (cables in line, before their prestress).
      if (!f.path.unheld_nodes.empty()) {
        f.path_cannot_start = true;
        f.path_unheld = unheld_text(f.path);
      } else if (const auto free = free_at_zero_load(s, pattern, factor)) {
        f.path_cannot_start = true;
        f.path_soft = *free;
      }
    }
    if (f.path.outcome == path_outcome::stalled && o.loading == loading::staged && f.path.stage <= 1)
      f.prestress_needs_loads = stages_of(s, o.loading).front().kind == stage_kind::prestress &&
                                balanced_only_with_loads(s, settings.corrector_tolerance);
    // Otherwise a first stage that could not start where the structure has no stiffness is a
    // mechanism at zero load, free where the path named it.
    if (f.path.outcome == path_outcome::stalled && f.path.soft_start >= 0 && f.path.stage <= 1 &&
        !f.prestress_needs_loads) {
      f.path_cannot_start = true;
      f.path_soft = free_components(s.base)[static_cast<std::size_t>(f.path.soft_start)];
    }
    f.seconds_path = seconds_since(t1);
    f.factorisations_path = factor.count - f.factorisations_points_1_to_4;
  }
  if (o.calculix) {
    progress.show("CalculiX cross-check");
    // A structure fresh from the reader: the checks above leave theirs at their own states.
    calculix_options settings;
    settings.relative_tolerance = f.calculix_result.tolerance;
    const calculix_comparison c =
        calculix_crosscheck(at_full_load(prepared_structure(f.input_name)), r, o.dir, settings);
    f.calculix = !c.ccx_ran ? crosscheck::not_run : c.agrees ? crosscheck::agree : crosscheck::disagree;
    calculix_finding& cf = f.calculix_result;
    cf.deck_path = c.deck_path;
    cf.ccx_found = c.ccx_found;
    cf.ccx_ran = c.ccx_ran;
    cf.displacement = c.displacement_difference;
    cf.reaction = c.reaction_difference;
    cf.force = c.force_difference;
    cf.lines = c.lines;
  }
  decide(f, o.strict);
  return f;
}

findings run_lint(const options& o) {
  findings f;
  f.lint_only = true;
  f.input_name = model_name(o);
  companion::require_model(f.input_name, !o.model.empty());
  const std::string text = read_whole_text(f.input_name);
  f.model_file = is_model_file_text(text);
  // A model file's reader takes nothing in silence: what it refuses is the lint.
  if (!f.model_file) f.warnings = lint(text);
  try {
    // input.txt as kalvane reads it, values without physical sense and all; a model file
    // with them refused.
    structure s = read_structure(f.input_name);
    start(s.base);
    if (f.model_file) prepare(s);
    f.nodes = s.base.node_count;
    f.bars = bar_count(s.base);
    f.unknowns = s.base.free_count;
  } catch (const error& e) {
    // The warnings before the place the reader refuses may well say why it does.
    f.input_error = e.name + ": " + e.what();
  }
  const bool failed = !f.input_error.empty() || (o.strict && !f.warnings.empty());
  f.status = failed ? 1 : 0;
  return f;
}

}  // namespace kalvane::check
