#include "newton/split_factor.hpp"

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <thread>

#include "error.hpp"
#include "newton/cholmod_factor.hpp"

// The dense kernels for the chain, from the BLAS and LAPACK beneath CHOLMOD.
extern "C" {
void dsyrk_(const char* uplo, const char* trans, const int* n, const int* k, const double* alpha, const double* a,
            const int* lda, const double* beta, double* c, const int* ldc);
void dtrmm_(const char* side, const char* uplo, const char* trans, const char* diag, const int* m, const int* n,
            const double* alpha, const double* a, const int* lda, double* b, const int* ldb);
void dtrsm_(const char* side, const char* uplo, const char* trans, const char* diag, const int* m, const int* n,
            const double* alpha, const double* a, const int* lda, double* b, const int* ldb);
void dpotrf_(const char* uplo, const int* n, double* a, const int* lda, int* info);
}

namespace kalvane::newton {

// One half with the chain: Mh's lower triangle, its factor, and Th (the factor's chain block).
struct half_matrix {
  int32_t offset = 0, rows = 0;  // the half's own rows in the whole: [offset, offset + rows)
  std::vector<int> start, row;   // Mh by columns, its own rows first, the chain's after them
  std::vector<double> value;
  supernodal_cholesky cholmod;
  std::vector<double> chain_block;  // Th, chain x chain by columns (lower; zero above)
  std::vector<double> gram;         // Th Th', lower
  std::vector<double> work;         // right-hand sides in the half's rows, then the chain's
  std::vector<double> squared_pivots;  // the half's own rows', taken on its core
  cholmod_dense* solution = nullptr;  // CHOLMOD's solve's, and its workspace, kept for the next
  cholmod_dense* solve_work = nullptr;
  cholmod_dense* solve_extra = nullptr;
  half_matrix() = default;
  half_matrix(const half_matrix&) = delete;
  half_matrix& operator=(const half_matrix&) = delete;
  ~half_matrix() {
    for (cholmod_dense** d : {&solution, &solve_work, &solve_extra})
      if (*d) cholmod_free_dense(d, &cholmod.common);
  }
  bool factorised = false;
};

struct split_factor {
  matrix_halves halves;
  int32_t chain_start = 0;  // the chain's first row in the whole
  half_matrix one, two;
  std::vector<double> schur;  // Ts, the chain's Schur complement's factor, by columns
  std::vector<double> chain_work;
};

void split_factor_deleter::operator()(split_factor* f) const { delete f; }

matrix_halves halves_of(const std::vector<int32_t>& tree, std::size_t least_rows) {
  const auto n = static_cast<int32_t>(tree.size());
  if (tree.size() < least_rows || tree.empty()) return {};
  std::vector<int32_t> children(tree.size(), 0);
  int32_t roots = 0;
  for (int32_t parent : tree) {
    if (parent < 0) ++roots;
    else ++children[static_cast<std::size_t>(parent)];
  }
  // Down the chain from the root while each row has one child, which in a postorder is the
  // row before it. A forest has no chain: its trees share nothing.
  int32_t top = -1, chain_start = n;
  if (roots == 1) {
    top = n - 1;
    while (top > 0 && children[static_cast<std::size_t>(top)] == 1) --top;
    chain_start = top;
  }
  // Each subtree under the chain ends at its root, a child of `top`: the halves part where
  // one ends, nearest the middle.
  int32_t first = 0;
  auto off_middle = [&](int64_t end) { return std::abs(2 * end - chain_start); };
  for (int32_t r = 0; r < chain_start; ++r)
    if (tree[static_cast<std::size_t>(r)] == top && r + 1 < chain_start && off_middle(r + 1) < off_middle(first))
      first = r + 1;
  const int32_t second = chain_start - first, chain = n - chain_start;
  if (4 * static_cast<int64_t>(first) < n || 4 * static_cast<int64_t>(second) < n ||
      static_cast<int64_t>(chain) * chain > 2 * static_cast<int64_t>(n))
    return {};
  return {first, second, chain};
}

namespace {

// Mh's pattern: the half's columns with their rows renumbered, then the chain's columns.
bool take_pattern(half_matrix& h, const Eigen::SparseMatrix<double>& lower, int32_t chain_start) {
  const int* outer = lower.outerIndexPtr();
  const int* inner = lower.innerIndexPtr();
  const auto n = static_cast<int32_t>(lower.cols());
  h.start.assign(1, 0);
  h.row.clear();
  auto take_column = [&](int32_t c) {
    for (int at = outer[c]; at < outer[c + 1]; ++at) {
      const int32_t r = inner[at];
      if (r >= h.offset && r < h.offset + h.rows) h.row.push_back(r - h.offset);
      else if (r >= chain_start) h.row.push_back(r - chain_start + h.rows);
      else return false;  // an entry joining the halves
    }
    h.start.push_back(static_cast<int>(h.row.size()));
    return true;
  };
  for (int32_t c = h.offset; c < h.offset + h.rows; ++c)
    if (!take_column(c)) return false;
  for (int32_t c = chain_start; c < n; ++c)
    if (!take_column(c)) return false;
  h.value.resize(h.row.size());
  return true;
}

// Mh's values: the half's columns, then the chain's, each a run of the whole's values.
void take_values(half_matrix& h, const Eigen::SparseMatrix<double>& lower, int32_t chain_start) {
  const int* outer = lower.outerIndexPtr();
  const double* value = lower.valuePtr();
  const auto n = static_cast<int32_t>(lower.cols());
  double* out = std::copy(value + outer[h.offset], value + outer[h.offset + h.rows], h.value.data());
  std::copy(value + outer[chain_start], value + outer[n], out);
}

cholmod_sparse view_of(half_matrix& h) {
  return lower_triangle_view(h.start.size() - 1, h.start.data(), h.row.data(), h.value.data());
}

cholmod_dense view_of(std::vector<double>& work, std::size_t rows, std::size_t count) {
  cholmod_dense b{};
  b.nrow = b.d = rows;
  b.ncol = count;
  b.nzmax = rows * count;
  b.x = work.data();
  b.xtype = CHOLMOD_REAL;
  b.dtype = CHOLMOD_DOUBLE;
  return b;
}

// The factor's supernodes in turn: each with its first column, its columns' count, its rows
// (the first `columns` of them its own) and its block of values by columns.
template <class Visit>
void for_each_supernode(const cholmod_factor& factor, Visit visit) {
  const int* super = static_cast<const int*>(factor.super);
  const int* pi = static_cast<const int*>(factor.pi);
  const int* px = static_cast<const int*>(factor.px);
  const int* rows = static_cast<const int*>(factor.s);
  const double* x = static_cast<const double*>(factor.x);
  for (std::size_t k = 0; k < factor.nsuper; ++k)
    visit(super[k], super[k + 1] - super[k], rows + pi[k], pi[k + 1] - pi[k], x + px[k]);
}

// Factorises Mh (analysing it the first time, in the order it stands) and, when it is
// positive definite, takes Th from its factor and forms Th Th'.
void factorise_half(half_matrix& h, int32_t chain) {
  supernodal_cholesky& c = h.cholmod;
  cholmod_sparse a = view_of(h);
  if (!c.factor) {
    c.common.nmethods = 1;
    c.common.method[0].ordering = CHOLMOD_NATURAL;
    c.common.postorder = 0;
    c.factor = cholmod_analyze(&a, &c.common);
    if (!c.factor) fail(storage_error, "CHOLMOD could not analyse the stiffness (out of memory?)");
  }
  cholmod_factorize(&a, c.factor, &c.common);
  h.factorised = c.common.status == CHOLMOD_OK && c.factor->is_super && c.factor->minor == c.factor->n;
  if (!h.factorised) return;
  const auto size = static_cast<std::size_t>(chain);
  h.chain_block.assign(size * size, 0.0);
  h.squared_pivots.resize(static_cast<std::size_t>(h.rows));
  for_each_supernode(*c.factor, [&](int first, int columns, const int* rows, int row_count, const double* block) {
    for (int j = first; j < std::min(first + columns, h.rows); ++j) {
      const double l = block[static_cast<std::size_t>(j - first) * (row_count + 1)];
      h.squared_pivots[static_cast<std::size_t>(j)] = l * l;
    }
    for (int j = std::max(first, h.rows); j < first + columns; ++j) {
      const int local = j - first;
      double* column = h.chain_block.data() + static_cast<std::size_t>(j - h.rows) * size;
      for (int i = local; i < row_count; ++i) column[rows[i] - h.rows] = block[static_cast<std::size_t>(local) * row_count + i];
    }
  });
  h.gram.resize(size * size);
  const double one = 1.0, zero = 0.0;
  dsyrk_("L", "N", &chain, &chain, &one, h.chain_block.data(), &chain, &zero, h.gram.data(), &chain);
}

// work(f.one) here and work(f.two) on another core where the BLAS takes two callers at
// once; one after the other where it does not.
template <class Work>
void on_both_halves(split_factor& f, Work work) {
  // A threaded BLAS runs each call on its caller's thread for the whole of both halves, set
  // and restored here, so neither half's calls change with the other's timing.
  const blas_on_calling_thread alone;
  if (!blas_takes_two_callers()) {
    work(f.one);
    work(f.two);
    return;
  }
  std::exception_ptr failure;
  {
    std::jthread other([&] {
      try {
        keep_openmp_regions_inactive();
        const both_cores_busy busy;
        work(f.two);
      } catch (...) {
        failure = std::current_exception();
      }
    });
    const both_cores_busy busy;
    work(f.one);
  }
  if (failure) std::rethrow_exception(failure);
}

// x := L(Mh)^-1 x or L(Mh)^-T x for the columns in h.work, by CHOLMOD.
void solve_in_half(half_matrix& h, int system, std::size_t count) {
  const std::size_t size = h.start.size() - 1;
  cholmod_dense b = view_of(h.work, size, count);
  if (!cholmod_solve2(system, h.cholmod.factor, &b, nullptr, &h.solution, nullptr, &h.solve_work, &h.solve_extra,
                      &h.cholmod.common))
    fail(storage_error, "CHOLMOD could not solve with the stiffness (out of memory?)");
  const double* values = static_cast<const double*>(h.solution->x);
  std::copy(values, values + size * count, h.work.begin());
}

}  // namespace

split_factor_ptr split_factor_of(const Eigen::SparseMatrix<double>& lower, matrix_halves halves) {
  if (!halves.split() || !lower.isCompressed() || lower.cols() != halves.first + halves.second + halves.chain) return nullptr;
  split_factor_ptr f(new split_factor);
  f->halves = halves;
  f->chain_start = halves.first + halves.second;
  f->one.offset = 0;
  f->one.rows = halves.first;
  f->two.offset = halves.first;
  f->two.rows = halves.second;
  if (!take_pattern(f->one, lower, f->chain_start) || !take_pattern(f->two, lower, f->chain_start)) return nullptr;
  return f;
}

bool factorise_split(split_factor& f, const Eigen::SparseMatrix<double>& lower,
                     const std::function<void(double)>& squared_pivot) {
  const int32_t chain = f.halves.chain;
  on_both_halves(f, [&](half_matrix& h) {
    take_values(h, lower, f.chain_start);
    factorise_half(h, chain);
  });
  if (!f.one.factorised || !f.two.factorised) return false;
  // The chain's Schur complement T1 T1' + T2 T2' - C, its lower triangle, and its factor.
  const auto size = static_cast<std::size_t>(chain);
  f.schur.assign(size * size, 0.0);
  const int* outer = lower.outerIndexPtr();
  const int* inner = lower.innerIndexPtr();
  const double* value = lower.valuePtr();
  for (std::size_t j = 0; j < size; ++j) {
    const auto c = static_cast<std::size_t>(f.chain_start) + j;
    for (int at = outer[c]; at < outer[c + 1]; ++at)
      f.schur[j * size + static_cast<std::size_t>(inner[at] - f.chain_start)] = -value[at];
    for (std::size_t i = j; i < size; ++i) f.schur[j * size + i] += f.one.gram[j * size + i] + f.two.gram[j * size + i];
  }
  int info = 0;
  if (chain > 0) dpotrf_("L", &chain, f.schur.data(), &chain, &info);
  if (info != 0) return false;
  for (const half_matrix* h : {&f.one, &f.two})
    for (double pivot : h->squared_pivots) squared_pivot(pivot);
  for (std::size_t j = 0; j < size; ++j) squared_pivot(f.schur[j * size + j] * f.schur[j * size + j]);
  return true;
}

void release_split_values(split_factor& f) {
  for (half_matrix* h : {&f.one, &f.two}) {
    h->factorised = false;
    if (h->cholmod.factor && h->cholmod.factor->xtype != CHOLMOD_PATTERN)
      cholmod_change_factor(CHOLMOD_PATTERN, 1, 1, 1, 1, h->cholmod.factor, &h->cholmod.common);
  }
}

void solve_split(split_factor& f, double* columns, std::size_t count) {
  if (count == 0) return;
  const int chain = f.halves.chain, width = static_cast<int>(count);
  const auto size = static_cast<std::size_t>(chain);
  const std::size_t n = static_cast<std::size_t>(f.chain_start) + size;
  const double one = 1.0;
  // Forwards: each half's rows by its own factor, which leaves -Wh yh, times Th^-1, in its
  // chain rows; Th times them gives the half's part of the chain's right-hand side.
  on_both_halves(f, [&](half_matrix& h) {
    const std::size_t height = static_cast<std::size_t>(h.rows) + size;
    h.work.assign(height * count, 0.0);
    for (std::size_t k = 0; k < count; ++k)
      std::copy_n(columns + k * n + h.offset, h.rows, h.work.begin() + static_cast<std::ptrdiff_t>(k * height));
    solve_in_half(h, CHOLMOD_L, count);
    const int ld = static_cast<int>(height);
    if (chain > 0) dtrmm_("L", "L", "N", "N", &chain, &width, &one, h.chain_block.data(), &chain, h.work.data() + h.rows, &ld);
  });
  // The chain: Ts Ts' xs = bs - W1 y1 - W2 y2.
  f.chain_work.resize(size * count);
  for (std::size_t k = 0; k < count; ++k)
    for (std::size_t i = 0; i < size; ++i)
      f.chain_work[k * size + i] = columns[k * n + static_cast<std::size_t>(f.chain_start) + i] +
                                   f.one.work[k * (static_cast<std::size_t>(f.one.rows) + size) + static_cast<std::size_t>(f.one.rows) + i] +
                                   f.two.work[k * (static_cast<std::size_t>(f.two.rows) + size) + static_cast<std::size_t>(f.two.rows) + i];
  if (chain > 0) {
    dtrsm_("L", "L", "N", "N", &chain, &width, &one, f.schur.data(), &chain, f.chain_work.data(), &chain);
    dtrsm_("L", "L", "T", "N", &chain, &width, &one, f.schur.data(), &chain, f.chain_work.data(), &chain);
  }
  for (std::size_t k = 0; k < count; ++k)
    std::copy_n(f.chain_work.begin() + static_cast<std::ptrdiff_t>(k * size), size, columns + k * n + f.chain_start);
  // Backwards: L(Mh)' [xh; xs] = [yh; Th' xs] gives each half's rows.
  on_both_halves(f, [&](half_matrix& h) {
    const std::size_t height = static_cast<std::size_t>(h.rows) + size;
    const int ld = static_cast<int>(height);
    for (std::size_t k = 0; k < count; ++k)
      std::copy_n(f.chain_work.begin() + static_cast<std::ptrdiff_t>(k * size), size,
                  h.work.begin() + static_cast<std::ptrdiff_t>(k * height + static_cast<std::size_t>(h.rows)));
    if (chain > 0) dtrmm_("L", "L", "T", "N", &chain, &width, &one, h.chain_block.data(), &chain, h.work.data() + h.rows, &ld);
    solve_in_half(h, CHOLMOD_Lt, count);
    for (std::size_t k = 0; k < count; ++k)
      std::copy_n(h.work.begin() + static_cast<std::ptrdiff_t>(k * height), h.rows, columns + k * n + h.offset);
  });
}

}  // namespace kalvane::newton
