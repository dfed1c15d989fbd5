#pragma once
// The form-finding problem as the force density method sees it: a topology of bars between
// nodes, the nodes held in place (at their first-guess coordinates), the loads, and for
// each bar its force density q = force / length (positive in tension), or the force or the
// length it should have in the shape found. Nodes and bars are numbered from 1 in messages,
// as the model numbers them, and held from index 0 here.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "structure/structure.hpp"

namespace kalvane::form {

using point = std::array<double, 3>;

struct bar_ends {
  int32_t first = 0, second = 0;  // zero-based node indices
};

struct problem {
  std::vector<point> nodes;                  // first guess; a held component keeps its value
  std::vector<bar_ends> bars;
  std::vector<std::array<bool, 3>> held;     // per node and component; empty: nothing held
  std::vector<point> loads;                  // per node; empty: no loads
  std::vector<double> density;               // per bar; where a target is given, where the iteration starts
  std::vector<bar_behaviour> behaviour;      // per bar; empty: every bar may push or pull
  std::vector<std::optional<double>> target_force;   // per bar; empty: none
  std::vector<std::optional<double>> target_length;  // per bar; empty: none
};

// Holds every component of node k (zero-based).
void hold(problem& p, int32_t node);

// The densities of bars grouped as engineers group them (the boundary cables, the
// diagonals): bar b takes group_density[group_of_bar[b]]. Throws when a group index is out
// of range, naming the bar.
std::vector<double> density_by_group(const std::vector<int32_t>& group_of_bar, const std::vector<double>& group_density);

// What a problem's refusal is about, so that a caller who knows where the problem's values
// were given can say where: the problem as a whole, a node, a bar's ends, or a bar's density,
// target force or target length.
enum class fault_subject : std::uint8_t { whole, node, ends, density, target_force, target_length };

struct problem_fault {
  const char* name = nullptr;  // the error's name: data_error, or index_error for a node that is not there
  std::string message;         // naming the node or bar
  fault_subject subject = fault_subject::whole;
  std::size_t index = 0;       // the node or bar, zero-based
};

// The first of what has no form, naming the node or bar, or none: vectors whose sizes do not
// match the nodes or bars; a coordinate, load, density or target that is not finite; a bar
// naming a node that does not exist or joining a node to itself; a node that no bar reaches;
// a cable with a negative density (also as where its iteration starts) or target force; a
// target force or length that is not positive for a cable, zero for any bar, or given
// together with a target length; a free component that no chain of bars with densities
// other than zero ties to a node holding it.
std::optional<problem_fault> fault_of(const problem& p);
// fault_of in two parts: everything but the last check, then the last alone (which needs
// the first part's passed).
std::optional<problem_fault> fault_before_holding(const problem& p);
std::optional<problem_fault> unheld_fault(const problem& p);

// Throws fault_of's refusal as `error`.
void validate(const problem& p);

bool is_held(const problem& p, std::size_t node, int component);
bool has_target_force(const problem& p, std::size_t bar);
bool has_target_length(const problem& p, std::size_t bar);

// "node 7", "bar 3": one-based, as the model numbers them.
std::string node_name(std::size_t node);
std::string bar_name(std::size_t bar);

// What is held, in words for messages: "nodes 1, 4 and 9 (every component)", "nothing", or
// per component when some nodes are held in some components only.
std::string held_summary(const problem& p);

}  // namespace kalvane::form
