#pragma once
// The path's states for path.states: the free displacements of the converged points, all of
// them while they fit a budget of bytes in the file, else a subset that always holds the
// first point, every limit point, bifurcation and jump's two ends with the point on either
// side of it, and the last point; the other points between (regular ones, and cables going
// slack or taut) are thinned to every second, fourth, ... row, evenly along the path.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "newton/path.hpp"
#include "path/curve.hpp"
#include "structure/bar_results.hpp"
#include "structure/states_file.hpp"
#include "structure/structure.hpp"

namespace kalvane::path {

struct kept_state {
  std::size_t row = 0;  // of path.csv, counted from 0
  newton::point_kind kind = newton::point_kind::regular;
  newton::vector x;     // free displacements
};

// Told of every converged point, as the path's observer is.
struct state_keeper {
  std::size_t most = 0;    // states held at most, save those the rule always keeps
  std::size_t stride = 1;  // the rows of the regular points kept are multiples of it
  std::size_t seen = 0;    // points told of
  std::vector<kept_state> kept;

  void operator()(const newton::path_point& p, const newton::vector& x);
};

// The states a budget of bytes holds for this structure, at least 2 (the first and the last).
std::size_t states_within(std::size_t budget_bytes, std::uint32_t nodes, std::uint32_t bars);

// The written equilibrium, which replaces the state kept at its row (or joins the kept ones):
// the displacements and the bars' answers of the report, so that the file ends where the
// report stands.
struct written_state {
  std::size_t row = 0;
  std::vector<double> displacement;  // 3 per node
  const bar_results* bars = nullptr;
};

// The file's states: each kept state's displacements (the prescribed ones at its stage's
// fraction) and its bars' forces, stresses and states by the structure's laws at the rest
// lengths of that point; `written` in place of its row's.
path_states states_of(const structure& s, const curve& c, const std::vector<kept_state>& kept,
                      const std::optional<written_state>& written);

}  // namespace kalvane::path
