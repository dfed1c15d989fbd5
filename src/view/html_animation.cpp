// The page's states: a table of their rows and load factors in the page's JSON, and their
// displacements, forces, stresses and bar states as float32 and byte blocks.
#include <bit>
#include <cmath>

#include "view/html.hpp"

namespace kalvane::view {

namespace {

void append_f32(std::string& out, double value) {
  const auto bits = std::bit_cast<uint32_t>(static_cast<float>(value));
  for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((bits >> shift) & 0xff);
}

bool by_force(const page& p) { return p.colour == colour_by::force && !p.shape.force.empty(); }

}  // namespace

std::string animation_json(const page& p) {
  if (!p.states || p.states->states.empty()) return "";
  const std::vector<path_state_record>& states = p.states->states;
  std::string rows, stages, factors, loads;
  double limit = 0.0;  // one scale for every state, so that the colours compare
  for (const path_state_record& r : states) {
    const char* comma = rows.empty() ? "" : ",";
    rows += comma + std::to_string(r.row);
    stages += comma + std::to_string(r.stage);
    factors += comma + json_number(r.load_factor);
    loads += comma + json_number(r.loads);
    for (double v : by_force(p) ? r.force : r.stress)
      if (std::isfinite(v)) limit = std::max(limit, std::fabs(v));
  }
  return ",\"animation\":{\"rows\":[" + rows + "],\"stage\":[" + stages + "],\"load_factor\":[" + factors +
         "],\"loads\":[" + loads + "],\"limit\":" + json_number(limit) + ",\"start\":" + std::to_string(p.start) +
         ",\"in_file\":" + std::to_string(p.states->in_file) + "}";
}

void append_animation_blocks(std::string& out, const page& p) {
  std::string displacement, force, stress, state;
  if (p.states) {
    for (const path_state_record& r : p.states->states) {
      for (double v : r.displacement) append_f32(displacement, v);
      for (double v : r.force) append_f32(force, v);
      for (double v : r.stress) append_f32(stress, v);
      state.append(r.state.begin(), r.state.end());
    }
  }
  append_block(out, "kalvane-states-displacement", displacement);
  append_block(out, "kalvane-states-force", force);
  append_block(out, "kalvane-states-stress", stress);
  append_block(out, "kalvane-states-state", state);
}

}  // namespace kalvane::view
