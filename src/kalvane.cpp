// kalvane: the static equilibrium of a pin-jointed bar structure under large displacements.
#include <cstdio>
#include <exception>
#include <new>

#include "error.hpp"
#include "run.hpp"

namespace {

int report(const char* name, const char* message) {
  // "Line Search Failure" may be waiting on standard output; it must come first.
  std::fflush(stdout);
  std::fprintf(stderr, "\nraised %s : %s\n", name, message);
  std::fflush(stderr);
  return 1;
}

}  // namespace

int main() {
  try {
    kalvane::run();
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
