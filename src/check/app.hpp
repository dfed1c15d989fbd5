#pragma once
// The checker's command line and its run: read the model (a model file, or input.txt) and
// output.txt and test the report's equilibrium with the structure's own laws.
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
  bool lint = false;  // only read input.txt and warn
  int digits = 3;     // right digits wanted in every table of the report; 0: not tested
  newton::loading loading = newton::loading::staged;
  std::string dir = ".";
  std::string model;  // --model: the model file (or input.txt) to read; "" finds it in dir
};

options parse_options(const std::vector<std::string>& args);
std::string usage_line();
std::string usage_text();

// Reads, checks and decides. Throws kalvane::error for files that are missing, malformed,
// stale or do not belong together.
findings run_check(const options& o);

// --lint: the warnings about input.txt alone, which must read as kalvane reads it (else
// kalvane::error); no report is needed.
findings run_lint(const options& o);

}  // namespace kalvane::check
