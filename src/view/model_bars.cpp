#include "view/model_bars.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "companion/printable.hpp"
#include "structure/law.hpp"

namespace kalvane::view {

std::string law_text(const material& m) {
  char text[128];
  switch (m.law) {
    case axial_law::neo_hooke:
      std::snprintf(text, sizeof text, "Neo-Hooke, c1 = %.7g", m.c1);
      break;
    case axial_law::mooney_rivlin:
      std::snprintf(text, sizeof text, "Mooney-Rivlin, c1 = %.7g, c2 = %.7g", m.c1, m.c2);
      break;
    case axial_law::linear_elastic:
      std::snprintf(text, sizeof text, "linear elastic, E = %.7g", m.E);
      break;
  }
  std::string out = text;
  if (m.weight != 0.0) {
    std::snprintf(text, sizeof text, ", weight %.7g per unit volume", m.weight);
    out += text;
  }
  return out;
}

namespace {

// One CSV line's fields: a quoted field may hold commas and doubled quotes.
std::vector<std::string> csv_fields(const std::string& line) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"') fields.back() += '"', ++i;
    else if (c == '"') quoted = !quoted;
    else if (c == ',' && !quoted) fields.emplace_back();
    else if (c != '\r') fields.back() += c;
  }
  return fields;
}

bool real_of(const std::string& text, double& value) {
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return !text.empty() && *end == '\0';
}

constexpr const char* bars_csv_head = "bar,node1,node2,material,area,rest_length,length,stretch,strain,axial_force,stress,state";

}  // namespace

bool take_bars_csv(scene& s, const std::string& text) {
  std::vector<std::string> lines;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  const std::size_t bars = s.bars.size();
  if (lines.size() != bars + 1 || csv_fields(lines[0]).size() != 12 || lines[0].rfind(bars_csv_head, 0) != 0) return false;
  std::vector<double> force(bars), stretch(bars);
  std::vector<bar_state> state(bars);
  for (std::size_t e = 0; e < bars; ++e) {
    const std::vector<std::string> f = csv_fields(lines[e + 1]);
    double stress = 0.0;
    if (f.size() != 12 || f[0] != std::to_string(e + 1) || f[1] != std::to_string(s.bars[e].first + 1) ||
        f[2] != std::to_string(s.bars[e].second + 1) || !real_of(f[7], stretch[e]) || !real_of(f[9], force[e]) ||
        !real_of(f[10], stress))
      return false;
    // The report prints the stress to seven significant digits.
    if (!(std::fabs(stress - s.stress[e]) <= 1e-6 * std::fabs(stress))) return false;
    // "unstressed" is a bar within rounding of zero: its state follows its force's sign, as
    // the colour does (the states have no code of their own for it).
    const bool compressed = f[11] == "compression" || (f[11] == "unstressed" && force[e] < 0.0);
    state[e] = f[11] == "slack" ? bar_state::slack : compressed ? bar_state::compression : bar_state::tension;
  }
  s.force = std::move(force);
  s.stretch = std::move(stretch);
  s.state = std::move(state);
  return true;
}

void add_model_bars(scene& s, const structure& prepared) {
  s.materials.clear();
  for (const material& m : prepared.materials) s.materials.push_back({companion::printable(m.name, 80), law_text(m)});
  const std::size_t bars = s.bars.size();
  s.force.assign(bars, 0.0);
  s.stretch.assign(bars, 1.0);
  s.material.assign(bars, 0);
  s.state.assign(bars, bar_state::tension);
  s.cable.assign(bars, 0);
  for (std::size_t e = 0; e < bars; ++e) {
    const auto b = static_cast<int32_t>(e + 1);
    const member& mem = member_of(prepared, b);
    const vec3& from = s.displacement[static_cast<std::size_t>(s.bars[e].first)];
    const vec3& to = s.displacement[static_cast<std::size_t>(s.bars[e].second)];
    const double u[3] = {to.x - from.x, to.y - from.y, to.z - from.z};
    const member_state at = member_at(prepared.base.bars(b), material_of(prepared, b), mem, u);
    s.force[e] = at.force;
    s.stretch[e] = at.lambda;
    s.material[e] = mem.material;
    s.cable[e] = mem.behaviour == bar_behaviour::cable ? 1 : 0;
    s.state[e] = at.slack ? bar_state::slack : at.force < 0.0 ? bar_state::compression : bar_state::tension;
  }
}

}  // namespace kalvane::view
