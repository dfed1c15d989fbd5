#pragma once
// The checker's command line and its run: read input.txt and output.txt from one
// directory and test the report's equilibrium.
#include <string>
#include <vector>

#include "check/findings.hpp"

namespace kalvane::check {

struct options {
  bool help = false;
  bool version = false;
  bool no_path = false;
  bool json = false;
  bool strict = false;
  bool calculix = false;
  newton::loading loading = newton::loading::staged;
  std::string dir = ".";
};

options parse_options(const std::vector<std::string>& args);
std::string usage_line();
std::string usage_text();

// Reads, checks and decides. Throws kalvane::error for files that are missing, malformed,
// stale or do not belong together.
findings run_check(const options& o);

}  // namespace kalvane::check
