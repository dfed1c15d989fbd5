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

// Stores s = x - previous point and y = g - previous gradient as the newest pair.
inline void store_pair(correction_ring& ring, int32_t n, const double* x, const double* previous_x, const double* g,
                       const double* previous_g) {
  correction_pair& pair = ring.next(n);
  double* s = elements(pair.s, n);
  double* y = elements(pair.y, n);
  difference(n, s, x, previous_x);
  difference(n, y, g, previous_g);
  pair.sy = dot(n, s, y);
}

// The search direction d := -H g by the two-loop recursion, r held in d.
inline void two_loop_direction(correction_ring& ring, int32_t n, const double* g, double* d) {
  copy(n, d, g);
  const std::size_t count = ring.count();
  for (std::size_t back = 0; back < count; ++back) {  // newest to oldest
    correction_pair& v = ring.older_by(back);
    const double* s = elements(v.s, n);
    const double* y = elements(v.y, n);
    v.alpha = dot(n, s, d) / v.sy;
    const double alpha = v.alpha;
    for (int32_t i = 0; i < n; ++i) d[i] = d[i] - alpha * y[i];
  }
  correction_pair& newest = ring.older_by(0);
  const double* newest_y = elements(newest.y, n);
  const double gamma = newest.sy / dot(n, newest_y, newest_y);
  for (int32_t i = 0; i < n; ++i) d[i] = gamma * d[i];
  for (std::size_t back = count; back-- > 0;) {  // oldest to newest
    correction_pair& w = ring.older_by(back);
    const double* s = elements(w.s, n);
    const double* y = elements(w.y, n);
    const double beta = dot(n, y, d) / w.sy;
    const double factor = w.alpha - beta;
    for (int32_t i = 0; i < n; ++i) d[i] = d[i] + factor * s[i];
  }
  for (int32_t i = 0; i < n; ++i) d[i] = -d[i];
}

template <class Objective>
lbfgs_result lbfgs(Objective& objective, int32_t memory, int32_t n, int32_t max_iter, int32_t max_steps,
                   double tolerance, double sigma, terms::fmat1& x, terms::fmat1& g) {
  terms::fmat1 direction, previous_x, previous_g, saved_start;
  direction.allocate(1, n);
  previous_x.allocate(1, n);
  previous_g.allocate(1, n);
  saved_start.allocate(1, n);
  correction_ring ring;
  ring.capacity = static_cast<std::size_t>(std::max(memory, 1));

  double f = objective(n, x, g);
  double* d = elements(direction, n);
  double* xs = elements(x, n);
  double* gs = elements(g, n);
  double* px = elements(previous_x, n);
  double* pg = elements(previous_g, n);

  // First step along the steepest descent.
  for (int32_t i = 0; i < n; ++i) d[i] = -gs[i];
  copy(n, px, xs);
  copy(n, pg, gs);
  f = linesearch(objective, n, max_steps, sigma, f, x, g, direction, saved_start);
  store_pair(ring, n, xs, px, gs, pg);

  int32_t j = 1;
  while (j < max_iter && norm(n, g) > tolerance) {
    two_loop_direction(ring, n, gs, d);
    copy(n, px, xs);
    copy(n, pg, gs);
    f = linesearch(objective, n, max_steps, sigma, f, x, g, direction, saved_start);
    j = j + 1;
    store_pair(ring, n, xs, px, gs, pg);
  }
  return {j, f, tolerance >= norm(n, g)};
}

}  // namespace nlp
