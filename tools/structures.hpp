#pragma once
// Generated test structures written as input.txt text: a pretensioned square cable net and
// a braced 3-D space-frame tower, at any size from about ten to a few million bars.
#include <cstdint>
#include <optional>
#include <string>

namespace structures {

enum class kind { net, tower };

struct options {
  kind shape = kind::net;
  long long bars = 1000;        // wanted number of bars; the nearest structure is built
  // The gradient tolerance and iteration limit written; without them, the ones that fit the size.
  std::optional<double> tolerance;
  std::optional<int32_t> max_iterations;
  int32_t memory_size = 5;
};

// The gradient tolerance and iteration limit with which kalvane's run of a structure of
// this kind and number of bars converges, its report right to 3 digits in every table.
struct solver_settings {
  double tolerance;
  int32_t max_iterations;
};
solver_settings settings_for(kind shape, long long bars);

struct summary {
  long long nodes = 0;
  long long bars = 0;
  long long prescribed = 0;  // prescribed components
  long long loads = 0;       // loaded components
};

// The whole input.txt of the structure; `info` receives its counts when given.
std::string generate(const options& o, summary* info = nullptr);

}  // namespace structures
