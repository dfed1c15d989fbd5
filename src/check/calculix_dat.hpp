#pragma once
// Reads the printed results (.dat) that CalculiX leaves: the blocks of nodal values that
// *NODE PRINT writes, of which the last increment's count.
#include <array>
#include <map>
#include <string>

namespace kalvane::check {

struct node_block {
  bool present = false;
  double time = 0.0;  // the step time of the increment, 1 at the end of the step
  std::map<long, std::array<double, 3>> values;  // by node number
};

struct calculix_results {
  node_block displacement;  // U of the node set `all_nodes_set`
  node_block force;         // RF (reaction plus concentrated load) of `support_nodes_set`
};

// Parses the text of a .dat file; of each kind of block, the last one is kept. `name` names
// the file in error messages, which have the form "name:line: what is wrong".
calculix_results read_calculix_dat(const std::string& text, const std::string& name);

}  // namespace kalvane::check
