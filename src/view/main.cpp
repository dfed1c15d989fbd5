// kalvane-view: a picture (SVG) and ParaView files (VTK XML) of a finished kalvane run.
#include <cstdio>
#include <exception>
#include <new>

#include "error.hpp"
#include "view/app.hpp"

int main(int argc, char** argv) {
  try {
    const auto o = kalvane::view::parse_options(std::vector<std::string>(argv + 1, argv + argc));
    if (o.help) {
      std::fputs(kalvane::view::usage_text().c_str(), stdout);
      return 0;
    }
    if (o.version) {
      std::puts("kalvane-view " KALVANE_VERSION);
      return 0;
    }
    const kalvane::view::view_run done = kalvane::view::run_view(o);
    std::printf("read %s\n", done.model.c_str());
    for (const std::string& path : done.written) std::printf("wrote %s\n", path.c_str());
    for (const std::string& note : done.notes) std::printf("note: %s\n", note.c_str());
  } catch (const kalvane::error& e) {
    std::fprintf(stderr, "kalvane-view: %s\n", e.what());
    return 1;
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "kalvane-view: out of memory\n");
    return 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kalvane-view: %s\n", e.what());
    return 1;
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}
