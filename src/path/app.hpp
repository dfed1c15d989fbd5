#pragma once
// kalvane-path's run: read input.txt, follow the loading path, and write the equilibrium it
// reaches in kalvane's three files, with the curve in path.csv and path.svg.
#include <string>

#include "path/options.hpp"

namespace kalvane::path {

struct outcome {
  int status = 0;  // the exit status (path/ending.hpp)
  std::string summary;
};

// Throws kalvane::error for bad input, a bad option value or a file that cannot be written.
outcome run_path(const options& o);

}  // namespace kalvane::path
