// What the page shows beyond the scene: the model's material, and per node the held
// components, the load and the reaction.
#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "view/html.hpp"

namespace kalvane::view {

std::vector<node_marks> marks_of(const scene& s, const report& r) {
  // The supports and the loads, each in node order (zero-based), merged into one list.
  std::vector<node_marks> marks;
  const auto first_of = [](std::size_t next, const auto& list) {
    return next < list.size() ? list[next].node + 1 : INT32_MAX;
  };
  std::size_t next_support = 0, next_load = 0;
  while (next_support < s.supports.size() || next_load < s.loads.size()) {
    node_marks mark;
    mark.node = std::min(first_of(next_support, s.supports), first_of(next_load, s.loads));
    if (first_of(next_support, s.supports) == mark.node) mark.held = s.supports[next_support++].held;
    if (first_of(next_load, s.loads) == mark.node) {
      const vec3& f = s.loads[next_load++].force;
      mark.load = {f.x, f.y, f.z};
    }
    marks.push_back(mark);
  }
  // The report lists reactions in node order, and only at held components: their nodes are
  // marked already.
  std::size_t at = 0;
  for (const reaction_entry& e : r.reactions) {
    while (at < marks.size() && marks[at].node < e.node) ++at;
    if (at < marks.size() && marks[at].node == e.node)
      marks[at].reaction[static_cast<std::size_t>(e.component - 1)] = e.value;
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
