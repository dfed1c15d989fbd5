#include "newton/factor.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <dlfcn.h>
#include <mutex>
#include <utility>
#include <omp.h>
#include <vector>

#include "companion/huge_pages.hpp"
#include "error.hpp"
#include "newton/cholmod_factor.hpp"
#include "newton/dissection.hpp"
#include "newton/split_factor.hpp"

// CHOLMOD's supernodal step opens an OpenMP parallel region for each supernode's scatter
// loops, and every region here is kept inactive (see supernodal_cholesky's constructor).
// libgomp still starts and ends a team of one for each, and ends it with a futex wake: a
// system call per region, millions for a large net, which on a virtual machine cost more
// than the factorisation itself (a 10^6-node net: 1.5 s against 3.4 s). An inactive region
// met outside any other is run as OpenMP defines it: by the thread that meets it, as
// thread 0 of a team of one, its worksharing loops bound to that team. Every other region
// goes to libgomp. This definition stands in for libgomp's in any program linked with this
// file, CHOLMOD's calls included.
extern "C" void GOMP_parallel(void (*body)(void*), void* data, unsigned threads, unsigned flags) {
  if (omp_get_level() == 0 && (threads == 1 || omp_get_max_active_levels() == 0)) {
    body(data);
    return;
  }
  using entry = void (*)(void (*)(void*), void*, unsigned, unsigned);
  static const auto libgomp = reinterpret_cast<entry>(dlsym(RTLD_NEXT, "GOMP_parallel"));
  if (!libgomp) {
    body(data);  // no libgomp behind this one: a team of one is what OpenMP may always give
    return;
  }
  libgomp(body, data, threads, flags);
}

// CHOLMOD's supernodal step reads the clock around every BLAS call it makes, for timing
// statistics in its common block that nothing here reads: four clock reads for each pair
// of supernodes, 0.1 s of a 10^6-node factorisation. This definition stands in for
// SuiteSparse's in any program linked with this file; a clock that stands still keeps
// those statistics at zero and changes nothing else CHOLMOD computes.
extern "C" double SuiteSparse_time() { return 0.0; }

namespace kalvane::newton {

void supernodal_cholesky_deleter::operator()(supernodal_cholesky* c) const { delete c; }

namespace {

// A pivot this small against the largest diagonal entry is zero to within rounding: the
// factorisation's own errors are of the order of the unit roundoff times that entry.
constexpr double zero_pivot = 1e-11;

double largest_diagonal(const stiffness_pattern& pattern) {
  double largest = 0.0;
  const double* values = pattern.matrix.valuePtr();
  for (int32_t at : pattern.diagonal) largest = std::max(largest, std::fabs(values[at]));
  return largest;
}

// The lower triangle as CHOLMOD reads it, without a copy.
cholmod_sparse view_of(Eigen::SparseMatrix<double>& matrix) {
  return lower_triangle_view(static_cast<std::size_t>(matrix.rows()), matrix.outerIndexPtr(), matrix.innerIndexPtr(),
                             matrix.valuePtr());
}

void count_pivot(inertia& result, double pivot) {
  result.smallest_pivot = std::min(result.smallest_pivot, std::fabs(pivot));
  if (!(std::fabs(pivot) > zero_pivot)) ++result.zero;
  else if (pivot < 0.0) ++result.negative;
  else ++result.positive;
}

// From this many rows on, a factorisation without a given order compares CHOLMOD's own
// with nested dissection.
constexpr std::size_t compared_orders_from = 20000;

// The symbolic analysis in the order `order` (order[k] the row eliminated k-th), or with
// no order (null) in the matrix's own, which is then neither ordered nor postordered
// again: CHOLMOD keeps the matrix as it is, in its analysis and in every factorisation.
// CHOLMOD's own strategy is restored for the next analysis.
cholmod_factor* analyse_in(supernodal_cholesky& c, cholmod_sparse& a, const std::vector<int32_t>* order) {
  static_assert(sizeof(int32_t) == sizeof(int));
  const int methods = c.common.nmethods, first = c.common.method[0].ordering, postorder = c.common.postorder;
  c.common.nmethods = 1;
  c.common.method[0].ordering = order ? CHOLMOD_GIVEN : CHOLMOD_NATURAL;
  if (!order) c.common.postorder = 0;
  int* given = order ? const_cast<int*>(reinterpret_cast<const int*>(order->data())) : nullptr;
  cholmod_factor* factor = cholmod_analyze_p(&a, given, nullptr, 0, &c.common);
  c.common.nmethods = methods;
  c.common.method[0].ordering = first;
  c.common.postorder = postorder;
  return factor;
}

// L L^T succeeds exactly when the matrix is positive definite (to rounding); the pivots of
// its LDL^T are then the squares of L's diagonal, stored first in each supernode's block.
bool cholesky(factorisation& f, Eigen::SparseMatrix<double>& matrix, double reference, inertia& result) {
  if (!f.cholesky && !f.split && f.in_elimination_order && !f.elimination_tree.empty())
    f.split = split_factor_of(matrix, halves_of(f.elimination_tree));
  if (f.split) {
    f.order = cholesky_order::given;
    const std::lock_guard<std::mutex> one_at_a_time(blas_in_use());
    const blas_on_calling_thread alone;
    return factorise_split(*f.split, matrix, [&](double squared) { count_pivot(result, squared / reference); });
  }
  if (!f.cholesky) f.cholesky.reset(new supernodal_cholesky);
  supernodal_cholesky& c = *f.cholesky;
  cholmod_sparse a = view_of(matrix);
  if (!c.factor) {
    if (f.in_elimination_order) {
      c.factor = analyse_in(c, a, nullptr);
      f.order = cholesky_order::given;
    } else if (!f.ordering.empty()) {
      if (f.ordering.size() != a.nrow) fail(storage_error, "the fill-reducing order given for the factorisation does not match its matrix");
      c.factor = analyse_in(c, a, &f.ordering);
      f.order = cholesky_order::given;
    } else {
      c.factor = cholmod_analyze(&a, &c.common);
      f.order = cholesky_order::cholmod;
      if (c.factor && a.nrow >= compared_orders_from) {
        // A net's stiffness takes a third fewer flops in nested dissection order, a tower's
        // more: the factor is analysed in both and kept in the one of fewer. The analysis is
        // made once per pattern, the factorisations it serves are many.
        const double own_flops = c.common.fl;
        const std::vector<int32_t> dissection = nested_dissection(matrix);
        cholmod_factor* dissected = analyse_in(c, a, &dissection);
        if (dissected && c.common.fl < own_flops) {
          cholmod_free_factor(&c.factor, &c.common);
          c.factor = dissected;
          f.order = cholesky_order::dissection;
        } else if (dissected) {
          cholmod_free_factor(&dissected, &c.common);
        }
      }
    }
    if (!c.factor) fail(storage_error, "CHOLMOD could not analyse the stiffness (out of memory?)");
  }
  {
    const std::lock_guard<std::mutex> one_at_a_time(blas_in_use());
    const blas_on_calling_thread alone;
    cholmod_factorize(&a, c.factor, &c.common);
  }
  if (c.common.status != CHOLMOD_OK || !c.factor->is_super || c.factor->minor < c.factor->n) return false;
  const int* super = static_cast<const int*>(c.factor->super);
  const int* pi = static_cast<const int*>(c.factor->pi);
  const int* px = static_cast<const int*>(c.factor->px);
  const double* x = static_cast<const double*>(c.factor->x);
  for (std::size_t k = 0; k < c.factor->nsuper; ++k) {
    const int columns = super[k + 1] - super[k], rows = pi[k + 1] - pi[k];
    for (int j = 0; j < columns; ++j) {
      const double l = x[px[k] + j * (rows + 1)];
      count_pivot(result, l * l / reference);
    }
  }
  return true;
}

// Frees the numbers of a supernodal factor and keeps its analysis, which the next
// factorisation of the pattern reuses.
void release_values(supernodal_cholesky& c) {
  if (c.factor && c.factor->xtype != CHOLMOD_PATTERN)
    cholmod_change_factor(CHOLMOD_PATTERN, 1, 1, 1, 1, c.factor, &c.common);
}

// The pivots of an LDL^T of `matrix` counted against `reference`; false when it met an
// exact zero.
bool count_ldlt_pivots(const Eigen::SparseMatrix<double>& matrix, double reference, inertia& counted) {
  simplicial_ldlt factor;
  factor.compute(matrix);
  if (factor.info() != Eigen::Success) return false;
  const auto& d = factor.vectorD();
  for (Eigen::Index i = 0; i < d.size(); ++i) count_pivot(counted, d[i] / reference);
  return true;
}

// The inertia of a singular matrix by Sylvester's law on two shifts, K + d I and K - d I with
// d the zero pivots' bound: the first's negative pivots count the eigenvalues below -d, the
// second's positive ones those above d, and the rest are zero. True when both factorised.
bool count_by_shifts(const Eigen::SparseMatrix<double>& matrix, double reference, inertia& result) {
  inertia counted, above, below;
  Eigen::SparseMatrix<double> shifted = matrix;
  for (Eigen::Index c = 0; c < shifted.cols(); ++c) shifted.coeffRef(c, c) += zero_pivot * reference;
  if (!count_ldlt_pivots(shifted, reference, above)) return false;
  for (Eigen::Index c = 0; c < shifted.cols(); ++c) shifted.coeffRef(c, c) -= 2.0 * zero_pivot * reference;
  if (!count_ldlt_pivots(shifted, reference, below)) return false;
  counted.negative = above.negative;
  counted.positive = below.positive;
  counted.zero = static_cast<long>(matrix.cols()) - counted.negative - counted.positive;
  counted.smallest_pivot = 0.0;
  result = counted;
  return true;
}

bool count_around_empty_rows(const Eigen::SparseMatrix<double>& matrix, double reference, inertia& result) {
  const Eigen::Index n = matrix.cols();
  std::vector<char> empty(static_cast<std::size_t>(n), 1);
  for (Eigen::Index c = 0; c < n; ++c)
    for (Eigen::SparseMatrix<double>::InnerIterator it(matrix, c); it; ++it)
      if (std::fabs(it.value()) > zero_pivot * reference)
        empty[static_cast<std::size_t>(it.row())] = empty[static_cast<std::size_t>(c)] = 0;
  const auto held = static_cast<long>(std::count(empty.begin(), empty.end(), 1));
  if (held == 0) return false;
  Eigen::SparseMatrix<double> holding = matrix;
  for (Eigen::Index c = 0; c < n; ++c)
    if (empty[static_cast<std::size_t>(c)]) holding.coeffRef(c, c) = reference;
  // Each row held alone gives the pivot it was given, positive.
  inertia counted;
  if (!count_ldlt_pivots(holding, reference, counted)) return false;
  counted.positive -= held;
  counted.zero += held;
  counted.smallest_pivot = 0.0;
  result = counted;
  return true;
}

void ldlt(factorisation& f, Eigen::SparseMatrix<double>& matrix, double reference, inertia& result) {
  if (!f.ldlt) {
    f.ldlt = std::make_unique<simplicial_ldlt>();
    f.ldlt->analyzePattern(matrix);
  }
  f.ldlt->factorize(matrix);
  f.ok = f.ldlt->info() == Eigen::Success;
  if (!f.ok) {
    // The factorisation stops at an exact zero pivot, so the rest of D is not known: one
    // zero, unless the zeros are components whose whole row is zero to rounding (what
    // nothing holds, a node only slack cables reach). Those are counted as zero and held
    // as the stiffest is, and the rest is factorised for its own count; failing that, the
    // count comes from two shifts. f stays unusable for solves: the matrix is singular.
    result.zero = 1;
    if (!count_around_empty_rows(matrix, reference, result)) count_by_shifts(matrix, reference, result);
    return;
  }
  const auto& d = f.ldlt->vectorD();
  for (Eigen::Index i = 0; i < d.size(); ++i) count_pivot(result, d[i] / reference);
}

// The factor of a large net fills a few hundred megabytes on its first touch; in 4 KiB pages
// the kernel's faults cost a fifth of the checks' time. Large blocks ask for huge pages, and
// the largest (the factor's numbers, filled supernode by supernode) are faulted in ahead on
// another core, or, where both cores factorise, at once in one call.
constexpr std::size_t populated_bytes = std::size_t{64} << 20;

void* large_block(void* block, std::size_t bytes) {
  companion::advise_huge_pages(block, bytes);
  if (bytes < populated_bytes) return block;
  if (a_core_is_idle()) companion::populate_in_background(block, bytes);
  else companion::populate_now(block, bytes);
  return block;
}

void* allocate(std::size_t bytes) { return large_block(std::malloc(bytes), bytes); }
void* allocate_zeroed(std::size_t count, std::size_t size) { return large_block(std::calloc(count, size), count * size); }
void* reallocate(void* block, std::size_t bytes) {
  companion::stop_populating(block);
  return large_block(std::realloc(block, bytes), bytes);
}
void release(void* block) {
  companion::stop_populating(block);
  std::free(block);
}

}  // namespace

supernodal_cholesky::supernodal_cholesky() {
  SuiteSparse_config.malloc_func = allocate;
  SuiteSparse_config.calloc_func = allocate_zeroed;
  SuiteSparse_config.realloc_func = reallocate;
  SuiteSparse_config.free_func = release;
  keep_openmp_regions_inactive();
  cholmod_start(&common);
  common.supernodal = CHOLMOD_SUPERNODAL;
  common.final_ll = 1;
  common.quick_return_if_not_posdef = 1;  // the simplicial LDL^T takes over at once
  common.print = 0;
  common.error_handler = nullptr;
}

supernodal_cholesky::~supernodal_cholesky() {
  if (factor) cholmod_free_factor(&factor, &common);
  cholmod_finish(&common);
}

namespace {

// Factorises pattern.matrix with each diagonal entry d replaced by changed(d, largest), where
// largest is the largest diagonal entry; the entries are put back exactly afterwards.
// With `definite_only`, a matrix that is not positive definite is left unfactorised
// (f.ok false, its inertia not counted): the LDL^T that would count it costs several
// Cholesky attempts.
template <class Change>
inertia factorise_changed(factorisation& f, stiffness_pattern& pattern, Change changed, bool definite_only = false) {
  double* values = pattern.matrix.valuePtr();
  const double scale = largest_diagonal(pattern);
  // Kept, not undone by arithmetic: (d + a) - a need not be d.
  std::vector<std::pair<int32_t, double>> kept;
  double reference = scale;
  for (int32_t at : pattern.diagonal) {
    const double d = changed(values[at], scale);
    if (d == values[at]) continue;
    kept.emplace_back(at, values[at]);
    values[at] = d;
    reference = std::max(reference, d);
  }
  if (!(reference > 0.0)) reference = 1.0;
  inertia result;
  result.smallest_pivot = INFINITY;
  ++f.count;
  // A failed Cholesky counts no pivot, so the LDL^T starts from the same empty count.
  f.ldlt.reset();  // one numeric factor at a time
  f.positive_definite = pattern.matrix.rows() > 0 && cholesky(f, pattern.matrix, reference, result);
  if (f.positive_definite) {
    f.ok = true;
  } else if (definite_only) {
    f.ok = false;
  } else {
    if (f.cholesky) release_values(*f.cholesky);
    if (f.split) release_split_values(*f.split);
    ldlt(f, pattern.matrix, reference, result);
  }
  if (result.smallest_pivot == INFINITY) result.smallest_pivot = 0.0;  // no pivot known
  for (const auto& [at, d] : kept) values[at] = d;
  return result;
}

}  // namespace

inertia factorise(factorisation& f, stiffness_pattern& pattern, double shift) {
  if (shift == 0.0) return factorise_changed(f, pattern, [](double d, double) { return d; });
  return factorise_changed(f, pattern, [shift](double d, double scale) { return d + shift * (scale > 0.0 ? scale : 1.0); });
}

bool factorise_if_definite(factorisation& f, stiffness_pattern& pattern, double shift) {
  const inertia shifted = factorise_changed(
      f, pattern, [shift](double d, double scale) { return d + shift * (scale > 0.0 ? scale : 1.0); }, true);
  return f.positive_definite && shifted.minimum();
}

inertia factorise_holding_free(factorisation& f, stiffness_pattern& pattern) {
  return factorise_changed(f, pattern, [](double d, double scale) {
    return std::fabs(d) <= zero_pivot * scale && scale > 0.0 ? scale : d;
  });
}

std::vector<std::size_t> held_by_nothing(const stiffness_pattern& pattern) {
  const double scale = largest_diagonal(pattern);
  const double* values = pattern.matrix.valuePtr();
  std::vector<std::size_t> free;
  for (std::size_t p = 0; p < pattern.diagonal.size(); ++p)
    if (std::fabs(values[pattern.diagonal[p]]) <= zero_pivot * scale) free.push_back(p);
  return free;
}

void solve_columns(factorisation& f, vector& columns, std::size_t count) {
  if (count == 0) return;
  const std::size_t n = columns.size() / count;
  if (!f.positive_definite) {
    Eigen::Map<Eigen::MatrixXd> b(columns.data(), static_cast<Eigen::Index>(n), static_cast<Eigen::Index>(count));
    b = f.ldlt->solve(b).eval();
    return;
  }
  if (f.split) {
    const std::lock_guard<std::mutex> one_at_a_time(blas_in_use());
    const blas_on_calling_thread alone;
    solve_split(*f.split, columns.data(), count);
    return;
  }
  cholmod_dense b{};
  b.nrow = b.d = n;
  b.ncol = count;
  b.nzmax = columns.size();
  b.x = columns.data();  // only read
  b.xtype = CHOLMOD_REAL;
  b.dtype = CHOLMOD_DOUBLE;
  cholmod_dense* x = nullptr;
  {
    const std::lock_guard<std::mutex> one_at_a_time(blas_in_use());
    const blas_on_calling_thread alone;
    x = cholmod_solve(CHOLMOD_A, f.cholesky->factor, &b, &f.cholesky->common);
  }
  if (!x) fail(storage_error, "CHOLMOD could not solve with the stiffness (out of memory?)");
  const double* values = static_cast<const double*>(x->x);
  std::copy(values, values + columns.size(), columns.begin());
  cholmod_free_dense(&x, &f.cholesky->common);
}

vector solve(factorisation& f, const vector& rhs) {
  vector x = rhs;
  solve_columns(f, x, 1);
  return x;
}

}  // namespace kalvane::newton
