#pragma once
// The small dense kernels that stand in for the BLAS on a factor's small supernodes (see
// small_blas.cpp), by columns, each in the order its operation is defined. Compiled twice:
// for the baseline processor and, in small_kernels_avx2.cpp, for AVX2 (without fused
// multiply-adds), chosen once by what the processor has.
#include <cstddef>

namespace kalvane::newton {

struct small_kernels {
  // C = alpha op(A) op(B) + beta C; op is the matrix itself when `plain`, its transpose else.
  void (*gemm)(bool a_plain, bool b_plain, int m, int n, int k, double alpha, const double* a, std::ptrdiff_t lda,
               const double* b, std::ptrdiff_t ldb, double beta, double* c, std::ptrdiff_t ldc);
  // C = alpha A A' + beta C, C's lower triangle.
  void (*syrk)(int n, int k, double alpha, const double* a, std::ptrdiff_t lda, double beta, double* c,
               std::ptrdiff_t ldc);
  // B := L^-1 B (left, plain), L^-T B (left, transposed) or B L^-T (right, transposed).
  void (*trsm)(bool left, bool plain, int m, int n, const double* a, std::ptrdiff_t lda, double* b, std::ptrdiff_t ldb);
  // A = L L' in A's lower triangle; 0, or the column (from 1) whose pivot is not positive.
  int (*potrf)(int n, double* a, std::ptrdiff_t lda);
};

small_kernels baseline_small_kernels();
small_kernels avx2_small_kernels();  // on x86-64 only, where the processor has AVX2

}  // namespace kalvane::newton
