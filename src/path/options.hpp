#pragma once
// kalvane-path's command line.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "newton/path.hpp"

namespace kalvane::path {

// A displacement component of one node: component 1, 2, 3 for X, Y, Z.
struct component_ref {
  int32_t node = 0;
  int component = 0;
};

struct options {
  bool help = false;
  bool version = false;
  std::string dir = ".";  // where the model is
  std::string model;      // the model file or input.txt; empty: found in dir by its name
  std::string out;        // where the files go; empty: dir/path
  newton::loading how = newton::loading::staged;
  std::optional<component_ref> watch;  // empty: the component that moves most at the end
  bool trace = false;     // follow the branch from the unloaded shape round its limit points
  bool progress = false;  // the progress line on standard error (a terminal)
  // Bytes of path.states that hold every point of the path; a path with more keeps a subset
  // (path/states.hpp). 64 MB: every point of the longest path (400 steps and its events) of a
  // model of about 10^4 bars, every point of an ordinary path (30 to 60 points) of about 10^5
  // bars, and a file that the page and numpy read whole.
  std::size_t states_budget = std::size_t{64} << 20;
};

// Throws the usage error for an option it does not know or a value it cannot take.
options parse_options(const std::vector<std::string>& args);
std::string usage_line();
std::string usage_text();

// The folder the files go to.
std::string output_folder(const options& o);

}  // namespace kalvane::path
