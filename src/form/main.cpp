// kalvane-form: the shape of a cable net or tensegrity from its forces, and the analysis
// model that starts in equilibrium there.
#include <cstdio>
#include <exception>
#include <new>

#include "error.hpp"
#include "form/app.hpp"
#include "progress.hpp"

namespace {

// kalvane's error report: an empty line, then "raised NAME : message".
int report(const char* name, const char* message) {
  std::fflush(stdout);
  std::fprintf(stderr, "\nraised %s : %s\n", name, message);
  std::fflush(stderr);
  return kalvane::form::bad_input;
}

}  // namespace

int main(int argc, char** argv) {
  namespace form = kalvane::form;
  try {
    form::options o = form::parse_options(std::vector<std::string>(argv + 1, argv + argc));
    if (o.help) {
      std::fputs(form::usage_text().c_str(), stdout);
      return std::fflush(stdout) == 0 ? 0 : 1;
    }
    if (o.version) {
      std::puts("kalvane-form " KALVANE_VERSION);
      return std::fflush(stdout) == 0 ? 0 : 1;
    }
    o.progress = kalvane::standard_error_is_terminal();
    const form::outcome result = form::run_form(o);
    std::fputs(result.summary.c_str(), stdout);
    if (std::fflush(stdout) != 0) return form::bad_input;
    return result.status;
  } catch (const kalvane::error& e) {
    return report(e.name.c_str(), e.what());
  } catch (const std::bad_alloc&) {
    return report(kalvane::storage_error, "out of memory");
  } catch (const std::exception& e) {
    return report("PROGRAM_ERROR", e.what());
  }
}
