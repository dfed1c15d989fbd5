// The small kernels for AVX2: this file alone is compiled for it, without fused
// multiply-adds, and is called only on a processor that has it.
#include "newton/small_kernels_body.hpp"

namespace kalvane::newton {

small_kernels avx2_small_kernels() { return these_kernels(); }

}  // namespace kalvane::newton
