#include "view/animation.hpp"

#include <algorithm>

#include "error.hpp"

namespace kalvane::view {

std::size_t page_state_bytes(const scene& s) { return 12 * s.initial.size() + 9 * s.bars.size(); }

path_states read_states(const std::string& bytes, const std::string& name, const scene& s, const load_path& curve) {
  path_states all = decode_path_states(bytes, name);
  if (all.nodes != s.initial.size() || all.bars != s.bars.size())
    fail(data_error, name + ": states of " + std::to_string(all.nodes) + " nodes and " + std::to_string(all.bars) +
                         " bars, but the model has " + std::to_string(s.initial.size()) + " and " +
                         std::to_string(s.bars.size()) + " (is it from another run? run kalvane-path again)");
  if (!all.states.empty() && all.states.back().row >= curve.points.size())
    fail(data_error, name + ": a state of row " + std::to_string(all.states.back().row + 1) + ", but path.csv has " +
                         std::to_string(curve.points.size()) + " rows (is it from another run? run kalvane-path again)");
  return all;
}

animation animation_of(path_states all, const load_path& curve, std::size_t report_row, std::size_t budget) {
  animation out;
  out.in_file = all.states.size();
  const std::size_t each = 12 * static_cast<std::size_t>(all.nodes) + 9 * static_cast<std::size_t>(all.bars);
  const std::size_t room = std::max<std::size_t>(2, budget / std::max<std::size_t>(each, 1));
  std::vector<path_state_record>& states = all.states;
  if (states.size() <= room) {
    out.states = std::move(states);
    return out;
  }
  const auto is_event = [&](std::size_t row) { return row < curve.points.size() && curve.points[row].kind != "regular"; };
  std::vector<bool> keep(states.size(), false);
  std::size_t kept = 0;
  for (std::size_t i = 0; i < states.size(); ++i) {
    const std::size_t row = states[i].row;
    const bool must = i == 0 || i + 1 == states.size() || row == report_row || is_event(row) ||
                      (row > 0 && is_event(row - 1)) || is_event(row + 1);
    if (must) keep[i] = true, ++kept;
  }
  // The rest evenly over the states between, as many as the room left.
  const std::size_t rest = states.size() - kept;
  const std::size_t wanted = room > kept ? std::min(room - kept, rest) : 0;
  std::size_t seen = 0, taken = 0;
  for (std::size_t i = 0; i < states.size(); ++i) {
    if (keep[i]) continue;
    // The (seen + 1)-th of `rest` is taken when it carries the count taken past the next whole share.
    if ((seen + 1) * wanted / rest > taken) keep[i] = true, ++taken;
    ++seen;
  }
  for (std::size_t i = 0; i < states.size(); ++i)
    if (keep[i]) out.states.push_back(std::move(states[i]));
  return out;
}

}  // namespace kalvane::view
