// The small dense kernels that stand in for the BLAS on small supernodes, for the
// baseline processor and for AVX2 where this one has it, against Eigen's dense products
// and factorisations, in every variant CHOLMOD calls.
#include <gtest/gtest.h>

#include <Eigen/Dense>

#include <cmath>
#include <vector>

#include "newton/small_kernels.hpp"

namespace kalvane::newton {
namespace {

std::vector<small_kernels> kernels_here() {
  std::vector<small_kernels> all{baseline_small_kernels()};
#if defined(__x86_64__)
  if (__builtin_cpu_supports("avx2")) all.push_back(avx2_small_kernels());
#endif
  return all;
}

Eigen::MatrixXd filled(int rows, int columns, double seed) {
  Eigen::MatrixXd m(rows, columns);
  for (Eigen::Index k = 0; k < m.size(); ++k) m.data()[k] = std::sin(seed + 0.61 * static_cast<double>(k));
  return m;
}

double largest_difference(const Eigen::MatrixXd& a, const Eigen::MatrixXd& b) { return (a - b).cwiseAbs().maxCoeff(); }

TEST(NewtonSmallKernels, ProductsMatchEigensInEveryTransposeAndScale) {
  for (const small_kernels& k : kernels_here()) {
    for (bool a_plain : {true, false})
      for (bool b_plain : {true, false})
        for (double beta : {0.0, 1.0, -0.5}) {
          const int m = 7, n = 5, depth = 6, ld = 9;  // leading dimensions beyond the rows
          const Eigen::MatrixXd a = a_plain ? filled(ld, depth, 1.0) : filled(ld, m, 1.0);
          const Eigen::MatrixXd b = b_plain ? filled(ld, n, 2.0) : filled(ld, depth, 2.0);
          Eigen::MatrixXd c = filled(ld, n, 3.0);
          if (beta == 0.0) c.topRows(m).setConstant(NAN);  // not read when beta is zero
          const Eigen::MatrixXd op_a = a_plain ? Eigen::MatrixXd(a.topRows(m)) : Eigen::MatrixXd(a.topRows(depth).transpose());
          const Eigen::MatrixXd op_b = b_plain ? Eigen::MatrixXd(b.topRows(depth)) : Eigen::MatrixXd(b.topRows(n).transpose());
          Eigen::MatrixXd expected = c;
          expected.topRows(m) = -2.0 * op_a * op_b + (beta == 0.0 ? Eigen::MatrixXd::Zero(m, n) : (beta * c.topRows(m)).eval());
          k.gemm(a_plain, b_plain, m, n, depth, -2.0, a.data(), ld, b.data(), ld, beta, c.data(), ld);
          EXPECT_LT(largest_difference(c, expected), 1e-13) << a_plain << b_plain << beta;
        }
    const int n = 8, depth = 3, ld = 10;
    const Eigen::MatrixXd a = filled(ld, depth, 4.0);
    Eigen::MatrixXd c = filled(ld, n, 5.0);
    const Eigen::MatrixXd before = c;
    k.syrk(n, depth, 1.5, a.data(), ld, 0.5, c.data(), ld);
    const Eigen::MatrixXd expected = 1.5 * a.topRows(n) * a.topRows(n).transpose() + 0.5 * before.topRows(n);
    for (int j = 0; j < n; ++j)
      for (int i = 0; i < ld; ++i) {
        const double wanted = i >= j && i < n ? expected(i, j) : before(i, j);  // only the lower triangle
        EXPECT_NEAR(c(i, j), wanted, 1e-13) << i << "," << j;
      }
  }
}

TEST(NewtonSmallKernels, TriangularSolvesAndCholeskyMatchEigens) {
  for (const small_kernels& k : kernels_here()) {
    const int n = 6, ld = 8, columns = 3;
    Eigen::MatrixXd spd = filled(n, n, 6.0);
    spd = (spd * spd.transpose()).eval() + n * Eigen::MatrixXd::Identity(n, n);
    Eigen::MatrixXd a = Eigen::MatrixXd::Constant(ld, n, 7.0);  // the upper triangle is never read
    for (int j = 0; j < n; ++j)
      for (int i = j; i < n; ++i) a(i, j) = spd(i, j);
    ASSERT_EQ(k.potrf(n, a.data(), ld), 0);
    const Eigen::MatrixXd l = spd.llt().matrixL();
    for (int j = 0; j < n; ++j)
      for (int i = j; i < n; ++i) EXPECT_NEAR(a(i, j), l(i, j), 1e-13);
    const Eigen::MatrixXd factor = a.topRows(n).triangularView<Eigen::Lower>();

    const Eigen::MatrixXd rhs = filled(ld, columns, 8.0);
    Eigen::MatrixXd x = rhs;
    k.trsm(true, true, n, columns, a.data(), ld, x.data(), ld);
    EXPECT_LT(largest_difference(factor * x.topRows(n), rhs.topRows(n)), 1e-13);
    x = rhs;
    k.trsm(true, false, n, columns, a.data(), ld, x.data(), ld);
    EXPECT_LT(largest_difference(factor.transpose() * x.topRows(n), rhs.topRows(n)), 1e-13);
    Eigen::MatrixXd right = filled(4, ld, 9.0);  // 4 rows, times L^-T from the right
    const Eigen::MatrixXd right_before = right;
    k.trsm(false, false, 4, n, a.data(), ld, right.data(), 4);
    EXPECT_LT(largest_difference(right.leftCols(n) * factor.transpose(), right_before.leftCols(n)), 1e-13);

    // The first pivot that is not positive is named, from 1, as LAPACK names it.
    Eigen::MatrixXd indefinite = spd;
    indefinite(3, 3) = -1.0;
    EXPECT_EQ(k.potrf(n, indefinite.data(), n), 4);
    Eigen::MatrixXd not_a_number = spd;
    not_a_number(0, 0) = NAN;
    EXPECT_EQ(k.potrf(n, not_a_number.data(), n), 1);
  }
}

}  // namespace
}  // namespace kalvane::newton
