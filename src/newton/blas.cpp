#include <dlfcn.h>
#include <omp.h>

#include "newton/cholmod_factor.hpp"

namespace kalvane::newton {

namespace {

// OpenBLAS's own controls, looked up where the BLAS is: another BLAS lacks them.
using get_int = int (*)();
using set_int = void (*)(int);

template <class F>
F openblas(const char* name) {
  return reinterpret_cast<F>(dlsym(RTLD_DEFAULT, name));
}

}  // namespace

namespace {
thread_local bool beside_another = false;
}  // namespace

bool a_core_is_idle() { return !beside_another; }
both_cores_busy::both_cores_busy() { beside_another = true; }
both_cores_busy::~both_cores_busy() { beside_another = false; }

void keep_openmp_regions_inactive() { omp_set_max_active_levels(0); }

std::mutex& blas_in_use() {
  static std::mutex in_use;
  return in_use;
}

bool blas_takes_two_callers() {
  // openblas_get_parallel: 0 serial, 1 pthreads, 2 OpenMP (whose pool is not for two
  // outside callers at once).
  static const bool two = [] {
    const auto parallel = openblas<get_int>("openblas_get_parallel");
    return parallel && parallel() == 1;
  }();
  return two;
}

blas_on_calling_thread::blas_on_calling_thread() {
  const auto get = openblas<get_int>("openblas_get_num_threads");
  const auto set = openblas<set_int>("openblas_set_num_threads");
  if (!get || !set) return;
  threads = get();
  if (threads > 1) set(1);
}

blas_on_calling_thread::~blas_on_calling_thread() {
  if (threads > 1) openblas<set_int>("openblas_set_num_threads")(threads);
}

}  // namespace kalvane::newton
