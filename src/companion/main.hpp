#pragma once
// The main of a companion that prints a summary and ends with its status: --help and
// --version answered first, and any error reported as kalvane reports its own (an empty
// line, then "raised NAME : message" on standard error) with the bad-input status.
#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "companion/huge_pages.hpp"
#include "companion/printable.hpp"
#include "error.hpp"
#include "progress.hpp"

namespace kalvane::companion {

// The message may quote the user's file (a name, a line of it): shown printable, as every
// other place the user's text lands.
inline int report_error(const char* name, const char* message, int bad_input) {
  std::fflush(stdout);
  std::fprintf(stderr, "\nraised %s : %s\n", name, printable_lines(message).c_str());
  std::fflush(stderr);
  return bad_input;
}

// `parse` gives the options (with help, version and progress), `usage` the help text, and
// `run` an outcome with its summary and status.
template <typename Parse, typename Usage, typename Run>
int companion_main(int argc, char** argv, const char* version_line, int bad_input, Parse parse, Usage usage, Run run) {
  serve_heap_from_huge_pages();
  try {
    auto o = parse(std::vector<std::string>(argv + 1, argv + argc));
    if (o.help) {
      std::fputs(usage().c_str(), stdout);
      return std::fflush(stdout) == 0 ? 0 : 1;
    }
    if (o.version) {
      std::puts(version_line);
      return std::fflush(stdout) == 0 ? 0 : 1;
    }
    o.progress = standard_error_is_terminal();
    const auto result = run(o);
    std::fputs(result.summary.c_str(), stdout);
    if (std::fflush(stdout) != 0) return bad_input;
    return result.status;
  } catch (const error& e) {
    return report_error(e.name.c_str(), e.what(), bad_input);
  } catch (const std::bad_alloc&) {
    return report_error(storage_error, "out of memory", bad_input);
  } catch (const std::exception& e) {
    return report_error("PROGRAM_ERROR", e.what(), bad_input);
  }
}

}  // namespace kalvane::companion
