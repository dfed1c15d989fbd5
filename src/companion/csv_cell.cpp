#include "companion/csv_cell.hpp"

#include <string_view>

#include "companion/printable.hpp"

namespace kalvane::companion {

std::string csv_text_cell(const std::string& text) {
  std::string cell = printable(text, std::string::npos);
  constexpr std::string_view formula_starts = "=+-@\t\r";
  if (!text.empty() && formula_starts.find(text.front()) != std::string_view::npos) cell.insert(0, 1, '\'');
  if (cell.find_first_of(",\"") == std::string::npos) return cell;
  std::string quoted = "\"";
  for (char c : cell) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

}  // namespace kalvane::companion
