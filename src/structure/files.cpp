#include "structure/files.hpp"

#include <charconv>

#include "companion/csv_cell.hpp"
#include "output/writers.hpp"
#include "structure/law.hpp"

namespace kalvane {

namespace {

deck_law deck_law_of(axial_law law) {
  switch (law) {
    case axial_law::neo_hooke: return deck_law::neo_hooke;
    case axial_law::mooney_rivlin: return deck_law::mooney_rivlin;
    case axial_law::linear_elastic: return deck_law::linear_elastic;
  }
  return deck_law::neo_hooke;
}

terms::fmat2 reactions_of(const model& m, const bar_results& r) {
  terms::fmat2 reactions;
  reactions.allocate(1, m.node_count, 1, 3);
  for (int32_t k = 1; k <= m.node_count; ++k)
    for (int c = 1; c <= 3; ++c) reactions(k, c) = r.reaction[3 * static_cast<std::size_t>(k - 1) + static_cast<std::size_t>(c - 1)];
  return reactions;
}

}  // namespace

void write_structure_deck(const structure& s, const std::string& path) {
  if (kalvane_can_hold(s)) {
    write_deck(s.base, path);
    return;
  }
  std::vector<deck_material> materials;
  for (const material& mat : s.materials) materials.push_back({deck_law_of(mat.law), mat.c1, mat.c2, mat.E});
  std::vector<int32_t> bar_material;
  std::vector<double> initial_stress;
  const double none[3] = {0.0, 0.0, 0.0};
  for (int32_t b = 1; b <= bar_count(s.base); ++b) {
    const member& mem = member_of(s, b);
    bar_material.push_back(mem.material);
    // The stress in the drawn shape, from the rest length: the bar at zero displacement.
    const member_state at_drawn = member_at(s.base.bars(b), material_of(s, b), mem, none);
    initial_stress.push_back(mem.rest == s.base.bars(b).length0 ? 0.0 : at_drawn.stress);
  }
  write_deck(s.base, materials, bar_material, initial_stress, path);
}

void write_structure_script(const structure& s, const bar_results& r, const std::string& path) {
  write_script(s.base, r.stress, path);
}

void write_structure_report(const structure& s, const bar_results& r, const std::string& path) {
  write_report(s.base, reactions_of(s.base, r), r.stress, path);
}

std::string shortest_real(double value) {
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, value).ptr;
  return std::string(text, end);
}

const char* state_name(const structure& s, int32_t b, const bar_results& r) {
  const auto i = static_cast<std::size_t>(b - 1);
  if (member_of(s, b).behaviour == bar_behaviour::cable) return r.slack[i] ? "slack" : "taut";
  if (at_rest(r, i)) return "unstressed";
  if (r.force[i] > 0.0) return "tension";
  if (r.force[i] < 0.0) return "compression";
  return "unstressed";
}

std::string bars_csv(const structure& s, const bar_results& r) {
  std::string text = "bar,node1,node2,material,area,rest_length,length,stretch,strain,axial_force,stress,state\n";
  const model& m = s.base;
  for (int32_t b = 1; b <= bar_count(m); ++b) {
    const auto i = static_cast<std::size_t>(b - 1);
    const bar_record& bar = m.bars(b);
    const double rest = member_of(s, b).rest;
    text += std::to_string(b) + ',' + std::to_string(bar.node1) + ',' + std::to_string(bar.node2) + ',' +
            companion::csv_text_cell(material_of(s, b).name) + ',' + shortest_real(bar.area) + ',' + shortest_real(rest) + ',' +
            shortest_real(r.stretch[i] * rest) + ',' + shortest_real(r.stretch[i]) + ',' + shortest_real(r.strain[i]) +
            ',' + shortest_real(r.force[i]) + ',' + shortest_real(r.stress[i]) + ',' + state_name(s, b, r) + '\n';
  }
  return text;
}

}  // namespace kalvane
