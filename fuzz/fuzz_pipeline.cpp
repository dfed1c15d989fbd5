// Fuzz target: the whole run on small inputs, in a scratch directory of its own: the
// reader, the starting point, the analysis deck, a solve capped at a few iterations, the
// drawing script and the results report. A report (kalvane::error) or a refused
// allocation is a normal outcome; a crash, a sanitizer report or a hang is a finding.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "error.hpp"
#include "run.hpp"

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

// The program's own run path, with the batched total potential and the solution check,
// stopped after reading to refuse large models, then capped at a few iterations.
void run(kalvane::model& m, const std::string& text) {
  kalvane::run_plan plan;
  plan.input_text = text;
  plan.last = kalvane::stage::input;
  kalvane::run(m, plan);
  if (m.node_count > max_nodes || kalvane::bar_count(m) > max_bars) return;
  plan.first = kalvane::stage::start;
  plan.last = kalvane::stage::report;
  plan.iteration_cap = 4;
  plan.line_search_cap = 8;
  plan.memory_cap = 8;
  kalvane::run(m, plan);
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
