#include "terms.hpp"

#include <string>

#include "error.hpp"

namespace terms {

void index_failure(long long index, long long first, long long last) {
  kalvane::fail(kalvane::index_error, "index " + std::to_string(index) + " is outside " +
                                          std::to_string(first) + ".." + std::to_string(last));
}

void check_storage(long long count, std::size_t element_size) {
  // Beyond this no machine of ours could hold the array; a smaller request that still
  // fails is caught as std::bad_alloc by main and reported the same way.
  constexpr long long limit = 1LL << 40;
  if (count < 0 || count > limit / static_cast<long long>(element_size))
    kalvane::fail(kalvane::storage_error, "an array of " + std::to_string(count) +
                                              " elements cannot be allocated");
}

}  // namespace terms
