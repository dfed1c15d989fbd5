#include "check/app.hpp"

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "check/calculix.hpp"
#include "check/diagnosis.hpp"
#include "check/freshness.hpp"
#include "check/check_progress.hpp"
#include "progress.hpp"
#include "newton/newton.hpp"
#include "error.hpp"
#include "run.hpp"

namespace kalvane::check {

namespace {

[[noreturn]] void usage_failure(const std::string& what) { fail(usage_error, what); }

void require_readable(const std::string& path) {
  if (!std::ifstream(path)) fail(name_error, "cannot open " + path + " (has kalvane run in this directory?)");
}

// The model of the directory's input.txt as kalvane's run has it before it minimises.
model prepared_model(const std::string& dir) {
  model m;
  run_plan plan;
  plan.folder = dir;
  plan.last = stage::start;
  run(m, plan);
  return m;
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
template <class Entry>
digits_finding count_digits(std::size_t count, Entry entry) {
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
    const int digits = digits_right(printed, exact, d.largest);
    const double error = std::fabs(printed - exact);
    ++d.entries;
    if (digits < d.digits || (digits == d.digits && !(error <= worst_error))) {
      d.worst = where;
      d.digits = digits;
      worst_error = error;
    }
  }
  d.error = d.largest > 0.0 ? worst_error / d.largest : worst_error > 0.0 ? INFINITY : 0.0;
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
  f.refinement.displacements = count_digits(names.size(), [&](std::size_t p, double& printed, double& exact, std::string& where) {
    const component_name& c = names[p];
    printed = r.displacement[static_cast<std::size_t>(c.node - 1)][static_cast<std::size_t>(c.component - 1)];
    exact = x[p];
    where = name_of(c);
  });
  const results exact = results_at(s, x);
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

// Without a report of this input (the run failed, or has not been made), the input alone
// can still tell why: the failure's message gains what the structure itself says.
void require_report(const options& o, const std::string& input_name, const std::string& report_name,
                    check_progress& progress) {
  try {
    require_readable(report_name);
    require_newer(input_name, report_name);
  } catch (const error& e) {
    std::string diagnosis;
    try {
      diagnosis = diagnose_without_report(prepared_model(o.dir), [&](const std::string& what) { progress.show(what); });
    } catch (const error&) {
      throw e;  // input.txt does not even read: the run's own message says why
    }
    fail(e.name.c_str(), std::string(e.what()) + "\n" + input_name + ": " + diagnosis);
  }
}

// The cables at the refined state, against the stresses the report gives them; in a model
// of plain bars, the bars in compression.
void check_members(findings& f, const structure& s, const vector& x, const std::vector<double>& reported_stress) {
  f.cables = cables_in(s, x, reported_stress);
  if (f.cables.cables == 0) f.compression = compression_in(s, x);
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
    else if (arg == "--lint") flag(o.lint);
    else if (arg == "--digits") {
      if (!inline_value) {
        if (i + 1 >= args.size()) usage_failure("--digits needs a value");
        value = args[++i];
      }
      if (value.size() != 1 || value[0] < '0' || value[0] > '7')
        usage_failure("--digits takes a whole number from 0 to 7, not '" + value + "'");
      o.digits = value[0] - '0';
    } else if (arg == "--loading") {
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
  return "Usage: kalvane-check [--dir DIR] [--digits K] [--no-path] [--loading staged|together] [--json] [--strict] "
         "[--calculix] [--lint]";
}

std::string usage_text() {
  return usage_line() +
         "\n"
         "Checks the result of a finished kalvane run: reads input.txt and output.txt and tells\n"
         "whether the report is a stable equilibrium on the loading path, within the tolerance,\n"
         "with its numbers right to the digits wanted.\n"
         "\n"
         "  --dir DIR     the run's directory (default: the current directory)\n"
         "  --digits K    right digits wanted in every table of the report, of its largest\n"
         "                entry (0 to 7; default 3; 0 does not test them)\n"
         "  --no-path     do not follow the loading path (for very large models); the largest\n"
         "                displacement must then be under 10 % of the structure's size\n"
         "  --loading L   staged (default): the prescribed displacements first, then the\n"
         "                loads; together: both rise in proportion\n"
         "  --json        print the findings as JSON instead of the report\n"
         "  --strict      count warnings about input.txt as a failure (exit status 1)\n"
         "  --calculix    also solve the model with CalculiX and compare\n"
         "  --lint        only read input.txt and warn about what the reader takes in silence;\n"
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
  f.input_name = (dir / "input.txt").string();
  f.report_name = (dir / "output.txt").string();
  f.calculix_requested = o.calculix;
  require_readable(f.input_name);
  check_progress progress(standard_error_is_terminal());
  progress.show("reading " + f.input_name + " and " + f.report_name);
  require_report(o, f.input_name, f.report_name, progress);

  model read;
  run_plan plan;
  plan.folder = o.dir;
  plan.last = stage::input;
  run(read, plan);
  f.warnings = lint(view::read_whole_file(f.input_name));
  const view::report r = view::read_report_file(f.report_name);
  require_newer(f.input_name, f.report_name);
  require_same_model(read, r, f.input_name, f.report_name);
  plan.first = plan.last = stage::start;
  run(read, plan);
  structure s = structure_of(std::move(read));
  prepare(s);
  const model& m = s.base;
  f.nodes = m.node_count;
  f.bars = bar_count(m);
  f.unknowns = m.free_count;

  progress.show("1. residual");
  stiffness_pattern pattern = pattern_of(m);
  factorisation factor;
  const vector printed = printed_unknowns(m, r);
  f.residual = check_residual(s, printed, pattern);
  f.iterations = r.iterations;
  f.max_iterations = m.max_iterations;
  // Only a report stopped against the input's own allowable gradient counts iterations
  // against its limit: kalvane-path's frame gives the gradient it reached, and counts Newton
  // iterations, which no limit of the minimiser's bounds.
  const bool own_threshold =
      std::fabs(r.allowable_gradient - m.allowable_gradient) <= half_printed_unit(m.allowable_gradient);
  f.writer = own_threshold ? report_writer::minimiser : report_writer::path;
  f.at_iteration_limit = own_threshold && r.iterations >= std::max(m.max_iterations, 1);
  vector refined = printed;
  progress.show("3. refinement by Newton's method from a largest gradient of " + sci(f.residual.largest));
  refine(f, s, r, refined, pattern, factor);
  f.accuracy = accuracy_of(f, o.digits, m.gradient_tolerance);
  progress.show("4. stability: factorising the stiffness");
  evaluate(s, refined, &pattern, false);
  f.stability = factorise(factor, pattern);
  check_members(f, s, refined, r.stress);
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
    });
    // Past a snap-through the path's equilibrium at full load is not reached by gradual
    // loading: the run is judged against the limit point instead.
    if (f.path.reached_full_load && !f.path.snapped) compare(f, s, r, refined, pattern);
    // A structure whose energy falls without bound under its first loads has no path to
    // follow, however far the first step got before it gave way.
    else if (f.path.mechanism) {
      if (const auto free = free_at_zero_load(s, pattern, factor)) {
        f.path_cannot_start = true;
        f.path_soft = *free;
      }
    }
    f.seconds_path = seconds_since(t1);
    f.factorisations_path = factor.count - f.factorisations_points_1_to_4;
  }
  if (o.calculix) {
    progress.show("CalculiX cross-check");
    // A model fresh from the reader: the checks above leave theirs at their own states.
    const model prepared = prepared_model(o.dir);
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

findings run_lint(const options& o) {
  findings f;
  f.lint_only = true;
  f.input_name = (std::filesystem::path(o.dir) / "input.txt").string();
  require_readable(f.input_name);
  f.warnings = lint(view::read_whole_file(f.input_name));
  try {
    const model m = prepared_model(o.dir);
    f.nodes = m.node_count;
    f.bars = bar_count(m);
    f.unknowns = m.free_count;
  } catch (const error& e) {
    // The warnings before the place the reader refuses may well say why it does.
    f.input_error = e.name + ": " + e.what();
  }
  const bool failed = !f.input_error.empty() || (o.strict && !f.warnings.empty());
  f.status = failed ? 1 : 0;
  return f;
}

}  // namespace kalvane::check
