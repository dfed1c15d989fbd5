#include "check/calculix_dat.hpp"

#include <cstdlib>
#include <sstream>

#include "check/calculix_deck.hpp"
#include "error.hpp"

namespace kalvane::check {

namespace {

// A block heading reads " displacements (vx,vy,vz) for set NALL and time  0.1000000E+01".
bool heading(const std::string& line, const std::string& kind, std::string& set, double& time) {
  std::istringstream in(line);
  std::string word, what, for_word, set_word, and_word, time_word;
  if (!(in >> word) || word != kind) return false;
  if (!(in >> what >> for_word >> set_word >> set >> and_word >> time_word)) return false;
  if (for_word != "for" || set_word != "set" || and_word != "and" || time_word != "time") return false;
  std::string t;
  if (!(in >> t)) return false;
  char* end = nullptr;
  time = std::strtod(t.c_str(), &end);
  return end != t.c_str() && *end == '\0';
}

bool blank(const std::string& line) { return line.find_first_not_of(" \t\r") == std::string::npos; }

// A row: node number and three reals ("NaN" where the solver lost its way).
bool row(const std::string& line, long& node, std::array<double, 3>& v) {
  const char* p = line.c_str();
  char* end = nullptr;
  node = std::strtol(p, &end, 10);
  if (end == p) return false;
  p = end;
  for (double& x : v) {
    x = std::strtod(p, &end);
    if (end == p) return false;
    p = end;
  }
  while (*p == ' ' || *p == '\t' || *p == '\r') ++p;
  return *p == '\0';
}

}  // namespace

calculix_results read_calculix_dat(const std::string& text, const std::string& name) {
  calculix_results r;
  std::istringstream in(text);
  std::string line;
  int number = 0;
  node_block* block = nullptr;  // the block whose rows are being read
  bool rows_started = false;
  while (std::getline(in, line)) {
    ++number;
    std::string set;
    double time = 0.0;
    node_block* next = nullptr;
    if (heading(line, "displacements", set, time) && set == all_nodes_set) next = &r.displacement;
    else if (heading(line, "forces", set, time) && set == support_nodes_set) next = &r.force;
    if (next != nullptr) {
      *next = node_block{true, time, {}};
      block = next;
      rows_started = false;
      continue;
    }
    if (block == nullptr) continue;
    if (blank(line)) {
      if (rows_started) block = nullptr;
      continue;
    }
    long node = 0;
    std::array<double, 3> v{};
    if (!row(line, node, v))
      fail(data_error, name + ":" + std::to_string(number) + ": expected a node and three values, found \"" + line + "\"");
    rows_started = true;
    block->values[node] = v;
  }
  return r;
}

}  // namespace kalvane::check
