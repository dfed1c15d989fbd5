#include "path/summary.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "newton/route.hpp"
#include "newton/slack.hpp"
#include "newton/system.hpp"

namespace kalvane::path {

namespace {

std::string figure(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.6g", value);
  return buffer;
}

std::string plural(long count, const std::string& word) {
  return std::to_string(count) + " " + word + (count == 1 ? "" : "s");
}

// "node 3 X" for the free component p (from 0).
std::string free_component_text(const model& full, int32_t p) {
  const newton::component_name at = newton::free_components(full)[static_cast<std::size_t>(p)];
  return "node " + std::to_string(at.node) + " " + axis_name(at.component);
}

// "There the structure has no stiffness (...)", or, where the stiffness was found wanting a
// little way on, with cables gone slack: "As it began, cables 4 and 19 went slack, and there
// ...". Whether they held it is not told: a start whose stiffness is at rounding level may
// have had none to lose.
std::string soft_start_text(const model& full, const newton::path_finding& path) {
  const std::string free = "(free to move at " + free_component_text(full, path.soft_start) + ": a mechanism there)";
  const std::vector<int32_t>& slack = path.slack_at_soft_start;
  if (slack.empty()) return "There the structure has no stiffness " + free;
  std::string cables = slack.size() == 1 ? "cable " : "cables ";
  const std::size_t listed = std::min<std::size_t>(slack.size(), 20);
  for (std::size_t i = 0; i < listed; ++i)
    cables += (i == 0 ? "" : i + 1 == slack.size() ? " and " : ", ") + std::to_string(slack[i]);
  if (listed < slack.size()) cables += " and " + std::to_string(slack.size() - listed) + " more";
  return "As it began, " + cables + " went slack, and there the structure has no stiffness " + free;
}

bool any_prescribed_motion(const model& full) {
  for (double v : full.prescribed.data)
    if (v != 0.0) return true;
  return false;
}

// "load factor 0.52 of stage 2" where the stages matter.
std::string where_on_path(const newton::path_point& p, newton::loading how) {
  std::string text = "load factor " + figure(p.load_factor);
  if (how == newton::loading::staged) text += " of stage " + std::to_string(p.stage);
  return text;
}

std::string point_line(const model& full, const curve& c, std::size_t i, newton::loading how,
                       const std::array<double, 3>& weight) {
  const curve_point& p = c.points[i];
  const newton::point_kind kind = p.point.kind;
  if (kind == newton::point_kind::slack || kind == newton::point_kind::taut)
    return "Cable " + std::to_string(p.point.bar) + (kind == newton::point_kind::slack ? " went slack" : " went taut") +
           " at " + where_on_path(p.point, how) + " (point " + std::to_string(i + 1) + ")\n";
  const bool lands = kind == newton::point_kind::jump && i > 0 && c.points[i - 1].point.kind == newton::point_kind::jump;
  return std::string(kind == newton::point_kind::limit         ? "Limit point"
                     : kind == newton::point_kind::bifurcation ? "Bifurcation point"
                     : lands                                   ? "Jump, lands"
                                                               : "Jump, from") +
         " at " +
         where_on_path(p.point, how) + " (point " + std::to_string(i + 1) + "): " + loads_text(full, p.at, weight) +
         "; node " + std::to_string(c.watch.node) + " " + axis_name(c.watch.component) + " moved " +
         figure(p.watched) + "\n";
}

// "loading in stages (prestress, then the live loads)".
std::vector<std::string> stage_names(const std::vector<newton::stage_kind>& stages) {
  std::vector<std::string> names;
  for (newton::stage_kind kind : stages)
    names.push_back(kind == newton::stage_kind::prestress ? "the prestress: prescribed displacements and rest lengths"
                    : kind == newton::stage_kind::weight  ? "self-weight"
                                                          : "the loads");
  return names;
}

std::string stages_text(const std::vector<newton::stage_kind>& stages) {
  const std::vector<std::string> names = stage_names(stages);
  if (names.size() == 1) return "loading in stages (one here: " + names.front() + ")";
  std::string text = "loading in stages (";
  for (std::size_t i = 0; i < names.size(); ++i) text += (i == 0 ? "" : i + 1 == names.size() ? ", then " : ", ") + names[i];
  return text + ")";
}

// What one load factor raises, named as the stages are: a model may have no live load at all.
std::string together_text(const std::vector<newton::stage_kind>& raised) {
  const std::vector<std::string> names = stage_names(raised);
  if (names.empty()) return "loading together";
  if (names.size() == 1) return "loading together (one here: " + names.front() + ")";
  std::string text = "loading together, by one load factor (";
  for (std::size_t i = 0; i < names.size(); ++i) text += (i == 0 ? "" : "; ") + names[i];
  return text + ")";
}

// `nodes` split into those no bar reaches and the rest.
std::pair<std::vector<int32_t>, std::vector<int32_t>> split_on_no_bar(const std::vector<int32_t>& nodes,
                                                                      const std::vector<int32_t>& on_no_bar) {
  std::pair<std::vector<int32_t>, std::vector<int32_t>> parts;
  for (int32_t n : nodes)
    (std::binary_search(on_no_bar.begin(), on_no_bar.end(), n) ? parts.first : parts.second).push_back(n);
  return parts;
}

std::string held_line(const std::vector<int32_t>& nodes, const char* why) {
  return "  held where " + std::string(nodes.size() == 1 ? "it is" : "they are") + ", " + why + " " +
         (nodes.size() == 1 ? "it" : "them") + ": " + newton::nodes_text(nodes) + "\n";
}

}  // namespace

std::vector<int32_t> slack_cables_of(const newton::results& r) {
  std::vector<int32_t> slack;
  for (std::size_t i = 0; i < r.slack.size(); ++i)
    if (r.slack[i]) slack.push_back(static_cast<int32_t>(i + 1));
  return slack;
}

std::string slack_text(long cables, const std::vector<int32_t>& slack) {
  const std::string of = " of " + std::to_string(cables) + (cables == 1 ? " cable" : " cables") + " slack";
  if (slack.empty()) return "none" + of;
  std::string text = std::to_string(slack.size()) + of + ":";
  const std::size_t listed = std::min<std::size_t>(slack.size(), 20);
  for (std::size_t i = 0; i < listed; ++i) text += (i == 0 ? " " : ", ") + std::to_string(slack[i]);
  if (listed < slack.size()) text += " and " + std::to_string(slack.size() - listed) + " more";
  return text;
}

force_extremes extreme_forces(const newton::results& r) {
  force_extremes x;
  for (std::size_t i = 0; i < r.force.size(); ++i) {
    if (at_rest(r, i)) continue;
    const double force = r.force[i];
    if (force > x.tension) x.tension = force, x.tension_bar = static_cast<int32_t>(i + 1);
    if (force < x.compression) x.compression = force, x.compression_bar = static_cast<int32_t>(i + 1);
  }
  return x;
}

std::string loads_text(const model& full, applied a, const std::array<double, 3>& weight) {
  std::vector<std::string> listed;
  long loaded = 0;
  double resultant[3] = {0.0, 0.0, 0.0};
  for (int32_t k = 1; k <= full.node_count; ++k)
    for (int c = 1; c <= 3; ++c) {
      const double load = a.loads * full.loads(k, c);
      if (load == 0.0) continue;
      ++loaded;
      resultant[c - 1] += load;
      if (listed.size() < 6) listed.push_back("node " + std::to_string(k) + " " + axis_name(c) + " " + figure(load));
    }
  std::string text;
  const bool weighty = a.weight > 0.0 && (weight[0] != 0.0 || weight[1] != 0.0 || weight[2] != 0.0);
  if (loaded == 0 && weighty) {
    // the self-weight alone, below
  } else if (loaded == 0) {
    text = "no load";
  } else if (loaded <= 6) {
    text = "loads";
    for (std::size_t i = 0; i < listed.size(); ++i) text += (i == 0 ? " " : ", ") + listed[i];
  } else {
    text = std::to_string(loaded) + " loads at " + figure(a.loads) + " of their values, resultant (" +
           figure(resultant[0]) + ", " + figure(resultant[1]) + ", " + figure(resultant[2]) + ")";
  }
  if (weighty)
    text += (text.empty() ? "" : ", ") + std::string("self-weight") +
            (a.weight == 1.0 ? std::string() : " at " + figure(a.weight) + " of its value") + ", on the free nodes (" +
            figure(a.weight * weight[0]) + ", " + figure(a.weight * weight[1]) + ", " + figure(a.weight * weight[2]) + ")";
  if (any_prescribed_motion(full) && a.prescribed != 1.0)
    text += ", prescribed displacements at " + figure(a.prescribed) + " of their values";
  return text;
}

std::string summary_text(const model& full, const newton::path_finding& path, const curve& c, const ending& e,
                         const summary_facts& facts) {
  const newton::loading how = facts.how;
  std::string out = "kalvane-path: " + facts.input_name + ": " + plural(full.node_count, "node") + ", " +
                    plural(bar_count(full), "bar") + ", " + plural(full.free_count, "unknown") + "; " +
                    (how == newton::loading::together ? together_text(facts.raised)
                                                      : stages_text(facts.stages)) +
                    "\n";
  out += "Path: " + plural(path.steps, "step") + ", " + plural(path.halvings, "halving") + ", " +
         plural(path.newton_steps, "Newton iteration") + " in all, " + plural(path.factorisations, "factorisation") +
         ", " + plural(static_cast<long>(c.points.size()), "point") + "\n";
  // Every event; of the cables, the first few, since a net may have hundreds go slack.
  constexpr long cable_lines = 20;
  long cable_events = 0;
  for (std::size_t i = 0; i < c.points.size(); ++i) {
    const newton::point_kind kind = c.points[i].point.kind;
    if (kind == newton::point_kind::regular) continue;
    const bool cable = kind == newton::point_kind::slack || kind == newton::point_kind::taut;
    if (!cable || ++cable_events <= cable_lines) out += point_line(full, c, i, how, facts.weight);
  }
  if (cable_events > cable_lines)
    out += "... and " + std::to_string(cable_events - cable_lines) +
           " more cables went slack or taut: path.csv lists each, with the bar's number\n";

  out += "Route: " + newton::route_text(path, how == newton::loading::staged && facts.stages.size() > 1) + "\n";

  std::string where;
  const auto point_at = [&](int i) { return c.points[static_cast<std::size_t>(i)].point; };
  newton::path_point last;  // the path's last stable equilibrium, when it did not reach full load
  last.stage = path.stage;
  last.load_factor = path.load_factor;
  const std::string last_text =
      path.stage == 0 ? std::string("the unloaded shape") : where_on_path(last, how) + ", " + loads_text(full, e.at, facts.weight);
  switch (e.kind) {
    case end_kind::stable:
      where = "at full load, a stable equilibrium on the branch that rises from the unloaded shape";
      break;
    case end_kind::snapped:
      where = e.limit_point >= 0 ? "at full load, on the far branch: the structure snapped through at the limit point at " +
                                       where_on_path(point_at(e.limit_point), how)
                                 : std::string("at full load, on the far branch, after a snap-through");
      break;
    case end_kind::past_bifurcation:
      where = e.bifurcation_point >= 0
                  ? "at full load, past the bifurcation point at " + where_on_path(point_at(e.bifurcation_point), how)
                  : std::string("at full load, past a bifurcation point");
      where += ", on the branch followed from the unloaded shape (no other branch was followed)";
      if (!c.points.empty() && c.points.back().point.negative_pivots > 0)
        where += "; it is not stable (" + plural(c.points.back().point.negative_pivots, "negative pivot") + ")";
      break;
    case end_kind::rerouted:
      where = "at full load, a stable equilibrium, reached by the route above (the branch the structure takes, not "
              "the one from the unloaded shape)";
      break;
    case end_kind::collapse:
      if (path.outcome == newton::path_outcome::unstable_at_full_load) {
        where = "no stable equilibrium found at full load: the path reached full load only on an unstable state. "
                "The files hold the last stable point: " + last_text;
        break;
      }
      where = "no stable equilibrium found at full load: the structure collapses";
      if (e.last_critical >= 0) {
        const auto& critical = point_at(e.last_critical);
        where += std::string(critical.kind == newton::point_kind::limit ? " at the limit load factor "
                                                                        : " at the bifurcation load factor ") +
                 figure(critical.load_factor) +
                 (how == newton::loading::staged ? " of stage " + std::to_string(critical.stage) : std::string());
      }
      // A node on no bar has no equilibrium; one on slack cables may yet fall onto them,
      // turned inside out, but nothing holds it where they went slack.
      if (!path.unheld_nodes.empty())
        where += ": " + newton::unheld_text(path) +
                 (path.unheld_nodes.size() == path.nodes_on_no_bar.size() ? ", which no equilibrium holds"
                                                                          : ", which nothing holds where its cables went slack");
      where += ". The files hold the last stable point: " + last_text;
      break;
    case end_kind::mechanism:
      where = "none: under its first loads the structure is a mechanism, whose energy falls without bound (a "
              "loaded component that no bar or support holds, or a motion the supports leave free). The files "
              "hold the unloaded shape";
      if (!path.unheld_nodes.empty()) where += "; " + newton::unheld_text(path);
      break;
    case end_kind::stopped:
      where = "short of full load: the path was stopped there, as its observer asked. The files hold the last "
              "point reached: " + last_text;
      break;
    case end_kind::stalled:
      if (facts.prestress_needs_loads)
        where = "short of full load: the prestress stage could not start. The drawn shape is in equilibrium with "
                "the rest lengths only together with the loads (as a net form-found under them is), and the "
                "prestress, raised before any load, holds no stable shape near it; --loading together raises the "
                "loads with the prestress and follows the net from its drawn shape. The files hold the last point "
                "reached: " + last_text;
      else if (path.soft_start >= 0)
        where = "short of full load: the path could not start " +
                (how == newton::loading::staged ? "stage " + std::to_string(path.stage) : std::string("its loading")) +
                ". " + soft_start_text(full, path) + ", and no equilibrium was found near that shape under the first loads, so whether a stable equilibrium "
                "holds the full load is not known. The files hold the last point reached: " + last_text;
      else if (path.squeezed_bar > 0)
        where = "short of full load: bar " + std::to_string(path.squeezed_bar) +
                " is squeezed to nothing there: every step on took its length through zero, past which it would "
                "turn inside out (a linear-elastic bar's push comes near E A only as its length goes to nothing), "
                "so the path goes no further on this branch. The files hold the last point reached: " + last_text;
      else if (path.step_limit > 0)
        where = "short of full load: the path took the " + std::to_string(path.step_limit) +
                " steps it is allowed (steps and halvings together) on a stable branch, so whether a stable "
                "equilibrium holds the full load is not known. The files hold the last point reached: " + last_text;
      else
        where = "short of full load: the path could not be followed on (its step shrank to nothing on a stable "
                "branch), so whether a stable equilibrium holds the full load is not known. The files hold the "
                "last point reached: " + last_text;
      break;
  }
  out += "Equilibrium written: " + where + "\n";
  out += "  largest gradient component " + figure(facts.gradient) + "; node " + std::to_string(c.watch.node) + " " +
         axis_name(c.watch.component) + " moved " + figure(facts.watched) + "\n";
  const force_extremes& x = facts.extremes;
  out += "  axial forces: " +
         (x.tension_bar > 0 ? "largest tension " + figure(x.tension) + " in bar " + std::to_string(x.tension_bar)
                            : std::string("no bar in tension")) +
         ", " +
         (x.compression_bar > 0
              ? "largest compression " + figure(x.compression) + " in bar " + std::to_string(x.compression_bar)
              : std::string("no bar in compression")) +
         "\n";
  if (facts.cables > 0) out += "  cables: " + slack_text(facts.cables, facts.slack_cables) + "\n";
  const auto [held_lone, held_by_slack] = split_on_no_bar(path.held_nodes, path.nodes_on_no_bar);
  if (!held_by_slack.empty()) out += held_line(held_by_slack, "every member slack and no load on");
  if (!held_lone.empty()) out += held_line(held_lone, "on no bar and no load on");
  if (path.free_at_full_load >= 0)
    out += "  held where it is, a mechanism that no load drives: free to move at " +
           free_component_text(full, path.free_at_full_load) + ", where every cable across that motion is slack\n";
  if (facts.files.empty()) return out;  // followed in memory: nothing written yet
  out += "Wrote into " + facts.out_folder + ":";
  for (std::size_t i = 0; i < facts.files.size(); ++i) out += (i == 0 ? " " : ", ") + facts.files[i];
  out += "\n";
  return out;
}

}  // namespace kalvane::path
