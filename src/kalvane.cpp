// kalvane: the static equilibrium of a pin-jointed bar structure under large displacements.
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>

#include "error.hpp"
#include "progress.hpp"
#include "run.hpp"

namespace {

const char* const usage_line = "usage: kalvane [--help | --version]\n";

const char* const help_text =
    "\n"
    "Finds the static equilibrium of the bar structure in input.txt of the current directory\n"
    "and writes output.txt (the results report), autocad.scr (a drawing script) and\n"
    "abaqusfile.inp (an analysis deck) beside it. It takes no other arguments; on success it\n"
    "prints nothing and exits with status 0, after any error it reports on standard error and\n"
    "exits with status 1.\n"
    "\n"
    "  --help     print this text and touch no file\n"
    "  --version  print the version and touch no file\n";

int report(const char* name, const char* message) {
  // "Line Search Failure" may be waiting on standard output; it must come first.
  std::fflush(stdout);
  std::fprintf(stderr, "\nraised %s : %s\n", name, message);
  std::fflush(stderr);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) {
    // Any argument at all means the user did not mean a run: no file is touched.
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
      std::fputs(usage_line, stdout);
      std::fputs(help_text, stdout);
      return std::fflush(stdout) == 0 ? 0 : 1;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
      std::fputs("kalvane " KALVANE_VERSION "\n", stdout);
      return std::fflush(stdout) == 0 ? 0 : 1;
    }
    const bool known = std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "--version") == 0;
    if (known) std::fprintf(stderr, "kalvane: %s takes no further arguments\n%s", argv[1], usage_line);
    else std::fprintf(stderr, "kalvane: unknown argument '%s'\n%s", argv[1], usage_line);
    return 2;
  }
  try {
    kalvane::run_plan plan;
    plan.progress = kalvane::standard_error_is_terminal();
    kalvane::model m;
    kalvane::run(m, plan);
  } catch (const kalvane::error& e) {
    return report(e.name.c_str(), e.what());
  } catch (const std::bad_alloc&) {
    return report(kalvane::storage_error, "out of memory");
  } catch (const std::exception& e) {
    return report("PROGRAM_ERROR", e.what());
  }
  if (std::fflush(stdout) != 0) return 1;
  return 0;
}
