#pragma once
// CHOLMOD's workspace and factor as the Newton library's factorisations hold them, and the
// BLAS beneath CHOLMOD as they share it. Seen by the sources that call CHOLMOD only.
#include <cholmod.h>

#include <mutex>

namespace kalvane::newton {

// One workspace and the factor of one pattern, analysed once and refactorised in place;
// set up for a supernodal L L^T with the companions' memory and without OpenMP teams.
struct supernodal_cholesky {
  cholmod_common common;
  cholmod_factor* factor = nullptr;
  supernodal_cholesky();
  ~supernodal_cholesky();
  supernodal_cholesky(const supernodal_cholesky&) = delete;
  supernodal_cholesky& operator=(const supernodal_cholesky&) = delete;
};

// A lower triangle by columns as CHOLMOD reads it, without a copy: n columns, column c's
// rows (sorted) row[start[c]] .. row[start[c + 1] - 1] with their values.
inline cholmod_sparse lower_triangle_view(std::size_t n, int* start, int* row, double* value) {
  cholmod_sparse a{};
  a.nrow = a.ncol = n;
  a.nzmax = static_cast<std::size_t>(start[n]);
  a.p = start;
  a.i = row;
  a.x = value;
  a.stype = -1;
  a.itype = CHOLMOD_INT;
  a.xtype = CHOLMOD_REAL;
  a.dtype = CHOLMOD_DOUBLE;
  a.sorted = 1;
  a.packed = 1;
  return a;
}

// CHOLMOD's supernodal step asks OpenMP for a team for each supernode's small scatter loops;
// waking and parking it costs more than the loops, so every region runs alone. The setting
// is each thread's own: a thread that calls CHOLMOD makes it first.
void keep_openmp_regions_inactive();

// Whoever calls the BLAS holds this. A serial OpenBLAS keeps its work buffers for the whole
// process, with no lock: two threads in it at once (paths run side by side in one process,
// as the Python module's studies run them) overwrite each other's numbers.
std::mutex& blas_in_use();

// True when the BLAS may be called from two threads at once: a threaded OpenBLAS (its
// pthreads build), whose buffers are locked. A serial one, or a BLAS that does not say
// what it is, is called from one thread at a time.
bool blas_takes_two_callers();

// For its lifetime, a threaded OpenBLAS runs each call on the calling thread alone (the
// kernels a serial one runs), so that two callers use one core each; as it was afterwards.
struct blas_on_calling_thread {
  int threads = 0;
  blas_on_calling_thread();
  ~blas_on_calling_thread();
  blas_on_calling_thread(const blas_on_calling_thread&) = delete;
  blas_on_calling_thread& operator=(const blas_on_calling_thread&) = delete;
};

// A large block of a factor is faulted in on the other core, ahead of the arithmetic, when
// that core is idle; a thread that works beside another on the two cores says so for its
// lifetime.
bool a_core_is_idle();
struct both_cores_busy {
  both_cores_busy();
  ~both_cores_busy();
  both_cores_busy(const both_cores_busy&) = delete;
  both_cores_busy& operator=(const both_cores_busy&) = delete;
};

}  // namespace kalvane::newton
