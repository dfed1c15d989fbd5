#pragma once
// kalvane.html: one self-contained page that draws the result in 3-D with three.js (embedded,
// nothing fetched), with the data held as base64 typed arrays and every text as escaped data.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "view/animation.hpp"
#include "view/load_path.hpp"
#include "view/scene.hpp"

namespace kalvane::view {

// A node with a load or a held component, as the page draws and reports it.
struct node_marks {
  int32_t node = 0;                    // one-based
  std::array<bool, 3> held{};          // X, Y, Z prescribed
  std::array<double, 3> load{};        // the point load
  std::array<double, 3> reaction{};    // the report's reaction (0 where none is reported)
};

struct page {
  scene shape;                    // its title may hold any text
  std::string material;           // e.g. "Neo-Hooke, c1 = 10"
  std::vector<node_marks> marks;  // by node number
  std::optional<load_path> path;  // kalvane-path's curve, when its path.csv is there
  colour_by colour = colour_by::stress;
  // kalvane-path's states, when its path.states is there: the page plays them, starting at
  // the one at `start` (the report's).
  std::optional<animation> states;
  std::size_t start = 0;
};

// Supports, loads and reactions per node: the scene's supports and loads with the report's
// reactions.
std::vector<node_marks> marks_of(const scene& s, const report& r);

std::string material_text(const model& m);

std::string render_html(const page& p);


// A JSON string literal that is also safe inside an HTML <script> element: no '<', '>' or
// '&', no line or paragraph separator, no control character, and invalid UTF-8 replaced.
std::string script_json_string(const std::string& text);

// Bytes as base64 (RFC 4648, with padding).
std::string base64(const std::string& bytes);

// The shortest text that reads back as the same double; NaN and the infinities as the
// strings JavaScript's Number() reads.
std::string json_number(double value);

// A data block for the page's script: base64 in an inert <script> element.
void append_block(std::string& out, const char* id, const std::string& bytes);

// The page's states: their rows, stages, load factors and colour scale as JSON (",\"animation\":..."
// or nothing), and their displacements, forces, stresses and states as data blocks.
std::string animation_json(const page& p);
void append_animation_blocks(std::string& out, const page& p);

}  // namespace kalvane::view
