#include "newton/small_kernels_body.hpp"

namespace kalvane::newton {

small_kernels baseline_small_kernels() { return these_kernels(); }

}  // namespace kalvane::newton
