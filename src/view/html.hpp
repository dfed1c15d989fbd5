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
  std::string title;     // the first title line of input.txt; may hold any text
  std::string material;  // e.g. "Neo-Hooke, c1 = 10"
  scene shape;
  std::vector<node_marks> marks;        // by node number
  std::optional<load_path> path;        // kalvane-path's curve, when its path.csv is there
};

// The model's text before its first marker line: the first line that is not blank, trimmed.
std::string title_of_input(const std::string& input_text);

// Supports, loads and reactions per node, from the model as the reader leaves it (dof_map
// holding 0/1 flags) and its report.
std::vector<node_marks> marks_of(const model& m, const report& r);

std::string material_text(const model& m);

std::string render_html(const page& p);

// Text escaped for an HTML text node or attribute value.
std::string html_text(const std::string& text);

// A JSON string literal that is also safe inside an HTML <script> element: no '<', '>' or
// '&', no line or paragraph separator, no control character, and invalid UTF-8 replaced.
std::string script_json_string(const std::string& text);

// Bytes as base64 (RFC 4648, with padding).
std::string base64(const std::string& bytes);

}  // namespace kalvane::view
