// The factorisation of the stiffness: the Cholesky route and the LDL^T route must agree on
// the inertia, and either must solve, as one factorisation object passes between them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <omp.h>
#include <thread>
#include <vector>

#include "error.hpp"
#include "newton/factor.hpp"

namespace kalvane::newton {
namespace {

// A symmetric matrix from its lower triangle, as pattern_of lays the stiffness out.
stiffness_pattern pattern_from(int n, const std::vector<Eigen::Triplet<double, int>>& lower) {
  stiffness_pattern s;
  s.matrix.resize(n, n);
  s.matrix.setFromTriplets(lower.begin(), lower.end());
  s.matrix.makeCompressed();
  for (int p = 0; p < n; ++p) {
    const int* first = s.matrix.innerIndexPtr() + s.matrix.outerIndexPtr()[p];
    const int* last = s.matrix.innerIndexPtr() + s.matrix.outerIndexPtr()[p + 1];
    s.diagonal.push_back(static_cast<int32_t>(std::lower_bound(first, last, p) - s.matrix.innerIndexPtr()));
  }
  return s;
}

// The second difference matrix (a chain of springs) with diagonal entries `diagonal`.
stiffness_pattern chain(int n, const std::vector<double>& diagonal) {
  std::vector<Eigen::Triplet<double, int>> lower;
  for (int p = 0; p < n; ++p) {
    lower.emplace_back(p, p, diagonal[static_cast<std::size_t>(p)]);
    if (p > 0) lower.emplace_back(p, p - 1, -1.0);
  }
  return pattern_from(n, lower);
}

// The chain, and after it one more component of stiffness `last` (none at all by default).
stiffness_pattern chain_and_free_component(const std::vector<double>& diagonal, double last = 0.0) {
  const int n = static_cast<int>(diagonal.size());
  std::vector<Eigen::Triplet<double, int>> lower;
  for (int p = 0; p < n; ++p) {
    lower.emplace_back(p, p, diagonal[static_cast<std::size_t>(p)]);
    if (p > 0) lower.emplace_back(p, p - 1, -1.0);
  }
  lower.emplace_back(n, n, last);
  return pattern_from(n + 1, lower);
}

double residual_of(const stiffness_pattern& k, const vector& x, const vector& b) {
  const vector kx = multiply(k, x);
  double largest = 0.0;
  for (std::size_t p = 0; p < b.size(); ++p) largest = std::max(largest, std::fabs(kx[p] - b[p]));
  return largest;
}

TEST(CheckFactor, BothRoutesCountPivotsAndSolveAsOneObjectPassesBetweenThem) {
  const int n = 60;
  factorisation f;
  vector b(n);
  for (int p = 0; p < n; ++p) b[static_cast<std::size_t>(p)] = std::sin(p + 1.0);

  stiffness_pattern definite = chain(n, std::vector<double>(n, 2.5));
  inertia i = factorise(f, definite);
  EXPECT_TRUE(f.positive_definite);
  EXPECT_EQ(i.positive, n);
  EXPECT_TRUE(i.minimum());
  EXPECT_GT(i.smallest_pivot, 0.0);
  EXPECT_LT(residual_of(definite, solve(f, b), b), 1e-12);

  // Three diagonal entries far below the springs' coupling: a matrix with as many negative
  // eigenvalues, which only the LDL^T can count.
  std::vector<double> diagonal(n, 2.5);
  diagonal[5] = diagonal[30] = diagonal[50] = -4.0;
  stiffness_pattern indefinite = chain(n, diagonal);
  i = factorise(f, indefinite);
  EXPECT_FALSE(f.positive_definite);
  EXPECT_TRUE(f.ok);
  EXPECT_EQ(i.negative, 3);
  EXPECT_EQ(i.positive, n - 3);
  EXPECT_FALSE(i.minimum());
  EXPECT_LT(residual_of(indefinite, solve(f, b), b), 1e-12);

  // Several right-hand sides at once give each one's own solution.
  vector columns(2 * n);
  for (int p = 0; p < n; ++p) {
    columns[static_cast<std::size_t>(p)] = b[static_cast<std::size_t>(p)];
    columns[static_cast<std::size_t>(n + p)] = 1.0 + p;
  }
  solve_columns(f, columns, 2);
  const vector first = solve(f, b);
  EXPECT_LT(residual_of(indefinite, vector(columns.begin(), columns.begin() + n), b), 1e-12);
  for (int p = 0; p < n; ++p) EXPECT_NEAR(columns[static_cast<std::size_t>(p)], first[static_cast<std::size_t>(p)], 1e-12);
  vector ramp(n);
  for (int p = 0; p < n; ++p) ramp[static_cast<std::size_t>(p)] = 1.0 + p;
  EXPECT_LT(residual_of(indefinite, vector(columns.begin() + n, columns.end()), ramp), 1e-12);

  // Back to the definite matrix: the Cholesky factor is refactorised after its failure.
  i = factorise(f, definite);
  EXPECT_TRUE(f.positive_definite);
  EXPECT_EQ(i.positive, n);
  EXPECT_LT(residual_of(definite, solve(f, b), b), 1e-12);
  vector both = b;
  both.insert(both.end(), ramp.begin(), ramp.end());
  solve_columns(f, both, 2);
  EXPECT_LT(residual_of(definite, vector(both.begin(), both.begin() + n), b), 1e-12);
  EXPECT_LT(residual_of(definite, vector(both.begin() + n, both.end()), ramp), 1e-12);
  EXPECT_EQ(f.count, 3);
}

TEST(CheckFactor, ASingularMatrixHasAZeroPivotAndAShiftLeavesItsValuesAsTheyWere) {
  // A free chain of springs (a rigid motion) with a component nothing holds at all.
  std::vector<double> diagonal(20, 2.0);
  diagonal.front() = diagonal.back() = 1.0;
  stiffness_pattern singular = chain_and_free_component(diagonal);
  factorisation f;
  inertia i = factorise(f, singular);
  EXPECT_FALSE(f.positive_definite);
  EXPECT_GE(i.zero, 1);
  EXPECT_FALSE(i.minimum());

  const std::vector<double> before(singular.matrix.valuePtr(), singular.matrix.valuePtr() + singular.matrix.nonZeros());
  i = factorise(f, singular, 1e-6);
  EXPECT_TRUE(f.ok);
  EXPECT_EQ(i.negative, 0);
  const std::vector<double> after(singular.matrix.valuePtr(), singular.matrix.valuePtr() + singular.matrix.nonZeros());
  EXPECT_EQ(before, after);
}

// Singular without an empty row: a free chain of springs (its rigid motion), alone, and
// with a negative spring joined on (a saddle as well). The pivots past the exact zero are
// counted all the same, and add up to the size.
TEST(CheckFactor, APivotCountOfASingularMatrixAddsUpToItsSize) {
  std::vector<double> diagonal(20, 2.0);
  diagonal.front() = diagonal.back() = 1.0;
  factorisation f;
  stiffness_pattern free = chain(20, diagonal);
  const inertia free_chain = factorise(f, free);
  EXPECT_EQ(free_chain.positive, 19);
  EXPECT_EQ(free_chain.negative, 0);
  EXPECT_EQ(free_chain.zero, 1);
  factorisation g;
  stiffness_pattern with_negative = chain_and_free_component(diagonal, -3.0);
  const inertia saddle = factorise(g, with_negative);
  EXPECT_EQ(saddle.positive, 19);
  EXPECT_EQ(saddle.negative, 1);
  EXPECT_EQ(saddle.zero, 1);
}

// An unstressed net across its plane: a component with no stiffness at all beside a held
// chain. Holding it leaves the chain's solution what it is without it, and the matrix as it was.
TEST(CheckFactor, AComponentNothingHoldsIsHeldAndTheRestSolvesAsWithoutIt) {
  const std::vector<double> diagonal(20, 2.0);
  stiffness_pattern free_one = chain_and_free_component(diagonal);
  stiffness_pattern held_chain = chain(20, diagonal);
  const std::vector<double> before(free_one.matrix.valuePtr(), free_one.matrix.valuePtr() + free_one.matrix.nonZeros());

  factorisation f;
  const inertia i = factorise_holding_free(f, free_one);
  EXPECT_TRUE(f.ok);
  EXPECT_TRUE(i.minimum());
  vector b(21, 1.0);
  const vector x = solve(f, b);
  factorisation g;
  factorise(g, held_chain);
  const vector expected = solve(g, vector(20, 1.0));
  for (std::size_t p = 0; p < 20; ++p) EXPECT_NEAR(x[p], expected[p], 1e-12 * std::fabs(expected[p])) << p;
  EXPECT_DOUBLE_EQ(x[20], 1.0 / 2.0);  // held as stiffly as the stiffest component
  const std::vector<double> after(free_one.matrix.valuePtr(), free_one.matrix.valuePtr() + free_one.matrix.nonZeros());
  EXPECT_EQ(before, after);
}

// A fill-reducing order given by the caller changes the factor, not the answer; one that
// does not fit the matrix is refused, not read past its end.
TEST(CheckFactor, AGivenOrderSolvesAsCholmodsOwnAndAWrongOneIsRefused) {
  const int n = 200;
  stiffness_pattern k = chain(n, std::vector<double>(n, 2.5));
  vector b(n);
  for (int p = 0; p < n; ++p) b[static_cast<std::size_t>(p)] = std::cos(0.3 * p);
  factorisation own, given;
  for (int p = 0; p < n; ++p) given.ordering.push_back(static_cast<int32_t>((p * 37) % n));  // 37 is prime to 200
  factorise(own, k);
  const inertia i = factorise(given, k);
  EXPECT_TRUE(given.positive_definite);
  EXPECT_EQ(given.order, cholesky_order::given);
  EXPECT_EQ(i.positive, n);
  const vector x = solve(given, b), expected = solve(own, b);
  for (std::size_t p = 0; p < x.size(); ++p) EXPECT_NEAR(x[p], expected[p], 1e-13) << p;

  factorisation wrong;
  wrong.ordering = {0, 1, 2};
  EXPECT_THROW(factorise(wrong, k), error);
}

// A large matrix is factorised in whichever order takes fewer flops: nested dissection for
// a net's 2-D grid, CHOLMOD's minimum degree for a chain (which it factorises without fill).
TEST(CheckFactor, ALargeMatrixIsFactorisedInTheOrderOfFewerFlops) {
  const int side = 150, n = side * side;
  std::vector<Eigen::Triplet<double, int>> lower;
  for (int r = 0; r < side; ++r)
    for (int c = 0; c < side; ++c) {
      const int k = r * side + c;
      lower.emplace_back(k, k, 4.5);
      if (c + 1 < side) lower.emplace_back(k + 1, k, -1.0);
      if (r + 1 < side) lower.emplace_back(k + side, k, -1.0);
    }
  stiffness_pattern grid = pattern_from(n, lower);
  stiffness_pattern long_chain = chain(n, std::vector<double>(n, 2.5));
  vector b(n);
  for (int p = 0; p < n; ++p) b[static_cast<std::size_t>(p)] = std::sin(0.01 * p) + 0.5;

  factorisation net, cable;
  EXPECT_TRUE(factorise(net, grid).minimum());
  EXPECT_EQ(net.order, cholesky_order::dissection);
  EXPECT_LT(residual_of(grid, solve(net, b), b), 1e-12);
  EXPECT_TRUE(factorise(cable, long_chain).minimum());
  EXPECT_EQ(cable.order, cholesky_order::cholmod);
  EXPECT_LT(residual_of(long_chain, solve(cable, b), b), 1e-12);

  // Below the size where orders are compared, CHOLMOD's own stands.
  factorisation small;
  stiffness_pattern short_chain = chain(200, std::vector<double>(200, 2.5));
  factorise(small, short_chain);
  EXPECT_EQ(small.order, cholesky_order::cholmod);
}

// Parallel regions that OpenMP keeps inactive run on the thread that meets them without a
// team being started; their worksharing loops still cover every iteration once. An active
// region still gets its team.
TEST(CheckFactor, AnInactiveParallelRegionRunsOnItsOwnThreadAndAnActiveOneGetsItsTeam) {
  const int levels = omp_get_max_active_levels();
  omp_set_max_active_levels(0);
  const std::thread::id caller = std::this_thread::get_id();
  std::vector<int> covered(1000, 0);
  int team = 0, number = -1;
  bool same_thread = false;
#pragma omp parallel num_threads(4)
  {
    team = omp_get_num_threads();
    number = omp_get_thread_num();
    same_thread = std::this_thread::get_id() == caller;
#pragma omp for schedule(static)
    for (int k = 0; k < 1000; ++k) ++covered[static_cast<std::size_t>(k)];
  }
  EXPECT_EQ(team, 1);
  EXPECT_EQ(number, 0);
  EXPECT_TRUE(same_thread);
  EXPECT_EQ(std::count(covered.begin(), covered.end(), 1), 1000);

  // An inactive region inside an active one is a team of one of its own, not a share of
  // the outer team: each outer thread's inner loop covers every iteration.
  omp_set_max_active_levels(1);
  int active_team = 0;
  std::vector<int> inner_team(2, 0), inner_number(2, -1), inner_covered(2, 0);
#pragma omp parallel num_threads(2)
  {
#pragma omp single
    active_team = omp_get_num_threads();
    const auto outer = static_cast<std::size_t>(omp_get_thread_num());
#pragma omp parallel num_threads(2)
    {
      inner_team[outer] = omp_get_num_threads();
      inner_number[outer] = omp_get_thread_num();
#pragma omp for schedule(static)
      for (int k = 0; k < 100; ++k) ++inner_covered[outer];
    }
  }
  omp_set_max_active_levels(levels);
  EXPECT_EQ(active_team, 2);
  for (std::size_t outer = 0; outer < 2; ++outer) {
    EXPECT_EQ(inner_team[outer], 1) << outer;
    EXPECT_EQ(inner_number[outer], 0) << outer;
    EXPECT_EQ(inner_covered[outer], 100) << outer;
  }
}

}  // namespace
}  // namespace kalvane::newton
