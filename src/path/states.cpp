#include "path/states.hpp"

#include <algorithm>

#include "path/applied.hpp"

namespace kalvane::path {

namespace {

using newton::point_kind;

// A limit point, a bifurcation, a jump's end: few, and each turns the route. A cable's
// events are not among them: a cascade of thousands going slack would outgrow any budget.
bool turns_the_route(point_kind kind) {
  return kind == point_kind::limit || kind == point_kind::bifurcation || kind == point_kind::jump;
}

// Whether the rule keeps kept[i] whatever the budget: the first point, the last one told of
// (the next may be an event), an event that turns the route, or a point beside one. Those
// events are always kept, so a neighbour of one is its neighbour in `kept` too.
bool always_kept(const std::vector<kept_state>& kept, std::size_t i) {
  if (kept[i].row == 0 || i + 1 == kept.size() || turns_the_route(kept[i].kind)) return true;
  const auto event_at = [&](std::size_t j, std::size_t row) {
    return kept[j].row == row && turns_the_route(kept[j].kind);
  };
  return (i > 0 && event_at(i - 1, kept[i].row - 1)) || event_at(i + 1, kept[i].row + 1);
}

// Drops the states the rule does not keep and the stride leaves out.
void thin(std::vector<kept_state>& kept, std::size_t stride) {
  std::vector<kept_state> left;
  left.reserve(kept.size());
  for (std::size_t i = 0; i < kept.size(); ++i)
    if (always_kept(kept, i) || kept[i].row % stride == 0) left.push_back(std::move(kept[i]));
  kept.swap(left);
}

}  // namespace

void state_keeper::operator()(const newton::path_point& p, const newton::vector& x) {
  kept.push_back({seen++, p.kind, x});
  // The point before this one is no longer the last: the stride decides it now.
  if (kept.size() >= 2 && !always_kept(kept, kept.size() - 2) && kept[kept.size() - 2].row % stride != 0)
    kept.erase(kept.end() - 2);
  // Past the rows seen, a larger stride leaves only what the rule keeps.
  while (kept.size() > most && stride <= seen) {
    stride *= 2;
    thin(kept, stride);
  }
}

std::size_t states_within(std::size_t budget_bytes, std::uint32_t nodes, std::uint32_t bars) {
  return std::max<std::size_t>(2, budget_bytes / path_state_bytes(nodes, bars));
}

path_states states_of(const structure& s, const curve& c, const std::vector<kept_state>& kept,
                      const std::optional<written_state>& written) {
  const model& m = s.base;
  path_states out;
  out.nodes = static_cast<std::uint32_t>(m.node_count);
  out.bars = static_cast<std::uint32_t>(bar_count(m));
  structure scaled = s;
  const auto record_of = [&](std::size_t row, const newton::vector* x) {
    const curve_point& p = c.points[row];
    path_state_record r;
    r.row = static_cast<std::uint32_t>(row);
    r.stage = p.point.stage;
    r.load_factor = p.point.load_factor;
    r.loads = p.at.loads;
    r.prescribed = p.at.prescribed;
    r.weight = p.at.weight;
    bar_results answer;
    if (x) {
      for (int32_t k = 1; k <= m.node_count; ++k)
        for (int j = 1; j <= 3; ++j) r.displacement.push_back(displacement_at(m, p.at, *x, k, j));
      apply(scaled, s, p.at);
      answer = newton::results_at(scaled, *x);
    }
    const bar_results& bars = x ? answer : *written->bars;
    if (!x) r.displacement = written->displacement;
    r.force = bars.force;
    r.stress = bars.stress;
    for (std::size_t e = 0; e < bars.force.size(); ++e)
      r.state.push_back(bars.slack[e] ? 2 : bars.force[e] < 0.0 ? 1 : 0);
    return r;
  };
  bool written_done = !written || written->row >= c.points.size();
  for (const kept_state& k : kept) {
    if (k.row >= c.points.size()) break;  // the curve names only the points the path ended with
    if (!written_done && written->row < k.row) out.states.push_back(record_of(written->row, nullptr));
    const bool is_written = !written_done && written->row == k.row;
    written_done = written_done || written->row <= k.row;
    out.states.push_back(record_of(k.row, is_written ? nullptr : &k.x));
  }
  if (!written_done) out.states.push_back(record_of(written->row, nullptr));
  return out;
}

}  // namespace kalvane::path
