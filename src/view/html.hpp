#pragma once
// kalvane.html: one self-contained page that draws the result in 3-D with three.js (embedded,
// nothing fetched), with the data held as base64 typed arrays and every text as escaped data.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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

}  // namespace kalvane::view
