// The BLAS and LAPACK calls CHOLMOD makes for a supernodal factor, taken here when they are
// small and made beside another core's. A 2-D net's factor has some 10^5 supernodes and
// most calls are a few dozen rows by a few columns: OpenBLAS spends longer setting such a
// call up than computing it, and its threaded build takes a process-wide lock for each
// call's work buffer, so two cores factorising at once wait on each other. The small
// kernels do those calls with neither; every other call goes on to the BLAS. These
// definitions stand in for the BLAS's in any program linked with this file, CHOLMOD's
// calls included, as GOMP_parallel's does.
#include <dlfcn.h>

#include "newton/cholmod_factor.hpp"
#include "newton/small_kernels.hpp"

namespace {

using kalvane::newton::small_kernels;

// Calls of at most this many multiply-adds are done here: below it the set-up and the
// lock cost more than AVX2 loops lose to OpenBLAS's blocked kernels (measured on a 10^6-node
// net's factor, 2 cores).
constexpr double small_call = 4096.0;

const small_kernels& kernels() {
  static const small_kernels chosen = [] {
#if defined(__x86_64__)
    if (__builtin_cpu_supports("avx2")) return kalvane::newton::avx2_small_kernels();
#endif
    return kalvane::newton::baseline_small_kernels();
  }();
  return chosen;
}

template <class F>
F next_definition(const char* name) {
  return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

bool is(const char* flag, char letter) { return (*flag | 0x20) == (letter | 0x20); }
bool is_transpose(const char* flag) { return is(flag, 'T') || is(flag, 'C'); }

bool done_here(double multiply_adds) {
  return multiply_adds <= small_call && !kalvane::newton::a_core_is_idle();
}

}  // namespace

extern "C" {

using dgemm_type = void (*)(const char*, const char*, const int*, const int*, const int*, const double*, const double*,
                            const int*, const double*, const int*, const double*, double*, const int*);
void dgemm_(const char* transa, const char* transb, const int* m, const int* n, const int* k, const double* alpha,
            const double* a, const int* lda, const double* b, const int* ldb, const double* beta, double* c,
            const int* ldc) {
  const bool known = (is(transa, 'N') || is_transpose(transa)) && (is(transb, 'N') || is_transpose(transb)) &&
                     *m >= 0 && *n >= 0 && *k >= 0;
  if (!known || *alpha == 0.0 || !done_here(double(*m) * *n * *k)) {
    static const auto blas = next_definition<dgemm_type>("dgemm_");
    blas(transa, transb, m, n, k, alpha, a, lda, b, ldb, beta, c, ldc);
    return;
  }
  kernels().gemm(is(transa, 'N'), is(transb, 'N'), *m, *n, *k, *alpha, a, *lda, b, *ldb, *beta, c, *ldc);
}

using dsyrk_type = void (*)(const char*, const char*, const int*, const int*, const double*, const double*, const int*,
                            const double*, double*, const int*);
void dsyrk_(const char* uplo, const char* trans, const int* n, const int* k, const double* alpha, const double* a,
            const int* lda, const double* beta, double* c, const int* ldc) {
  if (!is(uplo, 'L') || !is(trans, 'N') || *n < 0 || *k < 0 || *alpha == 0.0 || !done_here(double(*n) * *n * *k / 2.0)) {
    static const auto blas = next_definition<dsyrk_type>("dsyrk_");
    blas(uplo, trans, n, k, alpha, a, lda, beta, c, ldc);
    return;
  }
  kernels().syrk(*n, *k, *alpha, a, *lda, *beta, c, *ldc);
}

using dtrsm_type = void (*)(const char*, const char*, const char*, const char*, const int*, const int*, const double*,
                            const double*, const int*, double*, const int*);
void dtrsm_(const char* side, const char* uplo, const char* transa, const char* diag, const int* m, const int* n,
            const double* alpha, const double* a, const int* lda, double* b, const int* ldb) {
  const bool left = is(side, 'L'), plain = is(transa, 'N');
  const bool known = (left || is(side, 'R')) && is(uplo, 'L') && is(diag, 'N') && (plain || is_transpose(transa)) &&
                     (left || !plain) && *m >= 0 && *n >= 0;
  const double order = left ? *m : *n;  // the triangle's
  if (!known || *alpha != 1.0 || !done_here(order * order * (left ? *n : *m) / 2.0)) {
    static const auto blas = next_definition<dtrsm_type>("dtrsm_");
    blas(side, uplo, transa, diag, m, n, alpha, a, lda, b, ldb);
    return;
  }
  kernels().trsm(left, plain, *m, *n, a, *lda, b, *ldb);
}

using dpotrf_type = void (*)(const char*, const int*, double*, const int*, int*);
void dpotrf_(const char* uplo, const int* n, double* a, const int* lda, int* info) {
  if (!is(uplo, 'L') || *n < 0 || !done_here(double(*n) * *n * *n / 6.0)) {
    static const auto lapack = next_definition<dpotrf_type>("dpotrf_");
    lapack(uplo, n, a, lda, info);
    return;
  }
  *info = kernels().potrf(*n, a, *lda);
}

}  // extern "C"
