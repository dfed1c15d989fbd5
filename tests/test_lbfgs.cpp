#include "nlp/lbfgs.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "nlp/norm.hpp"

namespace {

// f(x) = sum of c_i (x_i - i)^2 with a coupling term, a smooth convex bowl in n dimensions.
struct bowl {
  int evaluations = 0;
  double operator()(int32_t n, const terms::fmat1& x, terms::fmat1& g) {
    ++evaluations;
    double f = 0.0;
    for (int32_t i = 1; i <= n; ++i) {
      const double r = x(i) - i;
      f += (1.0 + i) * r * r;
      g(i) = 2.0 * (1.0 + i) * r;
    }
    for (int32_t i = 1; i < n; ++i) {
      const double c = x(i) - x(i + 1);
      f += 0.5 * c * c;
      g(i) += c;
      g(i + 1) -= c;
    }
    return f;
  }
};

terms::fmat1 zeros(int32_t n) {
  terms::fmat1 v;
  v.allocate(1, n);
  return v;
}

}  // namespace

TEST(Norm, IsTheLargestMagnitudeSkippingNaN) {
  terms::fmat1 v = zeros(4);
  v(1) = -3.0, v(2) = std::numeric_limits<double>::quiet_NaN(), v(3) = 2.0, v(4) = -0.5;
  EXPECT_EQ(nlp::norm(4, v), 3.0);
  EXPECT_EQ(nlp::norm(0, v), 0.0);
  v(1) = std::numeric_limits<double>::quiet_NaN();
  v(3) = std::numeric_limits<double>::quiet_NaN();
  v(4) = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(nlp::norm(4, v), 0.0);
}

// The interleaved maxima must find what one pass finds wherever the largest stands,
// whatever the length's remainder by the interleave, among NaNs and infinities.
TEST(Norm, FindsTheLargestAtEveryPositionOfEveryLength) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  for (int32_t n = 1; n <= 11; ++n)
    for (int32_t at = 1; at <= n; ++at)
      for (double top : {7.5, -inf}) {
        terms::fmat1 v = zeros(n);
        for (int32_t i = 1; i <= n; ++i) v(i) = i % 3 == 0 ? nan : (i % 2 == 0 ? -1.0 : 1.0) * 0.25 * i;
        v(at) = top;
        double largest = 0.0;  // one pass, as the definition reads
        for (int32_t i = 1; i <= n; ++i)
          if (std::fabs(v(i)) > largest) largest = std::fabs(v(i));
        EXPECT_EQ(nlp::norm(n, v), largest) << n << " " << at;
      }
}

// Two components at a time and the odd one after them: each is start + a * p, rounded
// twice, as the scalar expression is; in place too.
TEST(Vectors, StepToIsEachComponentsOwnSumWhateverTheLength) {
  std::vector<double> start(9), p(9), x(9);
  for (int i = 0; i < 9; ++i) start[i] = 1.0 / (i + 3), p[i] = (i % 2 ? -1.0 : 1.0) / (7 * i + 1);
  const double a = 0.1;
  for (int32_t n = 0; n <= 9; ++n) {
    std::fill(x.begin(), x.end(), -1.0);
    nlp::step_to(n, x.data(), start.data(), a, p.data());
    for (int i = 0; i < 9; ++i) EXPECT_EQ(x[i], i < n ? start[i] + a * p[i] : -1.0) << n << " " << i;
  }
  std::vector<double> in_place = start;
  nlp::step_to(9, in_place.data(), in_place.data(), a, p.data());
  for (int i = 0; i < 9; ++i) EXPECT_EQ(in_place[i], start[i] + a * p[i]) << i;
}

TEST(Lbfgs, RingKeepsTheMostRecentPairsInOrder) {
  nlp::correction_ring ring;
  ring.capacity = 3;
  for (int step = 1; step <= 5; ++step) ring.next(2).sy = step;
  ASSERT_EQ(ring.count(), 3u);
  // Step 6's direction uses the pairs of steps 5, 4, 3 (newest first).
  EXPECT_EQ(ring.older_by(0).sy, 5);
  EXPECT_EQ(ring.older_by(1).sy, 4);
  EXPECT_EQ(ring.older_by(2).sy, 3);

  nlp::correction_ring single;
  single.capacity = 1;
  for (int step = 1; step <= 4; ++step) single.next(2).sy = step;
  ASSERT_EQ(single.count(), 1u);
  EXPECT_EQ(single.older_by(0).sy, 4);
}

TEST(Lbfgs, ConvergesOnABowlAndStopsAtTheFirstSmallGradient) {
  bowl f;
  terms::fmat1 x = zeros(8), g = zeros(8);
  nlp::lbfgs_result r = nlp::lbfgs(f, 5, 8, 1000, 20, 1e-9, 0.9, x, g);
  EXPECT_TRUE(r.converged);
  EXPECT_LE(nlp::norm(8, g), 1e-9);
  EXPECT_GT(r.iterations, 2);
  EXPECT_LT(r.iterations, 100);
  terms::fmat1 check = zeros(8);
  EXPECT_EQ(r.value, bowl{}(8, x, check));
  // One fewer iteration allowed: stopped by the count, not converged.
  bowl again;
  terms::fmat1 x2 = zeros(8), g2 = zeros(8);
  nlp::lbfgs_result limited = nlp::lbfgs(again, 5, 8, r.iterations - 1, 20, 1e-9, 0.9, x2, g2);
  EXPECT_EQ(limited.iterations, r.iterations - 1);
  EXPECT_FALSE(limited.converged);
}

TEST(Lbfgs, TheFirstStepIsTakenWhateverTheIterationLimitOrStartingGradient) {
  for (int32_t max_iter : {-5, 0, 1}) {
    bowl f;
    terms::fmat1 x = zeros(3), g = zeros(3);
    nlp::lbfgs_result r = nlp::lbfgs(f, 5, 3, max_iter, 20, 0.0, 0.9, x, g);
    EXPECT_EQ(r.iterations, 1);
    EXPECT_NE(x(1), 0.0);
  }
  // Already within tolerance at the start: one step all the same.
  bowl f;
  terms::fmat1 x = zeros(3), g = zeros(3);
  EXPECT_EQ(nlp::lbfgs(f, 5, 3, 100, 20, 1e6, 0.9, x, g).iterations, 1);
}

TEST(Lbfgs, MemoryBelowOneActsAsOne) {
  bowl a, b;
  terms::fmat1 xa = zeros(6), ga = zeros(6), xb = zeros(6), gb = zeros(6);
  nlp::lbfgs_result ra = nlp::lbfgs(a, -7, 6, 30, 20, 1e-12, 0.9, xa, ga);
  nlp::lbfgs_result rb = nlp::lbfgs(b, 1, 6, 30, 20, 1e-12, 0.9, xb, gb);
  EXPECT_EQ(ra.iterations, rb.iterations);
  EXPECT_EQ(ra.value, rb.value);
  for (int i = 1; i <= 6; ++i) EXPECT_EQ(xa(i), xb(i));
}

// The two-loop recursion as separate passes: each dot product, then each update, in turn.
TEST(Lbfgs, FusedTwoLoopPassesGiveTheBitsOfSeparatePasses) {
  std::uint64_t state = 2463534242ULL;
  auto random = [&state] {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return static_cast<double>(state % 2000001) / 1000000.0 - 1.0;
  };
  const int32_t n = 37;
  for (int memory : {1, 2, 5}) {
    nlp::correction_ring ring;
    ring.capacity = static_cast<std::size_t>(memory);
    std::vector<double> x(n), px(n), g(n), pg(n), d(n), r(n);
    // More steps than the ring holds, so that slots are reused.
    for (int step = 0; step < memory + 3; ++step) {
      for (int32_t i = 0; i < n; ++i) {
        px[i] = random(), pg[i] = random();
        x[i] = px[i] + 0.1 * random(), g[i] = pg[i] + 0.2 * (x[i] - px[i]) + 0.01 * random();
      }
      nlp::store_pair(ring, n, x.data(), px.data(), g.data(), pg.data());
      for (int32_t i = 0; i < n; ++i) g[i] = random();

      nlp::two_loop_direction(ring, n, g.data(), d.data());

      const std::size_t count = ring.count();
      std::vector<double> alpha(count);
      r = g;
      for (std::size_t back = 0; back < count; ++back) {
        const nlp::correction_pair& v = ring.older_by(back);
        alpha[back] = nlp::dot(n, v.s.data.data(), r.data()) / v.sy;
        for (int32_t i = 0; i < n; ++i) r[i] = r[i] - alpha[back] * v.y(i + 1);
      }
      const nlp::correction_pair& newest = ring.older_by(0);
      const double gamma = newest.sy / nlp::dot(n, newest.y.data.data(), newest.y.data.data());
      for (int32_t i = 0; i < n; ++i) r[i] = gamma * r[i];
      for (std::size_t back = count; back-- > 0;) {
        const nlp::correction_pair& w = ring.older_by(back);
        const double beta = nlp::dot(n, w.y.data.data(), r.data()) / w.sy;
        for (int32_t i = 0; i < n; ++i) r[i] = r[i] + (alpha[back] - beta) * w.s(i + 1);
      }
      for (int32_t i = 0; i < n; ++i) {
        const double expected = -r[i];
        ASSERT_EQ(std::memcmp(&d[i], &expected, sizeof expected), 0) << "memory " << memory << " step " << step;
      }
    }
  }
}
