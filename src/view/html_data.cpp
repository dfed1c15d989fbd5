// What the page shows beyond the scene: the model's title, its material, and per node the
// held components, the load and the reaction.
#include <cstdio>
#include <string_view>

#include "view/html.hpp"

namespace kalvane::view {

std::string title_of_input(const std::string& input_text) {
  std::string_view rest(input_text);
  while (!rest.empty()) {
    std::size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    if (!line.empty() && line.front() == ':') break;  // the first marker line ends the titles
    const std::size_t first = line.find_first_not_of(" \t\r\f");
    if (first == std::string_view::npos) continue;
    const std::size_t last = line.find_last_not_of(" \t\r\f");
    return std::string(line.substr(first, last - first + 1));
  }
  return "";
}

std::vector<node_marks> marks_of(const model& m, const report& r) {
  std::vector<node_marks> marks;
  std::size_t next_reaction = 0;  // the report lists reactions by node, in order
  for (int32_t k = 1; k <= m.node_count; ++k) {
    node_marks mark;
    mark.node = k;
    bool any = false;
    for (int c = 1; c <= 3; ++c) {
      const auto i = static_cast<std::size_t>(c - 1);
      mark.held[i] = m.dof_map(k, c) != 0;
      mark.load[i] = m.loads(k, c);
      any = any || mark.held[i] || mark.load[i] != 0.0;
    }
    for (; next_reaction < r.reactions.size() && r.reactions[next_reaction].node <= k; ++next_reaction)
      if (r.reactions[next_reaction].node == k)
        mark.reaction[static_cast<std::size_t>(r.reactions[next_reaction].component - 1)] =
            r.reactions[next_reaction].value;
    if (any) marks.push_back(mark);
  }
  return marks;
}

std::string material_text(const model& m) {
  if (!m.material) return "";
  char text[96];
  if (m.material->kind == material_law::neo_hooke)
    std::snprintf(text, sizeof text, "Neo-Hooke, c1 = %.7g", m.material->c1);
  else
    std::snprintf(text, sizeof text, "Mooney-Rivlin, c1 = %.7g, c2 = %.7g", m.material->c1, c2(*m.material));
  return text;
}

}  // namespace kalvane::view
