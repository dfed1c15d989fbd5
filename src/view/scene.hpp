#pragma once
// What the viewer draws: the structure from input.txt joined with the result from
// output.txt, after checking that the two belong to the same run.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "model/model.hpp"
#include "view/report_reader.hpp"

namespace kalvane::view {

struct vec3 {
  double x = 0.0, y = 0.0, z = 0.0;
};

struct bar_ends {
  int32_t first = 0, second = 0;  // zero-based node indices
};

// A node with prescribed components: held[c] for X, Y, Z.
struct support {
  int32_t node = 0;  // zero-based
  std::array<bool, 3> held{};
};

// What the bars are coloured by: the report's stress, or each bar's axial force.
enum class colour_by : std::uint8_t { stress, force };

// A bar's state under its law, as the .vtu's `state` array codes it.
enum class bar_state : int32_t { tension = 0, compression = 1, slack = 2 };

// One of a model file's materials: its name (the user's text) and its law in words.
struct material_entry {
  std::string name;
  std::string law;  // e.g. "linear elastic, E = 2.1e+08"
};

struct nodal_load {
  int32_t node = 0;  // zero-based
  vec3 force;
};

struct scene {
  std::vector<vec3> initial;       // undeformed position of node k at [k - 1]
  std::vector<vec3> displacement;  // final displacement of node k at [k - 1]
  std::vector<bar_ends> bars;      // bar e at [e - 1]
  std::vector<double> area;
  std::vector<double> stress;
  std::vector<support> supports;  // in node order
  std::vector<nodal_load> loads;  // nodes with a load other than zero, in node order
  // Each bar's axial force and stretch: from the structure's own law for a model file, else
  // formed from the report's stress with kalvane's law (see bar_forces.hpp).
  std::vector<double> force;
  std::vector<double> stretch;
  // A model file's materials, each bar's index into them and its state; empty for input.txt.
  std::vector<material_entry> materials;
  std::vector<int32_t> material;
  std::vector<bar_state> state;
  std::vector<std::uint8_t> cable;  // 1 for a tension-only cable, whose tension reads "taut"
  std::string title;              // the model's title from input.txt, printable (see title.hpp)
  // Whose report it is: kalvane's (its minimiser's iterations) or kalvane-path's (Newton's).
  std::string solver = "kalvane";
  // kalvane-path's state short of full load (exit 2), in words, e.g. "short of full load, at
  // load factor 0.5 of stage 2"; empty for a state at full load.
  std::string reached;
  int32_t iterations = 0;
  double objective = 0.0;
};

// The share of its prescribed displacements a report's state carries: all of them, but for
// kalvane-path's report of a state short of full load (exit 2), which carries those of its
// point of the path.
struct prescribed_share {
  double fraction = 1.0;
  std::string where;  // e.g. "at load factor 0.5 of stage 1"; empty for the whole
};

// Joins a model as the input reader leaves it (dof_map still holding 0/1 prescribed flags)
// with its report. Fails, naming the files and the report's line, when the node or bar
// counts differ, a bar names a node that does not exist, or the report contradicts the
// model's supports (a prescribed displacement not reproduced, a reaction at a free
// component): those mean the report comes from another model.
scene match(const model& m, const report& r, const std::string& input_name,
            const std::string& report_name, const prescribed_share& share = {});

}  // namespace kalvane::view
