#pragma once
// Limited-memory BFGS: a steepest-descent first step, then directions from the two-loop
// recursion over the most recent correction pairs, each step through the line search.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "nlp/linesearch.hpp"
#include "nlp/norm.hpp"

namespace nlp {

struct lbfgs_result {
  int32_t iterations;  // steps taken, the first one included
  double value;        // objective at the final point
  bool converged;      // the gradient test was met at the final point
};

struct correction_pair {
  double alpha = 0.0;  // work value of the two-loop recursion
  double sy = 0.0;     // s . y
  double yy = 0.0;     // y . y, for the scaling when this pair is the newest
  terms::fmat1 s;      // new point minus old point
  terms::fmat1 y;      // new gradient minus old gradient
};

// The stored pairs, oldest to newest around a ring of slots. Slots are created one at a
// time while the ring fills; once it is full the oldest slot takes each new pair.
struct correction_ring {
  std::vector<correction_pair> slots;
  std::size_t capacity = 1;
  std::size_t newest = 0;

  std::size_t count() const { return slots.size(); }
  // The slot `back` places older than the newest one.
  correction_pair& older_by(std::size_t back) {
    return slots[(newest + slots.size() - back) % slots.size()];
  }
  // The slot to hold the next pair: a new one while the ring fills, else the oldest.
  correction_pair& next(int32_t n) {
    if (slots.size() < capacity) {
      slots.emplace_back();
      slots.back().s.allocate(1, n);
      slots.back().y.allocate(1, n);
      newest = slots.size() - 1;
    } else {
      newest = (newest + 1) % slots.size();
    }
    return slots[newest];
  }
};

// Completes a pair whose y holds the previous gradient: s := x - previous_x, y := g - y,
// with s . y and y . y summed from the first component to the last, in the same pass.
inline void complete_pair(correction_pair& pair, int32_t n, const double* x, const double* previous_x,
                          const double* g) {
  double* s = elements(pair.s, n);
  double* y = elements(pair.y, n);
  double sy = 0.0, yy = 0.0;
  for (int32_t i = 0; i < n; ++i) {
    s[i] = x[i] - previous_x[i];
    y[i] = g[i] - y[i];
    sy = sy + s[i] * y[i];
    yy = yy + y[i] * y[i];
  }
  pair.sy = sy;
  pair.yy = yy;
}

// Stores s = x - previous point and y = g - previous gradient as the newest pair.
inline void store_pair(correction_ring& ring, int32_t n, const double* x, const double* previous_x, const double* g,
                       const double* previous_g) {
  correction_pair& pair = ring.next(n);
  copy(n, elements(pair.y, n), previous_g);
  complete_pair(pair, n, x, previous_x, g);
}

// The search direction d := -H g by the two-loop recursion (Nocedal & Wright, Numerical
// Optimization, 2nd ed., Algorithm 7.4), r held in d. The recursion is
// memory-bound, so each pass over the vectors finishes one update of r and, on the values
// just written, forms the dot product that the next update needs; every sum still runs
// from the first component to the last, as in separate passes.
inline void two_loop_direction(correction_ring& ring, int32_t n, const double* g, double* d) {
  const std::size_t count = ring.count();
  {
    correction_pair& newest = ring.older_by(0);
    const double* s = elements(newest.s, n);
    double sum = 0.0;
    for (int32_t i = 0; i < n; ++i) {
      d[i] = g[i];
      sum = sum + s[i] * d[i];
    }
    newest.alpha = sum / newest.sy;
  }
  double beta = 0.0;
  for (std::size_t back = 0; back < count; ++back) {  // newest to oldest
    correction_pair& v = ring.older_by(back);
    const double alpha = v.alpha;
    const double* y = elements(v.y, n);
    double sum = 0.0;
    if (back + 1 < count) {
      correction_pair& older = ring.older_by(back + 1);
      const double* s = elements(older.s, n);
      for (int32_t i = 0; i < n; ++i) {
        d[i] = d[i] - alpha * y[i];
        sum = sum + s[i] * d[i];
      }
      older.alpha = sum / older.sy;
    } else {
      // The oldest pair: then the scaling by the newest pair, and the oldest's y . r,
      // which opens the second loop.
      const correction_pair& newest = ring.older_by(0);
      const double gamma = newest.sy / newest.yy;
      for (int32_t i = 0; i < n; ++i) {
        d[i] = gamma * (d[i] - alpha * y[i]);
        sum = sum + y[i] * d[i];
      }
      beta = sum / v.sy;
    }
  }
  for (std::size_t back = count; back-- > 0;) {  // oldest to newest
    correction_pair& w = ring.older_by(back);
    const double factor = w.alpha - beta;
    const double* s = elements(w.s, n);
    if (back > 0) {
      const correction_pair& newer = ring.older_by(back - 1);
      const double* y = elements(newer.y, n);
      double sum = 0.0;
      for (int32_t i = 0; i < n; ++i) {
        d[i] = d[i] + factor * s[i];
        sum = sum + y[i] * d[i];
      }
      beta = sum / newer.sy;
    } else {
      for (int32_t i = 0; i < n; ++i) d[i] = -(d[i] + factor * s[i]);
    }
  }
}

// The previous point of each step is the line search's saved start, and the previous
// gradient waits in the y of the slot that will hold the step's pair, so no other copies
// of x and g are kept.
// A monitor that watches nothing.
struct no_monitor {
  void operator()(int32_t, double) const {}
};

// `monitor`(j, norm(g)) is called at every test of the stopping rule; it only watches.
template <class Objective, class Monitor>
lbfgs_result lbfgs(Objective& objective, int32_t memory, int32_t n, int32_t max_iter, int32_t max_steps,
                   double tolerance, double sigma, terms::fmat1& x, terms::fmat1& g, Monitor& monitor) {
  terms::fmat1 direction, saved_start;
  direction.allocate(1, n);
  saved_start.allocate(1, n);
  correction_ring ring;
  ring.capacity = static_cast<std::size_t>(std::max(memory, 1));

  double f = objective(n, x, g);
  double* d = elements(direction, n);
  double* xs = elements(x, n);
  double* gs = elements(g, n);
  const double* previous_x = elements(saved_start, n);

  // First step along the steepest descent.
  for (int32_t i = 0; i < n; ++i) d[i] = -gs[i];
  correction_pair* pair = &ring.next(n);
  copy(n, elements(pair->y, n), gs);
  f = linesearch(objective, n, max_steps, sigma, f, x, g, direction, saved_start);
  complete_pair(*pair, n, xs, previous_x, gs);

  int32_t j = 1;
  while (j < max_iter) {
    const double largest = norm(n, g);
    monitor(j, largest);
    if (!(largest > tolerance)) break;
    two_loop_direction(ring, n, gs, d);
    pair = &ring.next(n);
    copy(n, elements(pair->y, n), gs);
    f = linesearch(objective, n, max_steps, sigma, f, x, g, direction, saved_start);
    j = j + 1;
    complete_pair(*pair, n, xs, previous_x, gs);
  }
  return {j, f, tolerance >= norm(n, g)};
}

template <class Objective>
lbfgs_result lbfgs(Objective& objective, int32_t memory, int32_t n, int32_t max_iter, int32_t max_steps,
                   double tolerance, double sigma, terms::fmat1& x, terms::fmat1& g) {
  no_monitor quiet;
  return lbfgs(objective, memory, n, max_iter, max_steps, tolerance, sigma, x, g, quiet);
}

}  // namespace nlp
