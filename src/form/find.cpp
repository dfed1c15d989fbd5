#include "form/find.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include <Eigen/Dense>

#include "error.hpp"
#include "form/density.hpp"

namespace kalvane::form {

namespace {

std::string shortest(double value) {
  char buffer[32];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, end);
}

std::string percent(double fraction) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.3g%%", 100.0 * fraction);
  return buffer;
}

// One shape of the iteration and how far it is from the targets.
struct state {
  std::vector<point> x;
  std::vector<double> q, length;
  double force_error = 0.0, length_error = 0.0;
  long negative_pivots = 0;
  double worst() const { return std::max(force_error, length_error); }
};

// The errors over the targets `counted` marks (all of them when it is empty).
void measure(const problem& p, state& s, const std::vector<char>& counted = {}) {
  s.force_error = s.length_error = 0.0;
  for (std::size_t b = 0; b < p.bars.size(); ++b) {
    s.length[b] = length_of(p, s.x, b);
    if (!counted.empty() && !counted[b]) continue;
    if (has_target_force(p, b)) {
      const double wanted = *p.target_force[b];
      s.force_error = std::max(s.force_error, std::fabs(s.q[b] * s.length[b] - wanted) / std::fabs(wanted));
    } else if (has_target_length(p, b)) {
      const double wanted = *p.target_length[b];
      s.length_error = std::max(s.length_error, std::fabs(s.length[b] - wanted) / wanted);
    }
  }
}

// The plain update of one bar's density: the fixed point's map. A larger density draws a
// bar in, whatever its sign: a cable too long takes q l / L*, a larger pull, and a strut too
// short q L* / l, a larger push (q l / L* would ease the push and shorten it further).
double mapped(const problem& p, const state& s, std::size_t b) {
  if (has_target_force(p, b)) return *p.target_force[b] / s.length[b];
  const double wanted = *p.target_length[b];
  return s.q[b] < 0.0 ? s.q[b] * wanted / s.length[b] : s.q[b] * s.length[b] / wanted;
}

// Anderson acceleration of the fixed-point iteration q <- g(q) on the densities of the bars
// still iterated (D. G. Anderson, J. ACM 12, 1965, in the form of H. F. Walker and P. Ni,
// SIAM J. Numer. Anal. 49, 2011): the next densities are g(q) less the combination of the
// last `depth` differences of g whose residuals g(q) - q best cancel the present one. The
// plain map converges linearly; this makes its slow tail fast. A step that would turn a
// density's sign, or move it more than a factor 2 from g(q), is not taken: the plain step is,
// and the history starts again.
struct anderson {
  static constexpr int depth = 5;
  std::vector<std::size_t> bars;          // the bars iterated, in order
  Eigen::MatrixXd dF, dG;                 // columns: differences of residuals and of map values
  Eigen::VectorXd f, g, f_last, g_last, gamma, candidate;
  int stored = 0, next = 0;
  bool has_last = false;
  Eigen::ColPivHouseholderQR<Eigen::MatrixXd> qr;

  void start(const std::vector<std::size_t>& iterated) {
    bars = iterated;
    const auto n = static_cast<Eigen::Index>(bars.size());
    dF.resize(n, depth), dG.resize(n, depth), f.resize(n), g.resize(n), f_last.resize(n), g_last.resize(n);
    candidate.resize(n);
    restart();
  }
  void restart() { stored = next = 0, has_last = false; }

  // Sets s.q for the bars iterated from the shape s and its densities.
  void step(const problem& p, state& s) {
    for (std::size_t r = 0; r < bars.size(); ++r) {
      const auto i = static_cast<Eigen::Index>(r);
      g[i] = mapped(p, s, bars[r]);
      f[i] = g[i] - s.q[bars[r]];
    }
    if (has_last) {
      dF.col(next) = f - f_last, dG.col(next) = g - g_last;
      stored = std::min(stored + 1, depth), next = (next + 1) % depth;
    }
    f_last = f, g_last = g, has_last = true;
    bool accelerated = stored > 0;
    if (accelerated) {
      qr.compute(dF.leftCols(stored));
      gamma = qr.solve(f);
      candidate = g - dG.leftCols(stored) * gamma;
      for (Eigen::Index i = 0; i < g.size() && accelerated; ++i)
        accelerated = candidate[i] / g[i] >= 0.5 && candidate[i] / g[i] <= 2.0;  // false for NaN too
    }
    if (!accelerated) {
      candidate = g;
      restart();
      f_last = f, g_last = g, has_last = true;
    }
    for (std::size_t r = 0; r < bars.size(); ++r) s.q[bars[r]] = candidate[static_cast<Eigen::Index>(r)];
  }
};

bool both_ends_held(const problem& p, std::size_t b) {
  for (int32_t k : {p.bars[b].first, p.bars[b].second})
    for (int c = 0; c < 3; ++c)
      if (!is_held(p, static_cast<std::size_t>(k), c)) return false;
  return true;
}

// At each node, the loads and the forces the bars would carry if every target force were met,
// along the bars' directions in shape s: where they do not balance, no shape near s meets
// the targets. Also the largest force at each node, to judge the imbalance against.
struct target_balance {
  std::vector<point> out_of_balance;
  std::vector<double> largest_force;
};

target_balance balance_of_targets(const problem& p, const state& s) {
  target_balance t;
  t.out_of_balance = p.loads.empty() ? std::vector<point>(p.nodes.size(), point{}) : p.loads;
  t.largest_force.assign(p.nodes.size(), 0.0);
  for (std::size_t b = 0; b < p.bars.size(); ++b) {
    const auto i = static_cast<std::size_t>(p.bars[b].first), j = static_cast<std::size_t>(p.bars[b].second);
    if (!(s.length[b] > 0.0)) continue;
    const double force = has_target_force(p, b) ? *p.target_force[b] : s.q[b] * s.length[b];
    for (std::size_t c = 0; c < 3; ++c) {
      const double pull = force * (s.x[j][c] - s.x[i][c]) / s.length[b];
      t.out_of_balance[i][c] += pull;
      t.out_of_balance[j][c] -= pull;
    }
    t.largest_force[i] = std::max(t.largest_force[i], std::fabs(force));
    t.largest_force[j] = std::max(t.largest_force[j], std::fabs(force));
  }
  for (std::size_t k = 0; k < p.nodes.size(); ++k)
    for (int c = 0; c < 3; ++c)
      if (is_held(p, k, c)) t.out_of_balance[k][static_cast<std::size_t>(c)] = 0.0;  // the support takes it
  return t;
}

double size_of(const point& v) { return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }

std::string why_unmet(const problem& p, const state& s, const target_balance& t, std::size_t b, target_kind kind) {
  if (both_ends_held(p, b))
    return "both its ends are held, so the supports fix its length at " + shortest(s.length[b]);
  // The free end where the target forces balance worst (a held end's supports take any
  // imbalance, so it is never the one named).
  auto free_end = [&](int32_t k) {
    return !is_held(p, static_cast<std::size_t>(k), 0) || !is_held(p, static_cast<std::size_t>(k), 1) ||
           !is_held(p, static_cast<std::size_t>(k), 2);
  };
  std::size_t worst = static_cast<std::size_t>(free_end(p.bars[b].first) ? p.bars[b].first : p.bars[b].second);
  for (int32_t k : {p.bars[b].first, p.bars[b].second})
    if (free_end(k) && size_of(t.out_of_balance[static_cast<std::size_t>(k)]) > size_of(t.out_of_balance[worst]))
      worst = static_cast<std::size_t>(k);
  const double imbalance = size_of(t.out_of_balance[worst]);
  if (kind == target_kind::force && imbalance > 1e-6 * t.largest_force[worst])
    return "at " + node_name(worst) + " the target forces and the load are out of balance by " + shortest(imbalance) +
           " (" + percent(imbalance / t.largest_force[worst]) +
           " of the largest force there) in the best shape found: no equilibrium near it carries them";
  if (kind == target_kind::length)
    return "its length is set by the forces around it: the length wanted does not fit the equilibrium the other "
           "bars allow at " + node_name(worst);
  return "the iteration on the densities did not settle (the targets pull the shape between several equilibria)";
}

// Among the bars iterated, the one whose density has moved furthest (by ratio) from `from`:
// the target that drove the densities to the shape they make undetermined.
std::size_t furthest_moved(const std::vector<char>& iterated, const state& now, const state& from) {
  std::size_t worst = iterated.size();
  double furthest = 0.0;
  for (std::size_t b = 0; b < iterated.size(); ++b) {
    if (!iterated[b]) continue;
    const double moved = std::fabs(std::log(std::fabs(now.q[b] / from.q[b])));
    if (worst == iterated.size() || moved > furthest) worst = b, furthest = moved;
  }
  return worst;
}

// A bar iterated that the iteration is drawing to a point: its length below 1e-9 of its
// length in the first shape. Its target pulls its ends together without bound.
std::size_t collapsing(const std::vector<char>& iterated, const state& now, const std::vector<double>& first) {
  std::size_t shortest = iterated.size();
  for (std::size_t b = 0; b < iterated.size(); ++b)
    if (iterated[b] && !(now.length[b] > 1e-9 * first[b]) &&
        (shortest == iterated.size() || now.length[b] / first[b] < now.length[shortest] / first[shortest]))
      shortest = b;
  return shortest;
}

std::vector<std::size_t> marked(const std::vector<char>& flags) {
  std::vector<std::size_t> out;
  for (std::size_t b = 0; b < flags.size(); ++b)
    if (flags[b]) out.push_back(b);
  return out;
}

}  // namespace

std::string tolerance_fault(double tolerance) {
  if (tolerance > 0.0 && std::isfinite(tolerance)) return "";
  return "the tolerance on the targets must be a positive number, not " + shortest(tolerance);
}

std::string iteration_limit_fault(int max_iterations) {
  if (max_iterations >= 1) return "";
  return "the iteration limit must be at least 1, not " + std::to_string(max_iterations);
}

form_settings settings_of(double tolerance, int max_iterations, int stall_window) {
  if (const std::string why = tolerance_fault(tolerance); !why.empty()) fail(usage_error, why);
  if (const std::string why = iteration_limit_fault(max_iterations); !why.empty()) fail(usage_error, why);
  if (stall_window < 1) fail(usage_error, "the stall window must be at least 1 step, not " + std::to_string(stall_window));
  return {tolerance, max_iterations, stall_window};
}

const char* outcome_name(form_outcome outcome) {
  return outcome == form_outcome::found ? "found" : "targets not met";
}

form_result find_form(const problem& p, const form_settings& settings, const step_observer& each_step) {
  density_solver solver = validated_solver_for(p);
  const std::size_t bars = p.bars.size();
  // The bars whose densities are iterated: those with a target, less any given up because no
  // equilibrium the iteration reaches carries it (their densities then stay where they were
  // in the best shape, and the others go on to theirs).
  std::vector<char> iterated(bars, 0);
  for (std::size_t b = 0; b < bars; ++b) iterated[b] = has_target_force(p, b) || has_target_length(p, b);
  std::string given_up;  // in words, for the stop
  std::size_t given_up_count = 0;
  // A target length between two held nodes that the supports do not give: no density changes
  // the bar's length, and kept in the iteration its constant error would hide every gain of
  // the other targets (the best shape would stay the first).
  for (std::size_t b = 0; b < bars; ++b) {
    if (!has_target_length(p, b) || !both_ends_held(p, b)) continue;
    const double wanted = *p.target_length[b], held = length_of(p, p.nodes, b);
    if (std::fabs(held - wanted) <= settings.tolerance * wanted) continue;
    iterated[b] = 0;
    if (++given_up_count <= unmet_listed)
      given_up += (given_up.empty() ? "" : "; ") + bar_name(b) +
                  "'s target was given up after 0 density updates (both its ends are held: the supports fix its "
                  "length at " + shortest(held) + ")";
  }
  const bool targets = std::find(iterated.begin(), iterated.end(), 1) != iterated.end();
  anderson accelerate;
  accelerate.start(marked(iterated));

  state now{p.nodes, p.density, std::vector<double>(bars, 0.0)};
  state best;
  std::vector<double> first_length;
  form_result result;
  bool at_limit = false;       // stopped by the iteration limit
  int since_better = 0;        // steps since the best error last fell by 1%
  double window_start = 0.0;  // the best error then
  for (int step = 0;; ++step) {
    const shape_solve solved = solve_shape(solver, p, now.q, now.x);
    std::size_t give_up = bars;
    bool collapsed = false;  // the bar given up was drawn to a point
    std::string why;
    if (solved.outcome == shape_outcome::indeterminate) {
      if (step == 0) fail(model_error, solved.why);
      give_up = furthest_moved(iterated, now, best);
      why = "its density, " + shortest(now.q[give_up]) + ", left the shape undetermined";
      if (give_up == bars) {
        result.stop = "after " + std::to_string(step) + " density updates, " + solved.why;
        break;
      }
    } else {
      now.negative_pivots = solved.negative_pivots;
      measure(p, now, iterated);
      if (step == 0) first_length = now.length;
      give_up = collapsing(iterated, now, first_length);
      collapsed = give_up != bars;
      if (collapsed) why = "the iteration drew it to a point";
    }
    result.iterations = step;
    if (give_up != bars) {
      iterated[give_up] = 0;
      // Named up to as many as the worst bars; a net that gives up hundreds counts the rest.
      if (++given_up_count <= unmet_listed)
        given_up += (given_up.empty() ? "" : "; ") + bar_name(give_up) + "'s target was given up after " +
                    std::to_string(step) + " density updates (" + why + ")";
      if (step == 0) best = now;
      now = best;  // its shape and densities, judged on the targets left
      if (collapsed) {
        // The best shape had already drawn this bar nearly to a point, which no analysis can
        // take: its density goes back to the one it started from, and the shape with it.
        now.q[give_up] = p.density[give_up];
        const shape_solve again = solve_shape(solver, p, now.q, now.x);
        if (again.outcome == shape_outcome::indeterminate) now = best;
        else now.negative_pivots = again.negative_pivots;
      }
      measure(p, now, iterated);
      best = now;
      window_start = best.worst();
      since_better = 0;
      accelerate.start(marked(iterated));
      if (accelerate.bars.empty()) break;
    } else {
      if (each_step) each_step(step, now.worst());
      if (step == 0 || now.worst() < best.worst()) best = now;
      // The stall window restarts whenever the best error has fallen by 1% since it began.
      if (step == 0 || best.worst() < 0.99 * window_start) {
        window_start = best.worst();
        since_better = 0;
      } else {
        ++since_better;
      }
      if (!targets || now.worst() <= settings.tolerance) break;
    }
    if (step == settings.max_iterations) {
      result.stop = "the iteration limit of " + std::to_string(settings.max_iterations) + " density updates was reached";
      at_limit = true;
      break;
    }
    if (since_better >= settings.stall_window) {
      result.stop = "the worst error has not fallen by 1% in " + std::to_string(settings.stall_window) + " density updates";
      break;
    }
    accelerate.step(p, now);
  }

  measure(p, best);  // every target, those given up included
  if (given_up_count > unmet_listed)
    given_up += "; the targets of " + std::to_string(given_up_count - unmet_listed) + " more bars were given up too";
  if (!given_up.empty()) result.stop = given_up + (result.stop.empty() ? "" : "; then " + result.stop);
  result.outcome = best.worst() <= settings.tolerance ? form_outcome::found : form_outcome::targets_not_met;
  if (result.outcome == form_outcome::found) result.stop.clear();
  result.largest_force_error = best.force_error;
  result.largest_length_error = best.length_error;
  result.negative_pivots = best.negative_pivots;
  result.largest_residual = largest_residual(p, best.q, best.x).largest;
  result.force.resize(bars);
  for (std::size_t b = 0; b < bars; ++b) result.force[b] = best.q[b] * best.length[b];
  if (result.outcome == form_outcome::targets_not_met) {
    const target_balance balance = balance_of_targets(p, best);
    std::vector<unmet_target> unmet;
    for (std::size_t b = 0; b < bars; ++b) {
      unmet_target u;
      u.bar = b;
      if (has_target_force(p, b)) {
        u.kind = target_kind::force, u.wanted = *p.target_force[b], u.reached = result.force[b];
        if (std::fabs(u.reached - u.wanted) <= settings.tolerance * std::fabs(u.wanted)) continue;
      } else if (has_target_length(p, b)) {
        u.kind = target_kind::length, u.wanted = *p.target_length[b], u.reached = best.length[b];
        if (std::fabs(u.reached - u.wanted) <= settings.tolerance * u.wanted) continue;
      } else {
        continue;
      }
      unmet.push_back(u);
    }
    const auto error = [](const unmet_target& u) { return std::fabs(u.reached - u.wanted) / std::fabs(u.wanted); };
    std::stable_sort(unmet.begin(), unmet.end(), [&](const auto& a, const auto& b) { return error(a) > error(b); });
    if (unmet.size() > unmet_listed) unmet.resize(unmet_listed);
    for (unmet_target& u : unmet) {
      // Within a few units of the last digit: a tolerance finer than a double resolves, not
      // the equilibrium, is what leaves it unmet.
      const double relative = error(u);
      if (relative <= 8.0 * std::numeric_limits<double>::epsilon())
        u.why = "it is met to rounding (relative error " + shortest(relative) + "): the tolerance " +
                shortest(settings.tolerance) + " asks for more than a double's 16 digits hold";
      // An iterate cut short is out of balance and fits no equilibrium until it settles: that
      // tells nothing of the targets, only of the limit. A target given up has its own reason.
      else if (at_limit && iterated[u.bar])
        u.why = "not met yet when the iteration limit of " + std::to_string(settings.max_iterations) +
                " density updates was reached: more updates may meet it (max_iterations)";
      else
        u.why = why_unmet(p, best, balance, u.bar, u.kind);
    }
    result.unmet = std::move(unmet);
  }
  result.nodes = std::move(best.x);
  result.density = std::move(best.q);
  result.length = std::move(best.length);
  return result;
}

}  // namespace kalvane::form
