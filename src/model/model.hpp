#pragma once
// The model record: the structure read from input.txt, the solver settings, and the
// solver state that the starting point and the minimiser add to it.
#include <cstdint>
#include <optional>
#include <string>

#include "terms.hpp"

namespace kalvane {

enum class material_law : std::uint8_t { neo_hooke, mooney_rivlin };

struct material_record {
  material_law kind = material_law::neo_hooke;
  material_law model = material_law::neo_hooke;
  double c1 = 0.0;
  double mooney_c2 = 0.0;  // exists only for Mooney-Rivlin; read it through c2()
};

material_record neo_hooke(double c1);
material_record mooney_rivlin(double c1, double c2);
// The second constant; a Neo-Hooke material has none, and asking for it is an error.
double c2(const material_record& material);

struct bar_record {
  int32_t node1 = 0;
  int32_t node2 = 0;
  double cx = 0.0, cy = 0.0, cz = 0.0;  // undeformed unit vector from node1 to node2
  double area = 0.0;
  double length0 = 0.0;
};

struct model {
  // Structure.
  int32_t node_count = 0;
  terms::fmat1 x0, y0, z0;
  terms::array1<bar_record> bars;
  std::optional<material_record> material;
  terms::imat2 dof_map;  // 0/1 prescribed flags after reading, position numbers after start
  terms::fmat2 prescribed;
  terms::fmat2 loads;

  // Settings.
  double line_search_sigma = 0.0;
  int32_t line_search_max_steps = 0;
  double gradient_tolerance = 0.0;
  double gradient_reference = 0.0;
  int32_t max_iterations = 0;
  int32_t memory_size = 0;

  // Unknowns and solver state.
  int32_t free_count = 0;
  terms::fmat1 unknowns;
  terms::fmat1 gradient;
  double allowable_gradient = 0.0;
  double objective_value = 0.0;
  int32_t iteration_count = 0;

  // Where the model came from, for messages of the stages after the reader: the file's
  // name and the line of each bar (bounds of `bars`; 0 for a bar no line names).
  std::string source_name = "input.txt";
  terms::array1<long> bar_line;
};

inline int32_t bar_count(const model& m) { return m.bars.last; }

// The material shared by all bars; an empty reference is the access-check error.
const material_record& material_of(const model& m);

// "input.txt:12: " for bar b when its line is known, else "input.txt: ", to begin messages.
std::string bar_place(const model& m, int32_t b);

}  // namespace kalvane
