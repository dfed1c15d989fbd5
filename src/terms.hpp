#pragma once
// Bounds-checked arrays whose first and last index per dimension are fixed when they are
// allocated. Elements are stored row-major (last index fastest) and start as zero.
#include <cstdint>
#include <vector>

namespace terms {

[[noreturn]] void index_failure(long long index, long long first, long long last);
// Throws the storage error when `count` elements of `element_size` bytes cannot be had.
void check_storage(long long count, std::size_t element_size);

inline long long extent(int32_t first, int32_t last) {
  return last < first ? 0 : static_cast<long long>(last) - first + 1;
}

inline void check_index(long long index, int32_t first, int32_t last) {
  if (index < first || index > last) index_failure(index, first, last);
}

template <class T>
struct array1 {
  int32_t first = 1, last = 0;
  std::vector<T> data;

  void allocate(int32_t first_index, int32_t last_index) {
    long long n = extent(first_index, last_index);
    check_storage(n, sizeof(T));
    data.assign(static_cast<std::size_t>(n), T{});
    first = first_index;
    last = last_index;
  }
  long long length() const { return static_cast<long long>(data.size()); }
  T& operator()(long long i) {
    check_index(i, first, last);
    return data[static_cast<std::size_t>(i - first)];
  }
  const T& operator()(long long i) const {
    check_index(i, first, last);
    return data[static_cast<std::size_t>(i - first)];
  }
};

template <class T>
struct array2 {
  int32_t first1 = 1, last1 = 0, first2 = 1, last2 = 0;
  std::vector<T> data;

  void allocate(int32_t f1, int32_t l1, int32_t f2, int32_t l2) {
    long long n1 = extent(f1, l1), n2 = extent(f2, l2);
    if (n1 != 0 && n2 > (1LL << 62) / n1) check_storage(-1, sizeof(T));
    check_storage(n1 * n2, sizeof(T));
    data.assign(static_cast<std::size_t>(n1 * n2), T{});
    first1 = f1, last1 = l1, first2 = f2, last2 = l2;
  }
  long long columns() const { return extent(first2, last2); }
  T& operator()(long long i, long long j) {
    check_index(i, first1, last1);
    check_index(j, first2, last2);
    return data[static_cast<std::size_t>((i - first1) * columns() + (j - first2))];
  }
  const T& operator()(long long i, long long j) const {
    check_index(i, first1, last1);
    check_index(j, first2, last2);
    return data[static_cast<std::size_t>((i - first1) * columns() + (j - first2))];
  }
};

template <class T>
struct array3 {
  int32_t first1 = 1, last1 = 0, first2 = 1, last2 = 0, first3 = 1, last3 = 0;
  std::vector<T> data;

  void allocate(int32_t f1, int32_t l1, int32_t f2, int32_t l2, int32_t f3, int32_t l3) {
    long long n1 = extent(f1, l1), n2 = extent(f2, l2), n3 = extent(f3, l3);
    if (n1 != 0 && n2 > (1LL << 62) / n1) check_storage(-1, sizeof(T));
    if (n1 * n2 != 0 && n3 > (1LL << 62) / (n1 * n2)) check_storage(-1, sizeof(T));
    check_storage(n1 * n2 * n3, sizeof(T));
    data.assign(static_cast<std::size_t>(n1 * n2 * n3), T{});
    first1 = f1, last1 = l1, first2 = f2, last2 = l2, first3 = f3, last3 = l3;
  }
  T& operator()(long long i, long long j, long long k) {
    check_index(i, first1, last1);
    check_index(j, first2, last2);
    check_index(k, first3, last3);
    return data[offset(i, j, k)];
  }
  const T& operator()(long long i, long long j, long long k) const {
    check_index(i, first1, last1);
    check_index(j, first2, last2);
    check_index(k, first3, last3);
    return data[offset(i, j, k)];
  }

 private:
  std::size_t offset(long long i, long long j, long long k) const {
    long long n2 = extent(first2, last2), n3 = extent(first3, last3);
    return static_cast<std::size_t>(((i - first1) * n2 + (j - first2)) * n3 + (k - first3));
  }
};

using fmat1 = array1<double>;
using fmat2 = array2<double>;
using fmat3 = array3<double>;
using imat1 = array1<int32_t>;
using imat2 = array2<int32_t>;
using imat3 = array3<int32_t>;
using bmat1 = array1<bool>;
using bmat2 = array2<bool>;
using bmat3 = array3<bool>;

}  // namespace terms
