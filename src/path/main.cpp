// kalvane-path: the equilibrium a structure reaches under gradual loading, and its
// load-displacement curve.
#include "companion/main.hpp"
#include "path/app.hpp"
#include "path/ending.hpp"

int main(int argc, char** argv) {
  namespace path = kalvane::path;
  return kalvane::companion::companion_main(argc, argv, "kalvane-path " KALVANE_VERSION, path::bad_input,
                                            path::parse_options, path::usage_text,
                                            [](const path::options& o) { return path::run_path(o); });
}
