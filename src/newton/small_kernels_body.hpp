// The kernels' bodies, included by each file that compiles them for its processor; all
// of internal linkage, so that no copy built for one processor stands in for another's.
#include <cmath>
#include <cstddef>

#include "newton/small_kernels.hpp"

namespace kalvane::newton {
namespace {

// Up to this many columns of a product of a transpose go through A's columns together: each
// sum still runs in its own order, and the sums of the columns overlap.
constexpr int columns_together = 4;

void gemm(bool a_plain, bool b_plain, int m, int n, int k, double alpha, const double* a, std::ptrdiff_t la,
          const double* b, std::ptrdiff_t lb, double beta, double* c, std::ptrdiff_t lc) {
  auto b_at = [&](int l, int j) { return b_plain ? b[l + j * lb] : b[j + l * lb]; };
  for (int j = 0; j < n; ++j) {
    double* cj = c + j * lc;
    if (beta == 0.0)
      for (int i = 0; i < m; ++i) cj[i] = 0.0;
    else if (beta != 1.0)
      for (int i = 0; i < m; ++i) cj[i] *= beta;
    if (a_plain) {
      for (int l = 0; l < k; ++l) {
        const double blj = alpha * b_at(l, j);
        const double* al = a + l * la;
        for (int i = 0; i < m; ++i) cj[i] += al[i] * blj;
      }
    }
  }
  if (a_plain) return;
  for (int j0 = 0; j0 < n; j0 += columns_together) {
    const int width = n - j0 < columns_together ? n - j0 : columns_together;
    for (int i = 0; i < m; ++i) {
      const double* ai = a + i * la;
      double sum[columns_together] = {0.0, 0.0, 0.0, 0.0};
      for (int l = 0; l < k; ++l)
        for (int w = 0; w < width; ++w) sum[w] += ai[l] * b_at(l, j0 + w);
      for (int w = 0; w < width; ++w) c[i + (j0 + w) * lc] += alpha * sum[w];
    }
  }
}

void syrk(int n, int k, double alpha, const double* a, std::ptrdiff_t la, double beta, double* c, std::ptrdiff_t lc) {
  for (int j = 0; j < n; ++j) {
    double* cj = c + j * lc;
    if (beta == 0.0)
      for (int i = j; i < n; ++i) cj[i] = 0.0;
    else if (beta != 1.0)
      for (int i = j; i < n; ++i) cj[i] *= beta;
    for (int l = 0; l < k; ++l) {
      const double* al = a + l * la;
      const double ajl = alpha * al[j];
      for (int i = j; i < n; ++i) cj[i] += al[i] * ajl;
    }
  }
}

void trsm(bool left, bool plain, int m, int n, const double* a, std::ptrdiff_t la, double* b, std::ptrdiff_t lb) {
  if (!left) {
    // X L' = B, column by column: x_j = (b_j - sum over l < j of x_l L(j, l)) / L(j, j).
    for (int j = 0; j < n; ++j) {
      double* xj = b + j * lb;
      for (int l = 0; l < j; ++l) {
        const double ljl = a[j + l * la];
        const double* xl = b + l * lb;
        for (int i = 0; i < m; ++i) xj[i] -= xl[i] * ljl;
      }
      const double ljj = a[j + j * la];
      for (int i = 0; i < m; ++i) xj[i] /= ljj;
    }
    return;
  }
  if (plain) {
    // L x = b, forwards.
    for (int col = 0; col < n; ++col) {
      double* x = b + col * lb;
      for (int j = 0; j < m; ++j) {
        x[j] /= a[j + j * la];
        const double xj = x[j];
        const double* lj = a + j * la;
        for (int i = j + 1; i < m; ++i) x[i] -= lj[i] * xj;
      }
    }
    return;
  }
  // L' x = b, backwards, a few right-hand sides together.
  for (int col0 = 0; col0 < n; col0 += columns_together) {
    const int width = n - col0 < columns_together ? n - col0 : columns_together;
    double* x = b + col0 * lb;
    for (int j = m - 1; j >= 0; --j) {
      const double* lj = a + j * la;
      double sum[columns_together];
      for (int w = 0; w < width; ++w) sum[w] = x[j + w * lb];
      for (int i = j + 1; i < m; ++i)
        for (int w = 0; w < width; ++w) sum[w] -= lj[i] * x[i + w * lb];
      for (int w = 0; w < width; ++w) x[j + w * lb] = sum[w] / lj[j];
    }
  }
}

// Cholesky by columns (left-looking); a pivot that is not positive stops it, as LAPACK's.
int potrf(int n, double* a, std::ptrdiff_t la) {
  for (int j = 0; j < n; ++j) {
    double* aj = a + j * la;
    for (int l = 0; l < j; ++l) {
      const double* al = a + l * la;
      const double ajl = al[j];
      for (int i = j; i < n; ++i) aj[i] -= al[i] * ajl;
    }
    if (!(aj[j] > 0.0)) return j + 1;
    aj[j] = std::sqrt(aj[j]);
    for (int i = j + 1; i < n; ++i) aj[i] /= aj[j];
  }
  return 0;
}

small_kernels these_kernels() { return {gemm, syrk, trsm, potrf}; }

}  // namespace
}  // namespace kalvane::newton
