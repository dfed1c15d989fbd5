#include "form/problem.hpp"

#include <charconv>
#include <cmath>
#include <numeric>

#include "error.hpp"

namespace kalvane::form {

namespace {

problem_fault fault(fault_subject subject, std::size_t index, std::string message, const char* name = data_error) {
  return {name, std::move(message), subject, index};
}

std::string number(double value) {
  if (std::isnan(value)) return "not a number";
  if (std::isinf(value)) return value > 0 ? "infinite" : "minus infinity";
  char buffer[32];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, end);
}

template <class T>
std::optional<problem_fault> size_fault(const std::vector<T>& v, std::size_t wanted, const char* what, const char* per,
                                        bool may_be_empty) {
  if ((may_be_empty && v.empty()) || v.size() == wanted) return std::nullopt;
  return fault(fault_subject::whole, 0,
               std::string("the form problem has ") + std::to_string(v.size()) + " " + what + " for " +
                   std::to_string(wanted) + " " + per);
}

bool finite(const point& p) { return std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2]); }

const char* axis(int c) { return c == 0 ? "X" : c == 1 ? "Y" : "Z"; }

// The representative of node k's set, halving the path as it goes.
int32_t root(std::vector<int32_t>& parent, int32_t k) {
  while (parent[static_cast<std::size_t>(k)] != k) {
    auto& up = parent[static_cast<std::size_t>(k)];
    up = parent[static_cast<std::size_t>(up)];
    k = up;
  }
  return k;
}

}  // namespace

// Each free component must reach a node holding that component through the bars: otherwise
// the nodes of its connected part can move together along that axis and D is singular.
std::optional<problem_fault> unheld_fault(const problem& p) {
  const std::size_t n = p.nodes.size();
  std::vector<int32_t> parent(n);
  std::iota(parent.begin(), parent.end(), 0);
  for (const bar_ends& b : p.bars) {
    const int32_t a = root(parent, b.first), c = root(parent, b.second);
    if (a != c) parent[static_cast<std::size_t>(a)] = c;
  }
  for (std::size_t k = 0; k < n; ++k) parent[k] = root(parent, static_cast<int32_t>(k));  // each node's part, once
  std::vector<char> part_held(n);
  for (int c = 0; c < 3; ++c) {
    std::fill(part_held.begin(), part_held.end(), 0);
    for (std::size_t k = 0; k < n; ++k)
      if (is_held(p, k, c)) part_held[static_cast<std::size_t>(parent[k])] = 1;
    for (std::size_t k = 0; k < n; ++k) {
      if (is_held(p, k, c) || part_held[static_cast<std::size_t>(parent[k])]) continue;
      return fault(fault_subject::node, k,
                   node_name(k) + " has no path through the bars to a node held in " + axis(c) +
                       ", so its position along " + axis(c) + " is undetermined (held: " + held_summary(p) +
                       "); hold a node of its part of the net");
    }
  }
  return std::nullopt;
}

void hold(problem& p, int32_t node) {
  if (p.held.empty()) p.held.assign(p.nodes.size(), {false, false, false});
  p.held[static_cast<std::size_t>(node)] = {true, true, true};
}

std::vector<double> density_by_group(const std::vector<int32_t>& group_of_bar, const std::vector<double>& group_density) {
  std::vector<double> density(group_of_bar.size());
  for (std::size_t b = 0; b < group_of_bar.size(); ++b) {
    const int32_t g = group_of_bar[b];
    if (g < 0 || static_cast<std::size_t>(g) >= group_density.size())
      fail(index_error, bar_name(b) + " is in group " + std::to_string(g + 1) + ", but there are " +
                            std::to_string(group_density.size()) + " groups");
    density[b] = group_density[static_cast<std::size_t>(g)];
  }
  return density;
}

bool is_held(const problem& p, std::size_t node, int component) {
  return !p.held.empty() && p.held[node][static_cast<std::size_t>(component)];
}
bool has_target_force(const problem& p, std::size_t bar) { return !p.target_force.empty() && p.target_force[bar]; }
bool has_target_length(const problem& p, std::size_t bar) { return !p.target_length.empty() && p.target_length[bar]; }

std::string node_name(std::size_t node) { return "node " + std::to_string(node + 1); }
std::string bar_name(std::size_t bar) { return "bar " + std::to_string(bar + 1); }

std::string held_summary(const problem& p) {
  constexpr std::size_t listed_at_most = 12;
  std::string out;
  // Nodes held in all three components first, then any held in some only.
  for (int kind = 0; kind < 2; ++kind) {
    std::vector<std::size_t> nodes;
    for (std::size_t k = 0; k < p.held.size(); ++k) {
      const int count = p.held[k][0] + p.held[k][1] + p.held[k][2];
      if ((kind == 0 && count == 3) || (kind == 1 && count > 0 && count < 3)) nodes.push_back(k);
    }
    if (nodes.empty()) continue;
    if (!out.empty()) out += "; ";
    out += nodes.size() == 1 ? "node " : "nodes ";
    for (std::size_t i = 0; i < nodes.size() && i < listed_at_most; ++i) {
      if (i > 0) out += ", ";
      out += std::to_string(nodes[i] + 1);
      if (kind == 1) {
        out += " (";
        for (int c = 0; c < 3; ++c)
          if (p.held[nodes[i]][static_cast<std::size_t>(c)]) out += axis(c);
        out += ")";
      }
    }
    if (nodes.size() > listed_at_most) out += " and " + std::to_string(nodes.size() - listed_at_most) + " more";
    if (kind == 0) out += nodes.size() == 1 ? " in every component" : ", each in every component";
  }
  return out.empty() ? "nothing" : out;
}

std::optional<problem_fault> fault_of(const problem& p) {
  if (std::optional<problem_fault> f = fault_before_holding(p)) return f;
  return unheld_fault(p);
}

std::optional<problem_fault> fault_before_holding(const problem& p) {
  using subject = fault_subject;
  const auto at_node = [](std::size_t k, const std::string& words) {
    return fault(subject::node, k, node_name(k) + words);
  };
  const auto at_bar = [](subject what, std::size_t b, const std::string& words) {
    return fault(what, b, bar_name(b) + words);
  };
  const std::size_t n = p.nodes.size(), m = p.bars.size();
  if (n == 0) return fault(subject::whole, 0, "the form problem has no nodes");
  for (const auto& size :
       {size_fault(p.held, n, "held flags", "nodes", true), size_fault(p.loads, n, "loads", "nodes", true),
        size_fault(p.density, m, "densities", "bars", false), size_fault(p.behaviour, m, "bar kinds", "bars", true),
        size_fault(p.target_force, m, "target forces", "bars", true),
        size_fault(p.target_length, m, "target lengths", "bars", true)})
    if (size) return size;
  for (std::size_t k = 0; k < n; ++k) {
    if (!finite(p.nodes[k])) return at_node(k, " has a coordinate that is not a finite number");
    if (!p.loads.empty() && !finite(p.loads[k])) return at_node(k, " has a load that is not a finite number");
  }
  std::vector<char> reached(n, 0);
  for (std::size_t b = 0; b < m; ++b) {
    const bar_ends& e = p.bars[b];
    for (int32_t k : {e.first, e.second})
      if (k < 0 || static_cast<std::size_t>(k) >= n)
        return fault(subject::ends, b,
                     bar_name(b) + " names node " + std::to_string(static_cast<long long>(k) + 1) +
                         ", but there are " + std::to_string(n) + " nodes",
                     index_error);
    if (e.first == e.second)
      return at_bar(subject::ends, b, " joins " + node_name(static_cast<std::size_t>(e.first)) + " to itself");
    reached[static_cast<std::size_t>(e.first)] = reached[static_cast<std::size_t>(e.second)] = 1;
    const bool cable = !p.behaviour.empty() && p.behaviour[b] == bar_behaviour::cable;
    const double q = p.density[b];
    if (!std::isfinite(q)) return at_bar(subject::density, b, " has a force density that is " + number(q));
    if (q == 0.0)
      return at_bar(subject::density, b, " has a force density of zero: it would carry nothing and hold nothing");
    const bool force = has_target_force(p, b), length = has_target_length(p, b);
    if (force && length)
      return at_bar(subject::target_length, b,
                    " has both a target force and a target length: with its density they would fix its length "
                    "twice; give one");
    // A target does not excuse it: a target length keeps the density's sign, and a target
    // given up takes back the density it started from.
    if (cable && q < 0.0)
      return at_bar(subject::density, b,
                    " is a cable with the negative force density " + number(q) +
                        ": a cable cannot push (give struts the kind of a bar)");
    if (force) {
      const double f = *p.target_force[b];
      if (!std::isfinite(f) || f == 0.0)
        return at_bar(subject::target_force, b,
                      " has the target force " + number(f) + ": a bar's force must be finite and not zero");
      if (cable && f < 0.0)
        return at_bar(subject::target_force, b,
                      " is a cable with the target force " + number(f) + ": a cable cannot push");
    }
    if (length) {
      const double l = *p.target_length[b];
      if (!(l > 0.0) || !std::isfinite(l))
        return at_bar(subject::target_length, b,
                      " has the target length " + number(l) + ": a length must be positive and finite");
    }
  }
  for (std::size_t k = 0; k < n; ++k)
    if (!reached[k]) return at_node(k, " is the end of no bar: nothing gives it a place in the form");
  return std::nullopt;
}

void validate(const problem& p) {
  if (const std::optional<problem_fault> f = fault_of(p)) fail(f->name, f->message);
}

}  // namespace kalvane::form
