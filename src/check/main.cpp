// kalvane-check: an independent certificate of a finished kalvane run.
#include <cstdio>
#include <exception>
#include <new>

#include "check/app.hpp"
#include "companion/huge_pages.hpp"
#include "companion/printable.hpp"
#include "error.hpp"

int main(int argc, char** argv) {
  namespace check = kalvane::check;
  kalvane::companion::serve_heap_from_huge_pages();
  try {
    const check::options o = check::parse_options(std::vector<std::string>(argv + 1, argv + argc));
    if (o.help) {
      std::fputs(check::usage_text().c_str(), stdout);
      return 0;
    }
    if (o.version) {
      std::puts("kalvane-check " KALVANE_VERSION);
      return 0;
    }
    if (o.lint) {
      const check::findings f = check::run_lint(o);
      std::fputs((o.json ? check::lint_json_of(f) : check::lint_text_of(f)).c_str(), stdout);
      if (std::fflush(stdout) != 0) return 1;
      return f.status;
    }
    const check::findings f = check::run_check(o);
    if (o.json) {
      std::fputs(check::json_of(f).c_str(), stdout);
    } else {
      for (const check::lint_warning& w : f.warnings) std::fprintf(stderr, "%s\n", check::where(f.input_name, w).c_str());
      std::fputs(check::text_of(f).c_str(), stdout);
    }
    if (std::fflush(stdout) != 0) return 1;
    return f.status;
  } catch (const kalvane::error& e) {
    // A reader's message may quote the file's bytes, which need not be text.
    std::fprintf(stderr, "kalvane-check: %s\n", kalvane::companion::printable_lines(e.what()).c_str());
    if (e.name == kalvane::usage_error) std::fprintf(stderr, "%s\n", check::usage_line().c_str());
    return 1;
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "kalvane-check: out of memory\n");
    return 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kalvane-check: %s\n", e.what());
    return 1;
  }
}
