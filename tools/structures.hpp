#pragma once
// Generated test structures written as input.txt text: a pretensioned square cable net and
// a braced 3-D space-frame tower, at any size from about ten to a few million bars.
#include <cstdint>
#include <string>

namespace structures {

enum class kind { net, tower };

struct options {
  kind shape = kind::net;
  long long bars = 1000;        // wanted number of bars; the nearest structure is built
  int32_t max_iterations = 1000;
  int32_t memory_size = 5;
};

struct summary {
  long long nodes = 0;
  long long bars = 0;
  long long prescribed = 0;  // prescribed components
  long long loads = 0;       // loaded components
};

// The whole input.txt of the structure; `info` receives its counts when given.
std::string generate(const options& o, summary* info = nullptr);

}  // namespace structures
