#pragma once
// ParaView's and the Python mesh tools' files: one state of the structure as a VTK XML
// unstructured grid (.vtu) of line cells, and a collection (.pvd) that plays states in time.
#include <cstdint>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "view/scene.hpp"

namespace kalvane::view {

// A vector per node, beside the displacement (e.g. the reactions).
struct node_vectors {
  std::string name;
  std::span<const vec3> values;
};

// A value per bar: reals (stress, axial force) or integers (a material index, a state code).
struct bar_values {
  std::string name;
  std::variant<std::span<const double>, std::span<const int32_t>> values;
};

// One number that describes the whole state (e.g. its load factor).
struct state_value {
  std::string name;
  std::variant<double, int32_t> value;
};

// One state of the structure. The grid's points are the deformed positions,
// initial + displacement, and `displacement` is always written as point vectors, so that
// ParaView's Warp By Vector at -1 gives back the undeformed shape and at k - 1 magnifies k
// times. Every span must outlive the call to render_vtu.
struct grid_state {
  std::span<const vec3> initial;
  std::span<const vec3> displacement;
  std::span<const bar_ends> bars;       // zero-based node indices
  std::vector<node_vectors> node_data;  // each with one value per node
  std::vector<bar_values> bar_data;     // each with one value per bar; the first is the active scalar
  std::vector<state_value> field_data;
  std::string title;  // the user's text: written escaped, in a comment
  std::vector<std::string> notes;  // e.g. what the codes of an integer array mean; each a comment
};

// The whole .vtu file: Float64 values, Int32 connectivity, every array in raw little-endian
// binary appended after the XML header (byte for byte the values held, NaN and infinities
// included). Throws kalvane::error when an array's length does not fit the grid.
std::string render_vtu(const grid_state& state);

// One dataset of a collection: its file, relative to the .pvd, and the time it is shown at.
struct series_entry {
  double time = 0.0;
  std::string file;
};

// The .pvd collection. ParaView orders the datasets by time, so times must increase along the
// list; throws kalvane::error when they do not (or are not finite) rather than write a series
// that plays out of order.
std::string render_pvd(const std::vector<series_entry>& entries, const std::string& title);

}  // namespace kalvane::view
