// The findings as the report on standard output, and the same as JSON for scripts.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include "check/findings.hpp"
#include "companion/json_string.hpp"
#include "companion/printable.hpp"
#include "newton/route.hpp"
#include "newton/slack.hpp"

namespace kalvane::check {

std::string sci(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2e", value);
  return text;
}

std::string short_sci(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1e", value);
  return text;
}

std::string percent_text(double fraction) {
  char text[48];
  std::snprintf(text, sizeof text, "%.0f %%", 100.0 * fraction);
  return text;
}

std::string power_of_ten(double value) {
  return "1e" + std::to_string(static_cast<long>(std::lround(std::log10(value))));
}

std::string load_factor_text(double value) {
  char text[48];
  std::snprintf(text, sizeof text, "%.4f", value);
  return text;
}

namespace {

std::string short_real(double value) {
  char text[48];
  std::snprintf(text, sizeof text, "%.7g", value);
  return text;
}

std::string triple(const std::array<double, 3>& v) {
  return "(" + short_real(v[0]) + ", " + short_real(v[1]) + ", " + short_real(v[2]) + ")";
}

std::string plural(long count, const char* word) {
  return std::to_string(count) + " " + word + (count == 1 ? "" : "s");
}

std::string digits_text(const char* table, const digits_finding& d) {
  if (d.entries == 0) return std::string(table) + " none";
  return std::string(table) + " " + std::to_string(d.digits) +
         (d.digits < 7 ? " (worst " + d.worst + ", " + short_sci(d.error) + " of the largest)" : "");
}

// Point 2. kalvane-path's iterations are Newton's along its whole path, which no limit of
// the minimiser's bounds.
std::string stopping_text(const findings& f) {
  if (f.writer == report_writer::path)
    return plural(f.iterations, "Newton iteration") + " of kalvane-path's loading path (not kalvane's minimiser)";
  if (f.writer == report_writer::other)
    return plural(f.iterations, "iteration") + "; the report's allowable gradient, " + sci(f.report_allowable) +
           ", is not " + f.input_name + "'s, " + sci(f.residual.allowable) +
           ", and no path.csv of kalvane-path's was written with it: the run of another input (its tolerance or "
           "loads), or a report changed after its run, so how it stopped is not known";
  return plural(f.iterations, "iteration") + " of at most " + std::to_string(f.max_iterations) + ": " +
         (f.at_iteration_limit ? "the run stopped at its iteration limit (max_iterations), not by the gradient test"
                               : "stopped by the gradient test");
}

std::string path_text_of_loading(const findings& f);

// Point 5, ending with the loading it followed.
std::string path_text(const findings& f) {
  if (!f.path_followed) {
    const displacement_size& d = f.displacements;
    if (d.node == 0) return "skipped (--no-path)";
    return "skipped (--no-path); the largest displacement, " + sci(d.largest) + " at node " + std::to_string(d.node) +
           ", is " + percent_text(d.largest / d.diagonal) + " of the bounding-box diagonal " + sci(d.diagonal) +
           (d.large() ? ": not under 10 %" : "");
  }
  return path_text_of_loading(f) + " (loading " + loading_name(f.path_loading) + ")";
}

std::string path_text_of_loading(const findings& f) {
  const path_finding& p = f.path;
  const std::string steps = plural(p.steps, "step") + ", " + plural(p.halvings, "halving");
  if (f.path_cannot_start && !f.path_unheld.empty())
    return "the path cannot start (" + steps + "): the structure is a mechanism under its first loads: " + f.path_unheld;
  if (f.path_cannot_start)
    return "the path cannot start (" + steps + "): the structure is a mechanism (or unstable) at zero load, free to move at " +
           name_of(f.path_soft);
  // A path that stopped short with no limit point met did not snap through: it stalled.
  if (p.outcome == path_outcome::stalled)
    return "the path stalls at load factor " + load_factor_text(p.load_factor) + " of stage " + std::to_string(p.stage) +
           " (" + steps + "): " +
           (p.squeezed_bar > 0 ? "bar " + std::to_string(p.squeezed_bar) +
                                     " is squeezed to nothing there: every step on took its length through zero"
            : p.step_limit > 0 ? "it took the " + std::to_string(p.step_limit) + " steps it is allowed on the stable branch "
                               "it was following, short of full load"
                             : std::string("it found no next equilibrium on the stable branch it was following, "
                                           "short of full load")) +
           (p.events.empty() ? std::string() : " (its route there: " + route_text(p, false) + ")");
  // A route that left the branch from the unloaded shape (a jump, a branch switch), or
  // reached full load only on an unstable state: each event in order, and the pivot at the
  // first, where the stiffness turns singular.
  bool rerouted = p.outcome == path_outcome::unstable_at_full_load;
  for (const path_event& e : p.events) rerouted |= e.kind == event_kind::jump || e.kind == event_kind::branch_switch;
  if (rerouted) {
    std::string text = "the path takes the structure's route (" + steps + "): " + route_text(p, false);
    for (const path_point& point : p.points)
      if (point.kind == point_kind::limit || point.kind == point_kind::bifurcation) {
        text += "; smallest pivot " + sci(point.smallest_pivot) + " of the largest diagonal entry at the " +
                (point.kind == point_kind::limit ? "limit point" : "bifurcation point");
        break;
      }
    if (!reached_full_load(p) || snapped(p) || !f.comparison.differs) return text;
    return text + "; the run found a different equilibrium than gradual loading reaches: node " +
           std::to_string(f.comparison.worst.node) + " moves " + triple(f.comparison.run) + " in the run and " +
           triple(f.comparison.path) + " on the path";
  }
  if (!reached_full_load(p) || snapped(p)) {
    // The pivot at the limit point itself: the path's last one may lie far beyond it.
    const path_point* limit = first_point(p, point_kind::limit);
    const double pivot = limit ? limit->smallest_pivot : p.smallest_pivot;
    return "the path snaps through at load factor " + load_factor_text(snap_load_factor(p)) + " (" + steps +
           "): a limit point, the stiffness turns singular there (smallest pivot " + sci(pivot) +
           " of the largest diagonal entry)";
  }
  std::string reached = "full load reached in " + steps;
  if (const path_point* b = first_point(p, point_kind::bifurcation))
    reached += ", past a bifurcation point at load factor " + load_factor_text(b->load_factor) + " of stage " +
               std::to_string(b->stage);
  if (!f.comparison.differs) return reached + "; the same equilibrium as the run's";
  return reached +
         "; the run found a different equilibrium than gradual loading reaches: node " +
         std::to_string(f.comparison.worst.node) + " moves " + triple(f.comparison.run) + " in the run and " +
         triple(f.comparison.path) + " on the path";
}

// JSON writing: strings escaped (the file's text they quote as valid UTF-8), numbers with
// all their digits, non-finite ones as null.
std::string quoted(const std::string& s) { return companion::json_string(s); }

std::string number(double value) {
  if (!std::isfinite(value)) return "null";
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

std::string boolean(bool value) { return value ? "true" : "false"; }

std::string json_digits(const digits_finding& d) {
  return "{\"digits\": " + std::to_string(d.digits) + ", \"worst\": " + quoted(d.worst) +
         ", \"error\": " + number(d.error) + ", \"entries\": " + std::to_string(d.entries) + "}";
}

std::string json_warnings(const findings& f) {
  std::string j = "[";
  for (std::size_t i = 0; i < f.warnings.size(); ++i)
    j += std::string(i ? ", " : "") + "{\"line\": " + std::to_string(f.warnings[i].line) +
         ", \"column\": " + std::to_string(f.warnings[i].column) + ", \"message\": " + quoted(f.warnings[i].message) + "}";
  return j + "]";
}

std::string json_triple(const std::array<double, 3>& v) {
  return "[" + number(v[0]) + ", " + number(v[1]) + ", " + number(v[2]) + "]";
}

const char* crosscheck_name(crosscheck c) {
  switch (c) {
    case crosscheck::agree: return "agree";
    case crosscheck::disagree: return "disagree";
    case crosscheck::not_run: break;
  }
  return "not run";
}

// The model file certified, and why the input.txt beside it was not.
std::string other_input_line(const findings& f) {
  namespace fs = std::filesystem;
  return "certified " + fs::path(f.input_name).filename().string() + "; input.txt in the same folder describes another structure (" +
         f.other_input + ") and was not read";
}

}  // namespace

std::string text_of(const findings& f) {
  std::string t = f.input_name + " and " + f.report_name + ": " + plural(f.nodes, "node") + ", " +
                  plural(f.bars, "bar") + ", " + plural(f.unknowns, "unknown") + "\n";
  if (!f.other_input.empty()) t += other_input_line(f) + "\n";
  const residual_finding& r = f.residual;
  t += "1. Residual: largest gradient component " + sci(r.largest) + ", allowable " + sci(r.allowable) + "; " +
       (r.within() ? "every component within its allowance"
                   : std::to_string(r.outside) + " of " + std::to_string(f.unknowns) +
                         " components beyond their allowance") +
       "\n";
  if (!r.worst.empty()) {
    t += "   worst components: gradient / allowance (allowable + printing + rounding)\n";
    for (const component_residual& c : r.worst)
      t += "     " + name_of(c.where) + "  " + sci(c.gradient) + " / " + sci(c.allowance) + "  (printing " +
           sci(c.printing) + ")\n";
  }
  t += "2. Stopping: " + stopping_text(f) + "\n";
  const refinement_finding& n = f.refinement;
  t += "3. Refinement: " + plural(n.steps, "Newton step") + " to a largest gradient component of " + sci(n.gradient) +
       " (rounding level " + sci(n.rounding) + (n.converged ? ")" : "; not reached)") + "\n";
  t += "   digits right in " + f.report_name + " (of each table's largest entry): " +
       digits_text("displacements", n.displacements) + ", " + digits_text("reactions", n.reactions) + ", " +
       digits_text("stresses", n.stresses) + "\n";
  const accuracy_finding& a = f.accuracy;
  if (a.wanted == 0) t += "   digits wanted: not tested (--digits 0)\n";
  else if (!a.short_of) t += "   digits wanted: " + std::to_string(a.wanted) + ", in every table\n";
  else if (a.estimate > 0.0)
    t += "   digits wanted: " + std::to_string(a.wanted) + "; a gradient tolerance of about " + power_of_ten(a.estimate) +
         " (the run's is " + short_real(a.tolerance) + ") would give them" +
         (a.reachable ? "" : ", but it lies below the rounding level of the gradient") + "\n";
  else t += "   digits wanted: " + std::to_string(a.wanted) + "\n";
  const inertia& s = f.stability;
  t += "4. Stability: " + std::to_string(s.positive) + " positive, " + std::to_string(s.negative) + " negative, " +
       std::to_string(s.zero) + " zero pivots (smallest " + sci(s.smallest_pivot) +
       " of the largest diagonal entry): " +
       (s.minimum() ? "a minimum" : s.negative > 0 ? "not a minimum, a saddle" : "not a minimum, a mechanism") + "\n";
  if (!f.idle_nodes.empty())
    t += "   held where " + std::string(f.idle_nodes.size() == 1 ? "it is" : "they are") + ", on no bar and no load on " +
         (f.idle_nodes.size() == 1 ? "it" : "them") + " (not counted): " + newton::nodes_text(f.idle_nodes) + "\n";
  if (f.cables.cables > 0) {
    t += "   cables: " + std::to_string(f.cables.slack.size()) + " of " + std::to_string(f.cables.cables) + " slack";
    for (std::size_t i = 0; i < f.cables.slack.size() && i < 20; ++i) t += (i == 0 ? ": " : ", ") + std::to_string(f.cables.slack[i]);
    if (f.cables.slack.size() > 20) t += " and " + std::to_string(f.cables.slack.size() - 20) + " more";
    t += "\n";
    if (!f.cables.pushed.empty()) t += "   " + pushed_text(f.cables) + "\n";
  }
  if (f.compression.bars > 0) t += "   " + compression_text(f.compression) + "\n";
  t += "5. Loading path: " + path_text(f) + "\n";
  if (f.calculix_requested)
    for (const std::string& line : f.calculix_result.lines) t += line + "\n";
  t += "verdict: " + f.verdict + "\n";
  return t;
}

std::string json_of(const findings& f) {
  std::string j = "{\n";
  j += "  \"input\": " + quoted(f.input_name) + ",\n  \"report\": " + quoted(f.report_name) + ",\n";
  j += "  \"nodes\": " + std::to_string(f.nodes) + ", \"bars\": " + std::to_string(f.bars) +
       ", \"unknowns\": " + std::to_string(f.unknowns) + ",\n";
  j += "  \"warnings\": " + json_warnings(f) + ",\n";
  if (!f.other_input.empty()) j += "  \"not_read\": " + quoted(other_input_line(f)) + ",\n";
  const residual_finding& r = f.residual;
  j += "  \"residual\": {\"within\": " + boolean(r.within()) + ", \"largest\": " + number(r.largest) +
       ", \"allowable\": " + number(r.allowable) + ", \"outside\": " + std::to_string(r.outside) + ", \"worst\": [";
  for (std::size_t i = 0; i < r.worst.size(); ++i)
    j += std::string(i ? ", " : "") + "{\"node\": " + std::to_string(r.worst[i].where.node) +
         ", \"component\": " + std::to_string(r.worst[i].where.component) + ", \"gradient\": " +
         number(r.worst[i].gradient) + ", \"allowance\": " + number(r.worst[i].allowance) +
         ", \"printing\": " + number(r.worst[i].printing) + "}";
  j += "]},\n";
  j += "  \"stopping\": {\"iterations\": " + std::to_string(f.iterations) + ", \"max_iterations\": " +
       std::to_string(f.max_iterations) + ", \"at_limit\": " + boolean(f.at_iteration_limit) + ", \"counted_by\": " +
       quoted(f.writer == report_writer::path ? "kalvane-path" : f.writer == report_writer::other ? "another input" : "minimiser") +
       "},\n";
  const refinement_finding& n = f.refinement;
  j += "  \"refinement\": {\"steps\": " + std::to_string(n.steps) + ", \"converged\": " + boolean(n.converged) +
       ", \"gradient\": " + number(n.gradient) + ", \"rounding\": " + number(n.rounding) +
       ", \"displacements\": " + json_digits(n.displacements) + ", \"reactions\": " + json_digits(n.reactions) +
       ", \"stresses\": " + json_digits(n.stresses) + "},\n";
  const stress_table_finding& st = f.stress_table;
  j += "  \"stress_table\": {\"mismatched\": " + std::to_string(st.mismatched);
  if (st.mismatched > 0)
    j += ", \"worst_bar\": " + std::to_string(st.worst_bar) + ", \"printed\": " + number(st.printed) +
         ", \"from_displacements\": " + number(st.from_displacements);
  j += "},\n";
  const reaction_table_finding& rt = f.reaction_table;
  j += "  \"reaction_table\": {\"mismatched\": " + std::to_string(rt.mismatched);
  if (rt.mismatched > 0)
    j += ", \"worst\": " + quoted(name_of(rt.worst)) + ", \"printed\": " + number(rt.printed) +
         ", \"from_displacements\": " + number(rt.from_displacements);
  j += "},\n";
  j += "  \"objective\": {\"mismatched\": " + boolean(f.objective.mismatched) + ", \"printed\": " +
       number(f.objective.printed) + ", \"from_displacements\": " + number(f.objective.from_displacements) + "},\n";
  const accuracy_finding& a = f.accuracy;
  j += "  \"accuracy\": {\"digits_wanted\": " + std::to_string(a.wanted) + ", \"short\": " + boolean(a.short_of);
  if (a.short_of)
    j += ", \"table\": " + quoted(a.table) + ", \"digits\": " + std::to_string(a.worst.digits) + ", \"worst\": " +
         quoted(a.worst.worst) + ", \"error\": " + number(a.worst.error) + ", \"gradient_tolerance\": " +
         number(a.tolerance) + ", \"tolerance_estimate\": " + (a.estimate > 0.0 ? number(a.estimate) : "null") +
         ", \"reachable\": " + boolean(a.reachable);
  j += "},\n";
  const inertia& s = f.stability;
  j += "  \"stability\": {\"minimum\": " + boolean(s.minimum()) + ", \"positive\": " + std::to_string(s.positive) +
       ", \"negative\": " + std::to_string(s.negative) + ", \"zero\": " + std::to_string(s.zero) +
       ", \"smallest_pivot\": " + number(s.smallest_pivot) + ", \"held_on_no_bar\": [";
  for (std::size_t i = 0; i < f.idle_nodes.size(); ++i) j += (i == 0 ? "" : ", ") + std::to_string(f.idle_nodes[i]);
  j += "], \"free_but_for_slack_cables\": ";
  const component_name& free = f.cables.free_but_for_slack;
  j += free.node > 0 ? "{\"node\": " + std::to_string(free.node) + ", \"component\": " + std::to_string(free.component) + "}"
                     : std::string("null");
  j += "},\n";
  if (f.path_followed) {
    const path_finding& p = f.path;
    j += "  \"path\": {\"followed\": true, \"reached_full_load\": " + boolean(reached_full_load(p)) +
         ", \"load_factor\": " + number(p.load_factor) + ", \"cannot_start\": " + boolean(f.path_cannot_start) +
         (f.path_unheld.empty() ? std::string() : ", \"unheld\": " + quoted(f.path_unheld)) + ", \"steps\": " + std::to_string(p.steps) +
         ", \"halvings\": " + std::to_string(p.halvings) + ", \"loading\": " + quoted(loading_name(f.path_loading)) +
         ", \"snapped\": " + boolean(snapped(p)) + ", \"past_bifurcation\": " + boolean(past_bifurcation(p)) +
         ", \"outcome\": " + quoted(outcome_name(p.outcome)) +
         ", \"differs\": " + boolean(f.comparison.differs);
    if (f.comparison.differs)
      j += ", \"node\": " + std::to_string(f.comparison.worst.node) + ", \"run\": " + json_triple(f.comparison.run) +
           ", \"path\": " + json_triple(f.comparison.path);
    j += "},\n";
  } else {
    const displacement_size& d = f.displacements;
    j += "  \"path\": {\"followed\": false, \"largest_displacement\": " + number(d.largest) + ", \"node\": " +
         std::to_string(d.node) + ", \"diagonal\": " + number(d.diagonal) + ", \"large\": " + boolean(d.large()) + "},\n";
  }
  const calculix_finding& c = f.calculix_result;
  j += "  \"calculix\": {\"requested\": " + boolean(f.calculix_requested);
  if (f.calculix_requested)
    j += ", \"deck\": " + quoted(c.deck_path) + ", \"ccx_found\": " + boolean(c.ccx_found) +
         ", \"ccx_ran\": " + boolean(c.ccx_ran) + ", \"result\": " + quoted(crosscheck_name(f.calculix)) +
         ", \"displacement\": " + number(c.displacement) + ", \"reaction\": " + number(c.reaction) +
         ", \"axial_force\": " + number(c.force) + ", \"tolerance\": " + number(c.tolerance);
  j += "},\n";
  j += "  \"seconds\": {\"points_1_to_4\": " + number(f.seconds_points_1_to_4) + ", \"path\": " + number(f.seconds_path) + "},\n";
  j += "  \"factorisations\": {\"points_1_to_4\": " + std::to_string(f.factorisations_points_1_to_4) + ", \"path\": " + std::to_string(f.factorisations_path) + "},\n";
  j += "  \"status\": " + std::to_string(f.status) + ",\n  \"verdict\": " + quoted(f.verdict) + "\n}\n";
  return j;
}

std::string lint_text_of(const findings& f) {
  std::string t;
  for (const lint_warning& w : f.warnings) t += where(f.input_name, w) + "\n";
  const std::string count = f.warnings.empty() ? "no warnings" : plural(static_cast<long>(f.warnings.size()), "warning");
  if (!f.input_error.empty())
    return t + f.input_name + ": " + count + (f.model_file ? "; it does not read: " : "; kalvane cannot read it: ") +
           companion::printable_lines(f.input_error) + "\n";
  return t + f.input_name + ": " + plural(f.nodes, "node") + ", " + plural(f.bars, "bar") + ", " +
         plural(f.unknowns, "unknown") + "; " + count + "\n";
}

std::string lint_json_of(const findings& f) {
  std::string j = "{\n  \"input\": " + quoted(f.input_name) + ",\n";
  if (f.input_error.empty())
    j += "  \"nodes\": " + std::to_string(f.nodes) + ", \"bars\": " + std::to_string(f.bars) +
         ", \"unknowns\": " + std::to_string(f.unknowns) + ",\n";
  else
    j += "  \"error\": " + quoted(f.input_error) + ",\n";
  j += "  \"warnings\": " + json_warnings(f) + ",\n";
  return j + "  \"status\": " + std::to_string(f.status) + "\n}\n";
}

}  // namespace kalvane::check
