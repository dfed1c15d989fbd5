#include "view/title.hpp"

#include <fstream>

#include "companion/printable.hpp"
#include "error.hpp"

namespace kalvane::view {

namespace {

bool blank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::string read_title(const std::string& input_path) {
  std::ifstream file(input_path, std::ios::binary);
  if (!file) fail(name_error, "cannot open " + input_path);
  std::string line;
  for (bool first_line = true; std::getline(file, line); first_line = false) {
    if (first_line && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);  // an editor's byte-order mark
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] == ':') break;
    std::size_t first = 0, last = line.size();
    while (first < last && (blank(line[first]) || line[first] == '\f')) ++first;
    while (last > first && (blank(line[last - 1]) || line[last - 1] == '\f')) --last;
    if (first < last) return companion::printable(line.substr(first, last - first));
  }
  return "";
}

}  // namespace kalvane::view
