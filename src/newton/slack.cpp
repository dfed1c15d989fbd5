#include "newton/slack.hpp"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "structure/law.hpp"

namespace kalvane::newton {

double slack_stiffness(const bar_record& bar, const material& mat, const member& mem) {
  // The slope of the taut law at the rest length, per rest length: E A / L0 for steel.
  const axial_response taut = respond(mat, bar_behaviour::bar, bar.area, mem.rest, 1.0, 0.0);
  return slack_stiffness_fraction * taut.slope / mem.rest;
}

bool has_cables(const structure& s) {
  return std::any_of(s.members.begin(), s.members.end(),
                     [](const member& m) { return m.behaviour == bar_behaviour::cable; });
}

void slack_flags(const structure& s, const vector& x, std::vector<std::uint8_t>& flags) {
  const model& m = s.base;
  flags.assign(static_cast<std::size_t>(bar_count(m)), 0);
  for (int32_t b = 1; b <= bar_count(m); ++b) {
    if (member_of(s, b).behaviour != bar_behaviour::cable) continue;
    double u[3];
    bar_difference(m, m.bars(b), x, u);
    flags[static_cast<std::size_t>(b - 1)] = member_at(m.bars(b), material_of(s, b), member_of(s, b), u).slack ? 1 : 0;
  }
}

flip_counter::flip_counter(const structure& s, int flips_allowed) : limit(flips_allowed), active(has_cables(s)) {}

bool flip_counter::observe(const structure& s, const vector& x) {
  if (!active) return false;
  std::vector<std::uint8_t> now;
  slack_flags(s, x, now);
  if (flips.empty()) {
    flips.assign(now.size(), 0);
  } else {
    for (std::size_t b = 0; b < now.size(); ++b)
      if (now[b] != last[b] && (flipped = true, ++flips[b] > limit)) chattering = true;
  }
  last.swap(now);
  return chattering;
}

std::vector<slack_group> slack_groups(const structure& s, const vector& x) {
  const model& m = s.base;
  const auto nodes = static_cast<std::size_t>(m.node_count);
  std::vector<std::uint8_t> slack;
  slack_flags(s, x, slack);
  // Nodes joined by members that carry force (bars, taut cables) fall into one set.
  std::vector<std::size_t> root(nodes);
  std::iota(root.begin(), root.end(), std::size_t{0});
  auto find = [&root](std::size_t i) {
    while (root[i] != i) i = root[i] = root[root[i]];
    return i;
  };
  std::vector<std::uint8_t> touches_slack(nodes, 0), on_bar(nodes, 0);
  for (int32_t b = 1; b <= bar_count(m); ++b) {
    const bar_record& bar = m.bars(b);
    const auto n1 = static_cast<std::size_t>(bar.node1 - 1), n2 = static_cast<std::size_t>(bar.node2 - 1);
    on_bar[n1] = on_bar[n2] = 1;
    if (slack[static_cast<std::size_t>(b - 1)]) {
      touches_slack[n1] = touches_slack[n2] = 1;
      continue;
    }
    root[find(n1)] = find(n2);
  }
  // A set is held along each axis on which one of its nodes is supported (or prescribed): a
  // node held in Z alone still moves in X and Y. Held along all three, or with no slack
  // cable, it is not one of ours.
  std::vector<std::uint8_t> held(nodes, 0), candidate(nodes, 0);
  for (std::size_t i = 0; i < nodes; ++i) {
    const std::size_t r = find(i);
    for (int c = 1; c <= 3; ++c)
      if (m.dof_map(static_cast<int32_t>(i + 1), c) > m.free_count) held[r] |= static_cast<std::uint8_t>(1u << (c - 1));
    if (touches_slack[i] || !on_bar[i]) candidate[r] = 1;  // a node on no bar is its own set
  }
  std::vector<slack_group> groups;
  std::vector<long> group_of(nodes, -1);
  std::vector<double> size(nodes, 0.0);
  for (std::size_t i = 0; i < nodes; ++i) {
    const std::size_t r = find(i);
    if (held[r] == 7 || !candidate[r]) continue;
    if (group_of[r] < 0) group_of[r] = static_cast<long>(groups.size()), groups.emplace_back();
    slack_group& g = groups[static_cast<std::size_t>(group_of[r])];
    g.on_no_bar = !on_bar[i];
    g.nodes.push_back(static_cast<int32_t>(i + 1));
    for (int c = 1; c <= 3; ++c) {
      const double load = m.loads.data.empty() ? 0.0 : m.loads(static_cast<int32_t>(i + 1), c);
      g.load[c - 1] += load;
      size[r] += std::fabs(load);
    }
  }
  for (std::size_t r = 0; r < nodes; ++r) {
    if (group_of[r] < 0) continue;
    slack_group& g = groups[static_cast<std::size_t>(group_of[r])];
    double resultant = 0.0;  // along the axes on which nothing holds the set
    for (int c = 0; c < 3; ++c)
      if (!(held[r] & (1u << c))) resultant = std::max(resultant, std::fabs(g.load[c]));
    g.loaded = resultant > rounding_of(size[r]);
  }
  return groups;
}

std::string nodes_text(const std::vector<int32_t>& nodes) {
  std::string text = nodes.size() == 1 ? "node " : "nodes ";
  for (std::size_t i = 0; i < nodes.size(); ++i)
    text += (i == 0 ? "" : i + 1 == nodes.size() ? " and " : ", ") + std::to_string(nodes[i]);
  return text;
}

}  // namespace kalvane::newton
