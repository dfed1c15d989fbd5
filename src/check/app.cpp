#include "check/app.hpp"

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "check/calculix.hpp"
#include "check/diagnosis.hpp"
#include "check/freshness.hpp"
#include "newton/newton.hpp"
#include "error.hpp"
#include "run.hpp"

namespace kalvane::check {

namespace {

[[noreturn]] void usage_failure(const std::string& what) { fail(usage_error, what); }

void require_readable(const std::string& path) {
  if (!std::ifstream(path)) fail(name_error, "cannot open " + path + " (has kalvane run in this directory?)");
}

double seconds_since(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

double displacement_at(const model& m, const vector& x, int32_t node, int c) {
  const int32_t p = m.dof_map(node, c);
  return p <= m.free_count ? x[static_cast<std::size_t>(p - 1)] : m.prescribed(node, c);
}

// The fewest right digits among `count` entries whose printed and exact values `entry` gives.
template <class Entry>
digits_finding count_digits(std::size_t count, Entry entry) {
  digits_finding d;
  double largest = 0.0;
  for (std::size_t i = 0; i < count; ++i) {
    double printed, exact;
    std::string where;
    entry(i, printed, exact, where);
    if (std::isfinite(exact)) largest = std::max(largest, std::fabs(exact));
  }
  // Entries far below the table's largest are judged against it: their own leading digits
  // carry no information about the equilibrium.
  const double floor = 1e-4 * largest;
  for (std::size_t i = 0; i < count; ++i) {
    double printed, exact;
    std::string where;
    entry(i, printed, exact, where);
    const int digits = digits_right(printed, exact, floor);
    ++d.entries;
    if (digits < d.digits || d.worst.empty()) {
      if (digits < d.digits || d.worst.empty()) d.worst = where;
      d.digits = std::min(d.digits, digits);
    }
  }
  return d;
}

void refine(findings& f, const model& m, const view::report& r, vector& x, stiffness_pattern& pattern,
            factorisation& factor) {
  const newton_result n = newton_solve(m, x, pattern, factor, {});
  f.refinement.steps = n.steps;
  f.refinement.converged = n.converged;
  f.refinement.gradient = n.gradient;
  f.refinement.rounding = n.rounding;
  const std::vector<component_name> names = free_components(m);
  f.refinement.displacements = count_digits(names.size(), [&](std::size_t p, double& printed, double& exact, std::string& where) {
    const component_name& c = names[p];
    printed = r.displacement[static_cast<std::size_t>(c.node - 1)][static_cast<std::size_t>(c.component - 1)];
    exact = x[p];
    where = name_of(c);
  });
  const results exact = results_at(m, x);
  f.refinement.reactions = count_digits(r.reactions.size(), [&](std::size_t i, double& printed, double& value, std::string& where) {
    const view::reaction_entry& e = r.reactions[i];
    printed = e.value;
    value = exact.reaction[3 * static_cast<std::size_t>(e.node - 1) + static_cast<std::size_t>(e.component - 1)];
    where = name_of({e.node, e.component});
  });
  f.refinement.stresses = count_digits(r.stress.size(), [&](std::size_t e, double& printed, double& value, std::string& where) {
    printed = r.stress[e];
    value = exact.stress[e];
    where = "bar " + std::to_string(e + 1);
  });
}

// Measured in forces, as point 1 measures: the path's equilibrium differs from the refined
// one when the stiffness times their difference exceeds a component's allowance.
void compare(findings& f, const model& m, const view::report& r, const vector& refined, stiffness_pattern& pattern) {
  const vector& on_path = f.path.x;
  vector difference(refined.size());
  for (std::size_t p = 0; p < refined.size(); ++p) difference[p] = on_path[p] - refined[p];
  evaluate(m, refined, &pattern);
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

// Without a report of this input (the run failed, or has not been made), the input alone
// can still tell why: the failure's message gains what the structure itself says.
void require_report(const options& o, const std::string& input_name, const std::string& report_name) {
  try {
    require_readable(report_name);
    require_newer(input_name, report_name);
  } catch (const error& e) {
    std::string diagnosis;
    try {
      model m;
      run_plan plan;
      plan.folder = o.dir;
      plan.last = stage::start;
      run(m, plan);
      diagnosis = diagnose_without_report(m, o.loading);
    } catch (const error&) {
      throw e;  // input.txt does not even read: the run's own message says why
    }
    fail(e.name.c_str(), std::string(e.what()) + "\n" + input_name + ": " + diagnosis);
  }
}

}  // namespace

options parse_options(const std::vector<std::string>& args) {
  options o;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string arg = args[i], value;
    const std::size_t eq = arg.find('=');
    const bool inline_value = arg.rfind("--", 0) == 0 && eq != std::string::npos;
    if (inline_value) value = arg.substr(eq + 1), arg = arg.substr(0, eq);
    auto flag = [&](bool& target) {
      if (inline_value) usage_failure(arg + " takes no value");
      target = true;
    };
    if (arg == "--help" || arg == "-h") flag(o.help);
    else if (arg == "--version") flag(o.version);
    else if (arg == "--no-path") flag(o.no_path);
    else if (arg == "--json") flag(o.json);
    else if (arg == "--strict") flag(o.strict);
    else if (arg == "--calculix") flag(o.calculix);
    else if (arg == "--loading") {
      if (!inline_value && i + 1 < args.size()) value = args[++i];
      else if (!inline_value) usage_failure("--loading needs a value: staged or together");
      if (value == "staged") o.loading = newton::loading::staged;
      else if (value == "together") o.loading = newton::loading::together;
      else usage_failure("--loading takes staged or together, not '" + value + "'");
    } else if (arg == "--dir") {
      if (inline_value) o.dir = value;
      else if (i + 1 < args.size()) o.dir = args[++i];
      else usage_failure("--dir needs a value");
      if (o.dir.empty()) usage_failure("--dir needs a directory, not an empty name");
    } else {
      usage_failure("unknown option '" + args[i] + "'");
    }
  }
  return o;
}

std::string usage_line() {
  return "Usage: kalvane-check [--dir DIR] [--no-path] [--loading staged|together] [--json] [--strict] [--calculix]";
}

std::string usage_text() {
  return usage_line() +
         "\n"
         "Checks the result of a finished kalvane run: reads input.txt and output.txt and tells\n"
         "whether the report is a stable equilibrium on the loading path, within the tolerance.\n"
         "\n"
         "  --dir DIR     the run's directory (default: the current directory)\n"
         "  --no-path     do not follow the loading path (for very large models)\n"
         "  --loading L   staged (default): the prescribed displacements first, then the\n"
         "                loads; together: both rise in proportion\n"
         "  --json        print the findings as JSON instead of the report\n"
         "  --strict      count warnings about input.txt as a failure (exit status 1)\n"
         "  --calculix    also solve the model with CalculiX and compare\n"
         "  --help        show this text\n"
         "  --version     show the version\n"
         "\n"
         "Exit status: 0 certified; 2 not an equilibrium within the tolerance, or the run\n"
         "stopped at its iteration limit; 3 an equilibrium, but not a minimum or not the one\n"
         "gradual loading reaches; 1 missing, malformed, stale or mismatched files, or a bad\n"
         "option.\n";
}

findings run_check(const options& o) {
  namespace fs = std::filesystem;
  const auto t0 = std::chrono::steady_clock::now();
  const fs::path dir(o.dir);
  findings f;
  f.input_name = (dir / "input.txt").string();
  f.report_name = (dir / "output.txt").string();
  f.calculix_requested = o.calculix;
  require_readable(f.input_name);
  require_report(o, f.input_name, f.report_name);

  model m;
  run_plan plan;
  plan.folder = o.dir;
  plan.last = stage::input;
  run(m, plan);
  f.warnings = lint(view::read_whole_file(f.input_name));
  const view::report r = view::read_report_file(f.report_name);
  require_newer(f.input_name, f.report_name);
  require_same_model(m, r, f.input_name, f.report_name);
  plan.first = plan.last = stage::start;
  run(m, plan);
  f.nodes = m.node_count;
  f.bars = bar_count(m);
  f.unknowns = m.free_count;

  stiffness_pattern pattern = pattern_of(m);
  factorisation factor;
  const vector printed = printed_unknowns(m, r);
  f.residual = check_residual(m, printed, pattern);
  f.iterations = r.iterations;
  f.max_iterations = m.max_iterations;
  f.at_iteration_limit = r.iterations >= std::max(m.max_iterations, 1);
  vector refined = printed;
  refine(f, m, r, refined, pattern, factor);
  evaluate(m, refined, &pattern);
  f.stability = factorise(factor, pattern);
  f.seconds_points_1_to_4 = seconds_since(t0);
  f.factorisations_points_1_to_4 = factor.count;

  if (!o.no_path) {
    const auto t1 = std::chrono::steady_clock::now();
    f.path_followed = true;
    path_settings settings;
    settings.how = f.path_loading = o.loading;
    f.path = follow_path(m, pattern, factor, settings);
    // Past a snap-through the path's equilibrium at full load is not reached by gradual
    // loading: the run is judged against the limit point instead.
    if (f.path.reached_full_load && !f.path.snapped) compare(f, m, r, refined, pattern);
    // A structure whose energy falls without bound under its first loads has no path to
    // follow, however far the first step got before it gave way.
    else if (f.path.mechanism) {
      if (const auto free = free_at_zero_load(m, pattern, factor)) {
        f.path_cannot_start = true;
        f.path_soft = *free;
      }
    }
    f.seconds_path = seconds_since(t1);
    f.factorisations_path = factor.count - f.factorisations_points_1_to_4;
  }
  if (o.calculix) {
    // A model fresh from the reader: the checks above leave theirs at their own states.
    model prepared;
    run_plan again;
    again.folder = o.dir;
    again.last = stage::start;
    run(prepared, again);
    const calculix_comparison c = calculix_crosscheck(prepared, r, o.dir, f.calculix_result.tolerance);
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

}  // namespace kalvane::check
