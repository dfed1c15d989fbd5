#include "newton/path.hpp"

#include <algorithm>
#include <cmath>
#include <utility>

#include "error.hpp"
#include "newton/branch.hpp"
#include "newton/continuation.hpp"
#include "newton/events.hpp"
#include "newton/jump.hpp"
#include "newton/minimise.hpp"
#include "newton/newton.hpp"
#include "newton/slack.hpp"
#include "newton/softest.hpp"
#include "newton/step_control.hpp"

namespace kalvane::newton {

namespace {

// What the path keeps while it goes: its finding, and the last stable point.
struct walk {
  path_finding& found;
  const path_observer& observer;
  path_state stable;  // the last point with no negative pivot
  int stable_stage = 0;
  bool stop = false;  // the observer asked to stop
  // The stage's start held still the components nothing held there: its tangent lacks
  // their motion (a line of bars pulled across itself moves sideways at once, though its
  // rate there is zero), so the first step may turn from it as sharply as it must.
  bool start_held = false;
  std::vector<std::size_t> held_at_start = {};  // those components
};

// `equilibrium` is false for a cable's event placed by interpolation between two points.
void emit(walk& k, const path_work& w, const path_state& p, point_kind kind, int32_t bar = 0, bool equilibrium = true) {
  path_point point;
  point.stage = w.stage.number;
  point.load_factor = p.t;
  point.energy = p.energy;
  point.smallest_pivot = p.at.smallest_pivot;
  point.negative_pivots = p.at.negative;
  point.kind = kind;
  point.newton_steps = p.newton_steps;
  point.bar = bar;
  k.found.points.push_back(point);
  if (k.observer && k.observer(point, p.x) == path_control::stop) k.stop = true;
  if (kind == point_kind::limit || kind == point_kind::bifurcation) {
    path_event e;
    e.kind = kind == point_kind::limit ? event_kind::limit : event_kind::bifurcation;
    e.stage = point.stage;
    e.load_factor = p.t;
    k.found.events.push_back(e);
  }
  if (kind == point_kind::slack || kind == point_kind::taut) {
    path_event e;
    e.kind = kind == point_kind::slack ? event_kind::slack : event_kind::taut;
    e.stage = point.stage;
    e.load_factor = p.t;
    e.bar = bar;
    k.found.events.push_back(e);
  }
  // A limit point is where stability ends: the last stable point of a collapse.
  if (equilibrium && (p.at.negative == 0 || kind == point_kind::limit)) k.stable = p, k.stable_stage = w.stage.number;
}

// The cables that passed their rest lengths between a and b, before `until` along the step
// (a fraction of it; 1: the whole step), each a point of the path: the first
// `cables_located_per_step` located on the arc, the rest placed by interpolation between a
// and b; emitted in their order along the step, the located ones where they were found.
// True when a location moved the factorisation away from b's.
bool emit_cable_events(path_work& w, walk& k, const path_state& a, const path_state& b,
                       const std::vector<cable_crossing>& crossed, double until) {
  struct found_event {
    double fraction;  // along the step
    const cable_crossing* crossing;
    std::size_t located;  // index into `states`, or none
  };
  constexpr std::size_t none = static_cast<std::size_t>(-1);
  const double length = along_tangent(w, a, b);
  std::vector<path_state> states;
  std::vector<found_event> events;
  bool moved = false;
  int located = 0;
  for (const cable_crossing& c : crossed) {
    if (c.fraction >= until) break;
    if (located < w.settings.cables_located_per_step) {
      ++located;
      moved = true;
      path_state event;
      const watched strain{watch_kind::cable, c.bar};
      location got = locate_event(w, a, b, strain, event);
      bool crept = got == location::short_of_tolerance;
      // From a, the corrections may have to cross the kinks of the cables located before this
      // one; from the last of those this cable has not yet passed, they cross fewer.
      const double before = watched_value(w, strain, a, a);
      for (std::size_t i = states.size(); got != location::found && i-- > 0;)
        if ((watched_value(w, strain, a, states[i]) < 0.0) == (before < 0.0)) {
          got = locate_event(w, states[i], b, strain, event);
          crept = crept || got == location::short_of_tolerance;
          break;
        }
      // Corrections that all converged but crept short of the kink: along the chord instead.
      if (got != location::found && crept) got = locate_event(w, a, b, strain, event, true);
      bool found = got == location::found;
      if (found) {
        const double fraction = length != 0.0 ? along_tangent(w, a, event) / length : c.fraction;
        if (fraction < until) {
          events.push_back({fraction, &c, states.size()});
          states.push_back(std::move(event));
          continue;
        }
      }
    }
    events.push_back({c.fraction, &c, none});
  }
  std::stable_sort(events.begin(), events.end(),
                   [](const found_event& l, const found_event& r) { return l.fraction < r.fraction; });
  for (const found_event& e : events) {
    const cable_crossing& c = *e.crossing;
    const point_kind kind = c.slack ? point_kind::slack : point_kind::taut;
    if (e.located != none) {
      emit(k, w, states[e.located], kind, c.bar);
      continue;
    }
    path_state event;
    const double f = c.fraction;
    event.x = a.x;
    for (std::size_t p = 0; p < event.x.size(); ++p) event.x[p] += f * (b.x[p] - a.x[p]);
    event.t = a.t + f * (b.t - a.t);
    event.energy = a.energy + f * (b.energy - a.energy);
    event.at = f < 0.5 ? a.at : b.at;
    emit(k, w, event, kind, c.bar, false);
  }
  return moved;
}

// The nodes of the slack groups at x that carry a load (or none); those on no bar are also
// added to `on_no_bar`.
std::vector<int32_t> nodes_held_by_slack(const structure& s, const vector& x, bool loaded, std::vector<int32_t>& on_no_bar) {
  std::vector<int32_t> nodes;
  for (const slack_group& g : slack_groups(s, x)) {
    if (g.loaded != loaded) continue;
    nodes.insert(nodes.end(), g.nodes.begin(), g.nodes.end());
    if (g.on_no_bar) on_no_bar.insert(on_no_bar.end(), g.nodes.begin(), g.nodes.end());
  }
  std::sort(nodes.begin(), nodes.end());
  std::sort(on_no_bar.begin(), on_no_bar.end());
  return nodes;
}

enum class start_outcome { ready, mechanism, failed };

// The start judged a little way past it (`before`: the cables slack at a), where cables at their rest lengths that the
// stage's first rise leaves shorter are slack (no stiffness, no steering springs). Two ways
// on are tried: the stage's own rise with every node where it is (rest lengths that grow
// slacken cables, and what only those held is held by nothing), and, from a stiff start,
// its tangent (a load that pushes a node along a cable drawn at its rest length slackens it
// at once, and the node falls if nothing else holds it there). Where cables slacken and the
// structure there is not stiff, `stiff` turns false, and w.pattern and w.rate hold the
// stiffness and the rate there, for what nothing holds and whether the loads pull it;
// otherwise a's own are restored.
// `slackened`: the cables slack there and not at a.
void judge_past_start(path_work& w, path_state& a, const std::vector<std::uint8_t>& before, bool& stiff,
                      std::vector<int32_t>& slackened, path_state& judged) {
  std::vector<std::uint8_t> after;
  auto slackens_at = [&](const path_state& p) {
    apply_stage(w.scaled, w.full, w.stage, p.t);
    slack_flags(w.scaled, p.x, after);
    slackened.clear();
    for (std::size_t b = 0; b < after.size(); ++b)
      if (after[b] && !before[b]) slackened.push_back(static_cast<int32_t>(b + 1));
    return !slackened.empty();
  };
  path_state past;
  past.x = a.x;
  past.t = 1e-9;
  bool slackens = slackens_at(past);
  if (!slackens && stiff && tangent_from(w, a)) {
    const double size = std::max(max_abs(a.tangent_x), std::fabs(a.tangent_t));
    if (size > 0.0) {
      const double h = 1e-9 * extent_of(w.full.base) / size;
      for (std::size_t i = 0; i < past.x.size(); ++i) past.x[i] = a.x[i] + h * a.tangent_x[i];
      past.t = h * a.tangent_t;
      slackens = slackens_at(past);
    }
  }
  apply_stage(w.scaled, w.full, w.stage, 0.0);
  if (!slackens) return;
  apply_stage(w.scaled, w.full, w.stage, past.t);
  evaluate(w.scaled, past.x, &w.pattern, false);
  const inertia there = factorise(w.f, w.pattern);
  ++w.factorisations;
  if (!(w.f.ok && there.minimum() && held_by_nothing(w.pattern).empty())) {
    residual_rate(w.scaled, w.full, w.stage, past.t, past.x, w.rate);
    apply_stage(w.scaled, w.full, w.stage, 0.0);
    stiff = false;
    judged = past;
    return;
  }
  apply_stage(w.scaled, w.full, w.stage, 0.0);
  evaluate(w.scaled, a.x, &w.pattern, std::find(before.begin(), before.end(), 1) == before.end());  // as start_stage did
  a.at = factorise(w.f, w.pattern);
  ++w.factorisations;
}

// The stage's first point a, at load factor 0: its tangent from the stiffness there, with
// the components that nothing holds yet, and that the loading does not pull, held still. A
// start that still has no stiffness (or an unstable one) is left for the minimum of the
// energy at a small load factor, from which the path goes on.
// `held`: w.f holds the stiffness at a, a's inertia is known (the last stage's end, the
// same structure under the same loading). `again`: a was taken for stiff, and not one step
// from it converged (a structure that a small stress barely holds, its pivots a few orders
// above rounding): it is started again as one without stiffness, its first point emitted.
start_outcome start_stage(path_work& w, walk& k, path_state& a, bool held, bool again = false) {
  a.t = 0.0;
  apply_stage(w.scaled, w.full, w.stage, 0.0);
  // Where cables are slack at the start, the stiffness is taken without the small springs
  // the tangent gives them to steer Newton: a node they alone hold has none, and must not
  // look stiff, or the stage's loads on it would be followed as if the springs held it,
  // where it falls onto its cables at the first load.
  std::vector<std::uint8_t> slack;
  if (w.cables) slack_flags(w.scaled, a.x, slack);
  const bool any_slack = std::find(slack.begin(), slack.end(), 1) != slack.end();
  if (!held || any_slack) {
    a.energy = evaluate(w.scaled, a.x, &w.pattern, !any_slack).energy;
    a.at = factorise(w.f, w.pattern);
    ++w.factorisations;
  }
  residual_rate(w.scaled, w.full, w.stage, a.t, a.x, w.rate);
  // A load on a node that no bar reaches moves it without end (the tangent's hold on it only
  // steers Newton).
  for (int32_t p : w.pattern.unattached)
    if (w.rate[static_cast<std::size_t>(p)] != 0.0) {
      emit(k, w, a, point_kind::regular);
      return start_outcome::mechanism;
    }
  bool stiff = !again && w.f.ok && a.at.minimum();
  std::vector<int32_t> slackened;  // cables at their rest lengths that the first rise slackens
  path_state judged = a;            // where the stiffness was found wanting
  if (w.cables && !again) judge_past_start(w, a, slack, stiff, slackened, judged);
  bool ready = stiff;
  if (!ready && !again) {
    const std::vector<std::size_t> free = held_by_nothing(w.pattern);
    const bool pulled = std::any_of(free.begin(), free.end(), [&](std::size_t p) { return w.rate[p] != 0.0; });
    ready = !pulled && factorise_holding_free(w.f, w.pattern).minimum() && w.f.ok;
    ++w.factorisations;
  }
  k.start_held = ready && !stiff;
  k.held_at_start.clear();
  if (k.start_held) k.held_at_start = held_by_nothing(w.pattern);
  if (ready) {
    tangent_from(w, a);
    weigh_by_start(w, a.speed);
    if (!tangent_from(w, a)) return start_outcome::failed;
    emit(k, w, a, point_kind::regular);
    return start_outcome::ready;
  }
  if (!again) emit(k, w, a, point_kind::regular);
  const path_state start = a;
  apply_stage(w.scaled, w.full, w.stage, w.settings.slack_load_factor);
  minimise_result r = minimise_energy(w.scaled, a.x, w.pattern, w.f);
  w.newton_steps += r.steps;
  w.factorisations += r.factorisations;
  if (!r.converged && !r.unbounded) {
    // Newton's steps through slack cables are the load over their small springs: a light
    // load falls through a sag by thousands of them. Each step then goes as far as the
    // energy falls.
    a.x = start.x;
    minimise_settings settings;
    settings.exact_line_search = true;
    r = minimise_energy(w.scaled, a.x, w.pattern, w.f, settings);
    w.newton_steps += r.steps;
    w.factorisations += r.factorisations;
  }
  // Where no start is found, the stage's first point is the last point of the path: the
  // minimiser's last iterate is no equilibrium at any load factor the path has reached.
  auto no_start = [&](start_outcome outcome) {
    a = start;
    if (outcome == start_outcome::failed) {
      apply_stage(w.scaled, w.full, w.stage, judged.t);
      k.found.soft_start = static_cast<int32_t>(softest_free_component(w.scaled, judged.x, w.pattern, w.f, true));
      ++w.factorisations;
      if (judged.t > 0.0) k.found.slack_at_soft_start = slackened;
    }
    apply_stage(w.scaled, w.full, w.stage, 0.0);
    return outcome;
  };
  if (r.unbounded) return no_start(start_outcome::mechanism);
  if (!r.converged) return no_start(start_outcome::failed);
  a.t = w.settings.slack_load_factor;
  a.newton_steps = r.steps;
  if (!settle(w, a)) return no_start(start_outcome::failed);
  weigh_by_start(w, a.speed);
  tangent_from(w, a);
  // What nothing held fell, at the first load, onto the cables that caught it: they went
  // taut (or others slack) at load factor 0, where the start still stands. A cable at its
  // rest length that the first rise slackened, and that caught what fell, went slack first.
  std::vector<cable_crossing> crossed = cables_crossed(w, start, a);
  if (!slackened.empty()) {
    std::vector<std::uint8_t> now;
    apply_stage(w.scaled, w.full, w.stage, a.t);
    slack_flags(w.scaled, a.x, now);
    for (int32_t bar : slackened) {
      if (now[static_cast<std::size_t>(bar - 1)]) continue;  // still slack: a crossing of its own
      emit(k, w, start, point_kind::slack, bar);
      crossed.push_back({bar, false, 0.0});
    }
  }
  for (const cable_crossing& c : crossed) emit(k, w, start, c.slack ? point_kind::slack : point_kind::taut, c.bar);
  emit(k, w, a, point_kind::regular);
  return start_outcome::ready;
}

// Newton at load factor 1 of the stage, from the tangent's prediction at a, in at most
// `max_steps` iterations.
bool land(path_work& w, const path_state& a, path_state& b, int max_steps) {
  const double reach = (1.0 - a.t) / a.tangent_t;
  predict(a, reach, b.x, b.t);
  b.t = 1.0;
  apply_stage(w.scaled, w.full, w.stage, 1.0);
  newton_settings settings;
  settings.max_steps = max_steps;
  settings.relative_tolerance = w.settings.corrector_tolerance;
  settings.start_with_held_factorisation = true;
  const newton_result r = newton_solve(w.scaled, b.x, w.pattern, w.f, settings);
  w.newton_steps += r.steps;
  w.factorisations += r.factorisations;
  b.newton_steps = r.steps;
  return r.converged;
}

// The whole stage in one step, when the path is straight: Newton from the start's linear
// prediction of full load converges within a few iterations, to a point within
// `straight_stage` of the prediction (relative to the step's length in the path's norm),
// where the tangent points the way the start's did. Anything curved enough to hide a
// limit point or a jump between the two ends fails one of these, and is stepped instead.
bool whole_stage(path_work& w, const path_state& a, path_state& b) {
  const path_settings& settings = w.settings;
  if (!(a.tangent_t > 0.0) || !land(w, a, b, settings.quick_steps)) return false;
  const double reach = (1.0 - a.t) / a.tangent_t;
  vector predicted;
  double t = 0.0;
  predict(a, reach, predicted, t);
  double off = 0.0;
  for (std::size_t p = 0; p < predicted.size(); ++p) off += (b.x[p] - predicted[p]) * (b.x[p] - predicted[p]);
  if (!(std::sqrt(w.theta * off) <= settings.straight_stage * reach)) return false;
  if (!settle(w, b, &a.tangent_x, a.tangent_t)) return false;
  // A cable that changed on the way is an event to locate: stepped.
  return cables_crossed(w, a, b).empty() && b.at.negative == a.at.negative && b.tangent_t > 0.0 &&
         path_dot(w, a.tangent_x, a.tangent_t, b.tangent_x, b.tangent_t) >= 1.0 - settings.straight_stage;
}

enum class stage_end { full_load, gone, stalled, stopped };

// Where the path goes from an event on a stable branch, on the default route.
enum class route_step { moved, collapsed };

// The first point of the branch onto which a start bifurcates: the minimum of the energy at
// the small load factor t, from the start disturbed along the mode (the start's own state
// there is a saddle). False when that minimum is not stable or not found.
bool branch_from_start(path_work& w, const path_state& start, const vector& mode, double t, path_state& b) {
  const double size = max_abs(mode);
  if (!(size > 0.0) || !std::isfinite(size)) return false;
  apply_stage(w.scaled, w.full, w.stage, t);
  b.x = start.x;
  const double kick = w.settings.jump_kick * extent_of(w.full.base) / size;
  for (std::size_t q = 0; q < b.x.size(); ++q) b.x[q] += kick * mode[q];
  const minimise_result r = minimise_energy(w.scaled, b.x, w.pattern, w.f);
  w.newton_steps += r.steps;
  w.factorisations += r.factorisations;
  if (!r.converged) return false;
  b.t = t;
  b.newton_steps = r.steps;
  return settle(w, b) && b.at.minimum();
}

// A point that every disturbance of a jump fell back to holds at its load: the branch
// followed turns back there, but another crosses it on which the load rises (a sagging
// string pulled straight by its supports). Its first point: the minimum of the energy a
// little higher, from the point, when stable and within the disturbances' reach of it.
bool rise_from(path_work& w, const path_state& p, path_state& b) {
  const double t = p.t + std::min(w.settings.slack_load_factor, 1.0 - p.t);
  if (!(t > p.t)) return false;
  apply_stage(w.scaled, w.full, w.stage, t);
  b.x = p.x;
  const minimise_result r = minimise_energy(w.scaled, b.x, w.pattern, w.f);
  w.newton_steps += r.steps;
  w.factorisations += r.factorisations;
  if (!r.converged) return false;
  vector apart = b.x;
  for (std::size_t q = 0; q < apart.size(); ++q) apart[q] -= p.x[q];
  if (!(max_abs(apart) <= 0.1 * extent_of(w.full.base))) return false;
  b.t = t;
  b.newton_steps = r.steps;
  return settle(w, b) && b.at.minimum() && b.tangent_t > 0.0;
}

// The structure's way on from the event located between the stable point a and b: at a
// bifurcation, onto the bifurcated branch when that is stable and rises in load; where no
// stable state is left (a limit point, unstable bifurcated branches), a jump at the event's
// load to the stable state the structure falls into. Emits the event and what follows it,
// and leaves the state the path goes on from in `next`.
// `given`: the modes of a bifurcation at the stage's start (found past it, at b).
route_step leave_branch(path_work& w, walk& k, const path_state& a, const path_state& b, point_kind kind,
                        const path_state& event, path_state& next, const buckling_modes* given = nullptr) {
  emit(k, w, event, kind);
  vector mode = event.tangent_x;  // at a limit point the null vector is the tangent, the way the path turned
  if (kind == point_kind::bifurcation) {
    const long crossed = std::labs(b.at.negative - a.at.negative);
    const buckling_modes modes = given ? *given : modes_at(w, event, crossed >= 2 ? 2 : 1);
    if (modes.count == 0) return route_step::collapsed;
    k.found.events.back().modes = modes.count;
    path_state branch;
    // A start that bifurcates has no stiffness along the mode at all there (it only loses it
    // as the load rises), so no corrector on the arc can leave it along the mode.
    const bool switched = given ? branch_from_start(w, event, modes.first, std::min(w.settings.slack_load_factor, b.t), branch)
                                : switch_branch(w, event, modes.first, w.settings.first_step, branch);
    if (switched && branch.at.minimum() && branch.t >= event.t && branch.tangent_t > 0.0) {
      path_event e = k.found.events.back();
      e.kind = event_kind::branch_switch;
      e.symmetric = modes.symmetric;
      k.found.events.push_back(e);
      emit(k, w, branch, point_kind::regular);
      next = std::move(branch);
      return route_step::moved;
    }
    mode = modes.first;
  }
  // The located point lies just past the event; disturbed along the mode it falls away.
  path_state landed;
  path_event e;
  e.kind = event_kind::jump;
  e.stage = w.stage.number;
  e.load_factor = event.t;
  e.from = kind;
  e.landing = jump_from(w, event, mode, landed, e.bar);
  if (e.landing == jump_end::fell_back && rise_from(w, event, landed)) {
    path_event rise = k.found.events.back();
    rise.kind = event_kind::branch_switch;
    rise.symmetric = false;
    k.found.events.push_back(rise);
    emit(k, w, landed, point_kind::regular);
    next = std::move(landed);
    return route_step::moved;
  }
  k.found.events.push_back(e);
  if (e.landing != jump_end::landed) return route_step::collapsed;
  emit(k, w, event, point_kind::jump);
  emit(k, w, landed, point_kind::jump);
  next = std::move(landed);
  return route_step::moved;
}

// The modes that go unstable between a start that held components still (k.held_at_start)
// and b, when they are those components' motion (most of each mode's size on them): the
// bifurcation is then the start's. Found at b, where those components have their
// (negative) stiffness; at the start they have none, and the stiffness there is singular.
buckling_modes modes_at_held_start(path_work& w, const walk& k, const path_state& a, const path_state& b) {
  const long crossed = b.at.negative - a.at.negative;
  if (k.held_at_start.empty() || crossed <= 0 || crossed > static_cast<long>(k.held_at_start.size())) return {};
  buckling_modes modes = modes_at(w, b, crossed >= 2 ? 2 : 1);
  auto on_held = [&](const vector& mode) {
    double held = 0.0;
    for (std::size_t p : k.held_at_start) held += mode[p] * mode[p];
    return 2.0 * held >= dot(mode, mode);
  };
  if (modes.count == 0 || !on_held(modes.first) || (modes.count == 2 && !on_held(modes.second))) return {};
  return modes;
}

// Steps from a to load factor 1 of the stage: predict along the tangent, correct on the
// arc, settle, look for events between the two points; the step grows and shrinks with the
// corrector's speed.
stage_end follow_stage(path_work& w, walk& k, path_state& a) {
  const path_settings& settings = w.settings;
  const double extent = extent_of(w.full.base);
  // From a start at a small load factor (from slack) the path is as curved as that factor
  // is small: the first step doubles it (the start's tangent has load component 1/sqrt 2).
  double step = a.t > 0.0 ? std::min(settings.first_step, a.t / a.tangent_t) : settings.first_step;
  bool overshot = false;  // the last corrector went past load factor 1: land instead
  // A stage that starts where nothing is held still may be straight: tried whole first.
  bool whole = !k.start_held && a.t == 0.0 && settings.straight_stage > 0.0;
  // The angle by which the last step refused from a for turning turned, over cables crossing
  // their rest lengths; 0 when none was.
  double refused_turn = 0.0;
  while (a.t < 1.0) {
    if (k.stop) return stage_end::stopped;
    if (k.found.steps + k.found.halvings >= settings.max_steps) {
      k.found.step_limit = settings.max_steps;
      return stage_end::stalled;
    }
    path_state b;
    if (whole) {
      whole = false;
      if (whole_stage(w, a, b)) {
        ++k.found.steps;
        emit(k, w, b, point_kind::regular);
        a = std::move(b);
        break;
      }
      // The stiffness held is no longer the start's: the chord method needs it back.
      settle(w, a);
    }
    const bool landing = a.tangent_t > 0.0 && (overshot || a.t + step * a.tangent_t >= 1.0);
    bool converged;
    bool at_load = false;
    if (landing) {
      converged = land(w, a, b, settings.corrector_steps);
    } else {
      predict(a, step, b.x, b.t);
      const corrector_outcome c = correct_on_arc(w, a, step, b.x, b.t, true);
      converged = c.converged;
      at_load = c.at_load;
      b.newton_steps = c.steps;
      if (converged && b.t > 1.0 && a.tangent_t > 0.0) {
        overshot = true;
        continue;
      }
    }
    overshot = false;
    converged = converged && settle(w, b, &a.tangent_x, a.tangent_t, !landing);
    const double turn = converged ? path_dot(w, a.tangent_x, a.tangent_t, b.tangent_x, b.tangent_t) : 1.0;
    bool turned = turn < settings.sharpest_turn;
    // A cable's kink turns the path by itself, and by as much however short the step: a turn
    // over cables crossing their rest lengths that halving the step left as sharp (by three
    // quarters of its angle, where a smooth branch's would halve) is that corner of the path,
    // not a jump to another branch.
    if (turned && w.cables && !cables_crossed(w, a, b).empty()) {
      const double angle = std::acos(std::clamp(turn, -1.0, 1.0));
      turned = !(refused_turn > 0.0 && angle >= 0.75 * refused_turn);
      if (turned) refused_turn = angle;
    }
    // A long step may carry the corrector over a limit point and the unstable branch beyond
    // to the far branch, both ends stable and their tangents alike.
    const point_kind kind = event_between(a, b);
    const bool strayed = converged && !turned && !at_load && (b.at.negative == 0 || kind == point_kind::bifurcation) &&
                         crossed_unstable_ground(w, a, b);
    const int32_t squeezed = converged ? bar_squeezed_through_a_point(w, a, b) : 0;
    if (squeezed != 0) k.found.squeezed_bar = squeezed;
    if (!converged || (turned && !k.start_held) || strayed || squeezed != 0) {
      ++k.found.halvings;
      step = halved_step(settings, step);
      if (step == 0.0) return stage_end::stalled;
      continue;
    }
    ++k.found.steps;
    refused_turn = 0.0;
    k.found.squeezed_bar = 0;
    // The path's norm weighs displacements by the start's speed, which lacked the motion of
    // what the start held still: the first point's speed has it.
    if (k.start_held) {
      weigh_by_start(w, b.speed);
      tangent_from(w, b, &a.tangent_x, a.tangent_t);
    }
    const bool from_held_start = k.start_held;
    k.start_held = false;
    const std::vector<cable_crossing> crossed = cables_crossed(w, a, b);
    // Under rising load, stable until here: the structure leaves the branch followed.
    const bool leaves = !settings.trace && a.at.negative == 0 &&
                        (kind == point_kind::bifurcation || (kind == point_kind::limit && a.tangent_t > 0.0));
    // A start that held still what had no stiffness, where the first step finds those
    // components unstable, bifurcates at the start itself: their stiffness, zero there, falls
    // below zero as soon as the load rises.
    buckling_modes start_modes;
    if (from_held_start && leaves && kind == point_kind::bifurcation) start_modes = modes_at_held_start(w, k, a, b);
    // The event between a and b, located; when a correction on the way fails, b is named.
    path_state event;
    const watched watch{kind == point_kind::limit ? watch_kind::limit : watch_kind::bifurcation, 0};
    bool located = start_modes.count > 0;
    if (located) event = a;
    else located = kind != point_kind::regular && locate_event(w, a, b, watch, event) == location::found;
    // Rising to a limit point beyond full load, the path passed full load on the way: the
    // stage ends there, landed on from a, not at the limit point past it.
    if (located && kind == point_kind::limit && event.t > 1.0 && a.tangent_t > 0.0) {
      overshot = true;
      continue;
    }
    if (located && leaves) {
      // The cables that changed on the way to the event, and no further: past it the path
      // is not the structure's.
      const double length = along_tangent(w, a, b);
      const double until = length != 0.0 ? along_tangent(w, a, event) / length : 1.0;
      emit_cable_events(w, k, a, b, crossed, until);
      path_state next;
      if (leave_branch(w, k, a, b, kind, event, next, start_modes.count > 0 ? &start_modes : nullptr) ==
          route_step::collapsed)
        return stage_end::gone;
      a = std::move(next);
      step = settings.first_step;
      ++k.found.steps;
      continue;
    }
    bool moved = located;
    if (!crossed.empty()) moved |= emit_cable_events(w, k, a, b, crossed, 1.0);
    // A node (or group) whose every link is now a slack cable, pulled by the rising load:
    // past where its last cable went slack nothing holds it, and the path stops there, its
    // last stable point that cable's event, rather than float it on the springs that steer
    // Newton past slack cables.
    if (w.cables) {
      apply_stage(w.scaled, w.full, w.stage, b.t);
      std::vector<int32_t> on_no_bar;
      if (!nodes_held_by_slack(w.scaled, b.x, true, on_no_bar).empty()) {
        a = std::move(b);  // where the summary finds the node nothing holds
        return stage_end::gone;
      }
    }
    if (located) emit(k, w, event, kind);
    if (moved) settle(w, b, &a.tangent_x, a.tangent_t);  // the next step starts from b's own factorisation
    emit(k, w, b, located ? point_kind::regular : kind);
    // The minimiser's iterations at the load count the kinks it crossed, not the path's
    // curvature: a cascade of cables going slack is crossed in long steps, not ever shorter.
    step = at_load ? std::min(settings.largest_step, 2.0 * step) : next_step(settings, step, b.newton_steps);
    a = std::move(b);
    // Going away from full load, or unstable, and ever further: it does not come back. (A
    // stable branch may carry a soft structure as far as its loads take it.)
    const bool unloading = a.at.negative > 0 || a.tangent_t < 0.0;
    if (unloading && max_abs(a.x) > settings.reach * extent) return stage_end::gone;
  }
  return stage_end::full_load;
}

}  // namespace

void validate(const path_settings& s) {
  auto refuse = [](const std::string& what) { fail(data_error, "path settings: " + what); };
  auto positive = [&](double value, const char* name) {
    if (!(value > 0.0) || !std::isfinite(value)) refuse(std::string(name) + " must be a positive number");
  };
  auto fraction = [&](double value, const char* name) {
    if (!(value > 0.0 && value < 1.0)) refuse(std::string(name) + " must lie between 0 and 1");
  };
  auto count = [&](int value, const char* name) {
    if (value < 1) refuse(std::string(name) + " must be at least 1");
  };
  positive(s.first_step, "first_step");
  positive(s.smallest_step, "smallest_step");
  positive(s.largest_step, "largest_step");
  if (!(s.smallest_step <= s.first_step && s.first_step <= s.largest_step))
    refuse("the steps must rise smallest_step <= first_step <= largest_step");
  count(s.max_steps, "max_steps");
  count(s.quick_steps, "quick_steps");
  count(s.corrector_steps, "corrector_steps");
  if (!(s.quick_steps < s.slow_steps && s.slow_steps <= s.corrector_steps))
    refuse("the corrector's counts must rise quick_steps < slow_steps <= corrector_steps");
  if (s.corrector_cuts < 0) refuse("corrector_cuts must not be negative");
  fraction(s.corrector_tolerance, "corrector_tolerance");
  if (!(s.sharpest_turn > -1.0 && s.sharpest_turn < 1.0)) refuse("sharpest_turn must lie between -1 and 1");
  fraction(s.slack_load_factor, "slack_load_factor");
  fraction(s.near_pivot, "near_pivot");
  count(s.event_iterations, "event_iterations");
  fraction(s.event_tolerance, "event_tolerance");
  count(s.bifurcation_iterations, "bifurcation_iterations");
  fraction(s.bifurcation_width, "bifurcation_width");
  positive(s.reach, "reach");
  if (s.cables_located_per_step < 0) refuse("cables_located_per_step must not be negative");
  fraction(s.cable_strain_tolerance, "cable_strain_tolerance");
  fraction(s.cable_strain_accepted, "cable_strain_accepted");
  if (!(s.straight_stage >= 0.0 && s.straight_stage < 1.0)) refuse("straight_stage must lie in [0, 1)");
  fraction(s.slowest_start, "slowest_start");
  fraction(s.jump_kick, "jump_kick");
}

bool reached_full_load(const path_finding& path) { return path.outcome == path_outcome::full_load; }

bool collapsed(const path_finding& path) {
  return path.outcome == path_outcome::collapsed || path.outcome == path_outcome::unstable_at_full_load;
}

bool snapped(const path_finding& path) {
  if (!reached_full_load(path)) return false;
  const std::vector<path_event>& events = path.events;
  for (std::size_t i = 0; i < events.size(); ++i) {
    // A limit point where the load rose on another branch held: nothing snapped there.
    const bool held = i + 1 < events.size() && events[i + 1].kind == event_kind::branch_switch;
    if (events[i].kind == event_kind::jump || (events[i].kind == event_kind::limit && !held)) return true;
  }
  return false;
}

bool past_bifurcation(const path_finding& path) {
  return reached_full_load(path) && std::any_of(path.events.begin(), path.events.end(), [](const path_event& e) {
           return e.kind == event_kind::bifurcation || e.kind == event_kind::branch_switch;
         });
}

const char* outcome_name(path_outcome outcome) {
  switch (outcome) {
    case path_outcome::full_load: return "full_load";
    case path_outcome::unstable_at_full_load: return "unstable_at_full_load";
    case path_outcome::collapsed: return "collapsed";
    case path_outcome::stalled: return "stalled";
    case path_outcome::mechanism: return "mechanism";
    case path_outcome::stopped: return "stopped";
  }
  return "stalled";
}

const path_point* first_point(const path_finding& path, point_kind kind) {
  for (const path_point& p : path.points)
    if (p.kind == kind) return &p;
  return nullptr;
}

double snap_load_factor(const path_finding& path) {
  for (const path_event& e : path.events)
    if (e.kind == event_kind::jump) return e.load_factor;
  const path_point* limit = first_point(path, point_kind::limit);
  return limit ? limit->load_factor : path.load_factor;
}

const char* loading_name(loading how) { return how == loading::staged ? "staged" : "together"; }

path_finding follow_path(const structure& m, stiffness_pattern& pattern, factorisation& f,
                         const path_settings& settings, const path_observer& observer) {
  validate(settings);
  path_finding path;
  path_work w{m, m, load_stage{}, pattern, f, settings, 1.0, {}, 0, 0, false, {}, has_cables(m)};
  walk k{path, observer, {}, 0};
  path_state a;
  a.x.assign(static_cast<std::size_t>(m.base.free_count), 0.0);
  stage_end end = stage_end::full_load;
  const std::vector<load_stage> stages = stages_of(m, settings.how);
  if (m.base.free_count == 0) {  // every component prescribed: nothing to follow
    path.outcome = path_outcome::full_load;
    path.load_factor = 1.0;
    path.stage = stages.back().number;
    return path;
  }
  for (const load_stage& stage : stages) {
    w.stage = stage;
    const start_outcome start = start_stage(w, k, a, &stage != &stages.front() && a.at.minimum());
    if (k.stop) {
      end = stage_end::stopped;
      break;
    }
    if (start != start_outcome::ready) {
      if (start == start_outcome::mechanism) path.outcome = path_outcome::mechanism;
      end = stage_end::stalled;
      break;
    }
    const path_state stage_start = a;
    const std::size_t points = k.found.points.size();
    end = follow_stage(w, k, a);
    if (end == stage_end::stalled && k.found.points.size() == points && !k.stop) {
      a = stage_start;
      const start_outcome again = start_stage(w, k, a, false, true);
      if (again != start_outcome::ready) {
        if (again == start_outcome::mechanism) path.outcome = path_outcome::mechanism;
        break;
      }
      end = follow_stage(w, k, a);
    }
    if (end != stage_end::full_load) break;
  }
  path.newton_steps = w.newton_steps;
  // Full load on an unstable state is no answer: the last stable point is, as for a collapse.
  const bool unstable_at_full_load = end == stage_end::full_load && a.at.negative > 0 && k.stable_stage > 0;
  if (end == stage_end::full_load && !unstable_at_full_load) {
    path.outcome = path_outcome::full_load;
    newton_settings polish;
    polish.start_with_held_factorisation = true;  // the last point's, at full load
    apply_stage(w.scaled, m, w.stage, 1.0);
    const newton_result r = newton_solve(w.scaled, a.x, pattern, f, polish);
    path.newton_steps += r.steps;
    w.factorisations += r.factorisations;
    path.gradient = r.gradient;
    path.load_factor = 1.0;
    path.stage = w.stage.number;
    path.smallest_pivot = a.at.smallest_pivot;
    path.held_nodes = nodes_held_by_slack(w.scaled, a.x, false, path.nodes_on_no_bar);
    // The inertia along the path counts the springs that steer Newton past slack cables; the
    // structure's own may lack them where every cable across a motion is slack.
    const long before = f.count;
    const int32_t free = free_but_for_slack_cables(w.scaled, a.x, pattern, f);
    w.factorisations += static_cast<int>(f.count - before);
    if (free >= 0) {
      const int32_t node = free_components(m.base)[static_cast<std::size_t>(free)].node;
      if (!std::binary_search(path.held_nodes.begin(), path.held_nodes.end(), node)) path.free_at_full_load = free;
    }
    path.x = std::move(a.x);
  } else if (end == stage_end::stopped) {
    path.outcome = path_outcome::stopped;
    path.load_factor = a.t;
    path.stage = w.stage.number;
    path.smallest_pivot = a.at.smallest_pivot;
    apply_stage(w.scaled, m, w.stage, a.t);
    path.gradient = max_abs(evaluate(w.scaled, a.x).gradient);
    path.x = std::move(a.x);
  } else {
    // Past a limit point and gone (or stuck on the unstable branch): a collapse, told by the
    // last stable point. Short of any instability, the path only stalled where it was, and so
    // it did on a stable branch it went on along after an event (a jump that landed).
    const bool unstable_seen = end == stage_end::gone || a.at.negative > 0 || unstable_at_full_load;
    // Under the stage's loads, a node left with only slack cables has nothing to hold it.
    apply_stage(w.scaled, m, w.stage, 1.0);
    path.unheld_nodes = nodes_held_by_slack(w.scaled, a.x, true, path.nodes_on_no_bar);
    const bool mechanism = path.outcome == path_outcome::mechanism;
    const bool collapse = !mechanism && (unstable_seen || !path.unheld_nodes.empty()) && k.stable_stage > 0;
    if (collapse) path.outcome = unstable_at_full_load ? path_outcome::unstable_at_full_load : path_outcome::collapsed;
    else if (!mechanism) path.outcome = path_outcome::stalled;
    if (path.outcome != path_outcome::stalled)
      path.soft_start = -1, path.slack_at_soft_start.clear(), path.step_limit = 0, path.squeezed_bar = 0;
    const path_state& last = collapse ? k.stable : a;
    path.load_factor = last.t;
    path.stage = collapse ? k.stable_stage : w.stage.number;
    path.smallest_pivot = last.at.smallest_pivot;
    path.x = last.x;
    apply_stage(w.scaled, m, w.stage, last.t);
    path.gradient = max_abs(evaluate(w.scaled, path.x).gradient);
  }
  path.factorisations = w.factorisations;
  return path;
}

}  // namespace kalvane::newton
