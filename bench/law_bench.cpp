// Times the evaluation of the total potential, its gradient and its stiffness (what one
// Newton iteration of kalvane-path costs before its solve) on a model file's structure, at
// a displacement state that stretches every bar: how much the bars' laws, branched per bar,
// cost against the rest. A measuring program, never a test.
//
//   kalvane-law-bench MODEL_FILE [REPEATS]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "error.hpp"
#include "newton/system.hpp"
#include "path/app.hpp"
#include "structure/model_file.hpp"

namespace {

using clock_type = std::chrono::steady_clock;

double since(clock_type::time_point start) {
  return std::chrono::duration<double>(clock_type::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: kalvane-law-bench MODEL_FILE [REPEATS]\n");
    return 2;
  }
  try {
    const int repeats = argc > 2 ? std::atoi(argv[2]) : 20;
    kalvane::structure s = kalvane::read_structure(argv[1]);
    kalvane::path::start_structure(s);
    const kalvane::model& m = s.base;
    kalvane::newton::stiffness_pattern pattern = kalvane::newton::pattern_of(m);
    // A small displacement of every free component, varied so that no two bars stretch alike.
    kalvane::newton::vector x(static_cast<std::size_t>(m.free_count));
    for (std::size_t p = 0; p < x.size(); ++p) x[p] = 1e-4 * static_cast<double>(p % 7);
    double sink = 0.0;
    for (int with_stiffness = 0; with_stiffness <= 1; ++with_stiffness) {
      sink += kalvane::newton::evaluate(s, x, with_stiffness ? &pattern : nullptr).energy;  // warm
      const auto start = clock_type::now();
      for (int r = 0; r < repeats; ++r)
        sink += kalvane::newton::evaluate(s, x, with_stiffness ? &pattern : nullptr).energy;
      std::printf("%s: %.2f ms per evaluation (%d repeats)\n",
                  with_stiffness ? "energy, gradient and stiffness" : "energy and gradient",
                  1e3 * since(start) / repeats, repeats);
    }
    std::printf("(checksum %.6g)\n", sink);
  } catch (const kalvane::error& e) {
    std::fprintf(stderr, "kalvane-law-bench: %s\n", e.what());
    return 1;
  }
  return 0;
}
