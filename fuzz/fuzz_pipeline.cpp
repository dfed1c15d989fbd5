// Fuzz target: the whole run on small inputs, in a scratch directory of its own: the
// reader, the starting point, the analysis deck, a solve capped at a few iterations, the
// drawing script and the results report. A report (kalvane::error) or a refused
// allocation is a normal outcome; a crash, a sanitizer report or a hang is a finding.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "error.hpp"
#include "mechanics/objective.hpp"
#include "model/input.hpp"
#include "model/start.hpp"
#include "nlp/nlp.hpp"
#include "output/writers.hpp"

namespace {

char scratch[] = "/tmp/kalvane-fuzz-XXXXXX";

void remove_scratch() {
  for (const char* name : {"abaqusfile.inp", "autocad.scr", "output.txt"}) {
    const std::string path = std::string(scratch) + "/" + name;
    std::remove(path.c_str());
  }
  ::rmdir(scratch);
}

// Sizes beyond these are refused before solving, so that one execution stays short.
constexpr std::int32_t max_nodes = 300;
constexpr std::int32_t max_bars = 300;
constexpr std::int32_t max_iterations = 4;
constexpr std::int32_t max_line_search_steps = 8;
constexpr std::int32_t max_memory = 8;

bool small_enough(const kalvane::model& m) {
  return m.node_count <= max_nodes && kalvane::bar_count(m) <= max_bars;
}

void run(kalvane::model& m, const std::string& text) {
  kalvane::input_text(m, text, "input.txt");
  if (!small_enough(m)) return;
  kalvane::start(m);
  kalvane::write_deck(m);
  m.max_iterations = std::min(m.max_iterations, max_iterations);
  m.line_search_max_steps = std::min(m.line_search_max_steps, max_line_search_steps);
  m.memory_size = std::min(m.memory_size, max_memory);
  nlp::instance qn{[&m](std::int32_t n, const terms::fmat1& x, terms::fmat1& g) { return objective(m, n, x, g); }};
  const nlp::lbfgs_result result = qn.lbfgs(m.memory_size, m.free_count, m.max_iterations, m.line_search_max_steps,
                                            m.allowable_gradient, m.line_search_sigma, m.unknowns, m.gradient);
  m.iteration_count = result.iterations;
  m.objective_value = result.value;
  kalvane::write_script(m);
  kalvane::write_report(m);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The writers use fixed names in the current directory: work in a directory of our own.
  if (::mkdtemp(scratch) == nullptr || ::chdir(scratch) != 0) {
    std::perror("kalvane fuzz scratch directory");
    std::abort();
  }
  std::atexit(remove_scratch);
  // The line search writes "Line Search Failure" to standard output; keep the log readable.
  if (std::freopen("/dev/null", "w", stdout) == nullptr) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 64 * 1024) return 0;
  const std::string text(reinterpret_cast<const char*>(data), size);
  kalvane::model m;
  try {
    run(m, text);
  } catch (const kalvane::error& e) {
    if (e.name.empty() || std::string(e.what()).empty()) __builtin_trap();
  } catch (const std::bad_alloc&) {
  }
  return 0;
}
