#pragma once
// Bracketing line search: doubling expansion, then a zoom by safeguarded cubic
// interpolation, accepting a trial no higher than either end whose slope meets the strong
// curvature condition.
#include <cmath>
#include <cstdint>

#include "nlp/vectors.hpp"

namespace nlp {

// Writes "Line Search Failure" to standard output and raises NLP.HALT.
[[noreturn]] void halt();

// Trial step of the zoom from the two ends of the bracket: the minimiser of the cubic that
// matches both ends' values and slopes (Nocedal & Wright, Numerical Optimization, 2nd ed.,
// eq. 3.59), a_hi - (a_hi - a_lo) (d_hi + d2 - d1) / (d_hi - d_lo + 2 d2) with d1 = theta and
// d2 = G = sqrt(theta^2 - d_lo d_hi). For theta > 0 the numerator's G - theta cancels; it
// is formed as -d_lo d_hi / (theta + G) instead, its equal.
inline double cubic_step(double a_lo, double f_lo, double d_lo, double a_hi, double f_hi, double d_hi) {
  if (d_lo == 0.0) return a_lo;
  if (d_hi == 0.0) return a_hi;
  const double midpoint = (a_lo + a_hi) * 0.5;
  const double theta = 3.0 * (f_lo - f_hi) / (a_hi - a_lo) + d_lo + d_hi;
  const double Q = std::fabs(theta);
  const double S = std::sqrt(std::fabs(d_lo)) * std::sqrt(std::fabs(d_hi));
  const bool opposite = (d_lo < 0.0 && d_hi > 0.0) || (d_lo > 0.0 && d_hi < 0.0);
  const bool same = (d_lo < 0.0 && d_hi < 0.0) || (d_lo > 0.0 && d_hi > 0.0);
  double G;
  if (opposite) {
    // sqrt(theta^2 - d_lo*d_hi) without squaring a large number
    if (Q >= S) {
      const double r = S / Q;
      G = Q * std::sqrt(1.0 + r * r);
    } else {
      const double r = Q / S;
      G = S * std::sqrt(1.0 + r * r);
    }
  } else {
    // Same signs with no real minimiser, or a slope that is not a number: bisect.
    if (!same || Q < S) return midpoint;
    const double r = S / Q;
    G = Q * std::sqrt(1.0 - r * r);
  }
  const double num = theta > 0.0 ? d_hi - d_lo * d_hi / (theta + G) : (G - theta) + d_hi;
  const double den = G + ((d_hi - d_lo) + G);
  const double aT = a_hi - (a_hi - a_lo) * num / den;
  if (!(a_lo <= aT && aT <= a_hi)) return midpoint;
  return aT;
}

// The line search with its saved start supplied by the caller (n reals); after a normal
// return it still holds the point on entry.
template <class Objective>
double linesearch(Objective& objective, int32_t n, int32_t max_steps, double sigma, double f0, terms::fmat1& x,
                  terms::fmat1& g, const terms::fmat1& p, terms::fmat1& saved_start) {
  if (n < 1) halt();
  double* xs = elements(x, n);
  const double* gs = elements(g, n);
  const double* ps = elements(p, n);
  double* x0 = elements(saved_start, n);
  const double d0 = dot(n, gs, ps);
  if (d0 >= 0.0) halt();
  copy(n, x0, xs);

  double a_lo = 0.0, f_lo = f0, d_lo = d0;
  double a = 1.0;
  step_to(n, xs, x0, a, ps);
  double f = objective(n, x, g);
  double d = dot(n, gs, ps);
  while (f_lo > f && d < 0.0) {
    a_lo = a, f_lo = f, d_lo = d;
    a = a + a;
    step_to(n, xs, x0, a, ps);
    f = objective(n, x, g);
    d = dot(n, gs, ps);
  }
  double a_hi = a, f_hi = f, d_hi = d;

  const double slope_bound = -(d0 * sigma);
  for (int32_t k = 1;; ++k) {
    const double aT = cubic_step(a_lo, f_lo, d_lo, a_hi, f_hi, d_hi);
    step_to(n, xs, x0, aT, ps);
    const double fT = objective(n, x, g);
    const double dT = dot(n, gs, ps);
    if (fT <= f_hi && fT <= f_lo && std::fabs(dT) <= slope_bound) return fT;
    if (k >= max_steps) return fT;
    if (dT < 0.0) {
      a_lo = aT, f_lo = fT, d_lo = dT;
    } else {
      a_hi = aT, f_hi = fT, d_hi = dT;
    }
  }
}

// The line search as a stand-alone call: it allocates its own saved start.
template <class Objective>
double linesearch(Objective& objective, int32_t n, int32_t max_steps, double sigma, double f0, terms::fmat1& x,
                  terms::fmat1& g, const terms::fmat1& p) {
  if (n < 1) halt();
  terms::fmat1 saved_start;
  saved_start.allocate(1, n);
  return linesearch(objective, n, max_steps, sigma, f0, x, g, p, saved_start);
}

}  // namespace nlp
