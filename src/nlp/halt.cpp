#include <cstdio>

#include "error.hpp"
#include "nlp/linesearch.hpp"

namespace nlp {

void halt() {
  std::fputs("Line Search Failure\n", stdout);
  std::fflush(stdout);
  throw kalvane::error("NLP.HALT", "nlp:126 instantiated at kalvane:342");
}

}  // namespace nlp
