#include "check/calculix_deck.hpp"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <map>
#include <tuple>
#include <utility>

namespace kalvane::check {

namespace {

// The solver reads a number from at most 20 characters and refuses the card otherwise.
constexpr int field_width = 20;

// The shortest text that reads back as the same double when it fits the field, else as
// many significant digits as fit (14 at least).
void put_real(std::string& out, double v) {
  char buffer[40];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, v);
  int length = ec == std::errc() ? static_cast<int>(end - buffer) : field_width + 1;
  // A number without a decimal point is an integer to the solver, and the first of a spring
  // table's line then names a degree of freedom: a cable's "0" force refused the deck.
  const std::string_view written(buffer, ec == std::errc() ? static_cast<std::size_t>(length) : 0);
  if (ec == std::errc() && written.find('.') == std::string_view::npos) {
    const auto mantissa = static_cast<int>(written.find_first_of("eE"));
    const int at = mantissa < 0 ? length : mantissa;
    std::memmove(buffer + at + 1, buffer + at, static_cast<std::size_t>(length - at));
    buffer[at] = '.';
    ++length;
  }
  for (int digits = 13; length > field_width && digits > 0; --digits)
    length = std::snprintf(buffer, sizeof buffer, "%.*E", digits, v);
  out.append(buffer, static_cast<std::size_t>(length));
}

void put_int(std::string& out, long v) { out += std::to_string(v); }

bool prescribed(const model& m, int32_t node, int j) { return m.dof_map(node, j) > m.free_count; }

}  // namespace

calculix_deck plan_deck(const structure& s, const std::vector<stretch_range>& seen, const calculix_faults& faults) {
  const model& m = s.base;
  calculix_deck deck;
  const int32_t n = bar_count(m);
  deck.group_of_bar.assign(static_cast<std::size_t>(n), 0);
  std::map<std::tuple<int32_t, int, double, double, double>, std::size_t> index;
  for (int32_t b = 1; b <= n; ++b) {
    const bar_record& bar = m.bars(b);
    const member& mem = member_of(s, b);
    const auto key = std::make_tuple(mem.material, static_cast<int>(mem.behaviour), bar.area, bar.length0, mem.rest);
    auto [it, added] = index.emplace(key, deck.groups.size());
    if (added) {
      spring_group g;
      g.area = bar.area;
      g.length0 = bar.length0;
      g.material = mem.material;
      g.kind.behaviour = mem.behaviour;
      g.kind.rest = mem.rest;
      deck.groups.push_back(g);
    }
    deck.groups[it->second].bars.push_back(b);
    deck.group_of_bar[static_cast<std::size_t>(b - 1)] = static_cast<int32_t>(it->second);
  }
  for (spring_group& g : deck.groups) {
    stretch_range range;
    for (int32_t b : g.bars) {
      const stretch_range& r = seen[static_cast<std::size_t>(b - 1)];
      range.low = std::min(range.low, r.low);
      range.high = std::max(range.high, r.high);
    }
    g.table = make_spring_table(s.materials[static_cast<std::size_t>(g.material)], g.kind, g.area, g.length0, range);
    for (double& e : g.table.elongation) e *= faults.elongation_scale;
  }
  return deck;
}

std::string deck_text(const structure& s, const calculix_deck& deck, const calculix_faults& faults) {
  const model& m = s.base;
  std::string out;
  out += "** The structure at full load, each bar an axial spring with its own law on its own rest length\n";
  out += "*NODE, NSET=";
  out += all_nodes_set;
  out += '\n';
  for (int32_t i = 1; i <= m.node_count; ++i) {
    put_int(out, i);
    for (double v : {m.x0(i), m.y0(i), m.z0(i)}) {
      out += ", ";
      put_real(out, v);
    }
    out += '\n';
  }
  for (std::size_t g = 0; g < deck.groups.size(); ++g) {
    const spring_group& group = deck.groups[g];
    const std::string set = "BARS" + std::to_string(g + 1);
    out += "** area " ;
    put_real(out, group.area);
    out += ", length ";
    put_real(out, group.length0);
    out += ", rest length ";
    put_real(out, group.kind.rest);
    out += ", material ";
    put_int(out, group.material + 1);
    out += "\n*ELEMENT, TYPE=SPRINGA, ELSET=" + set + "\n";
    for (int32_t b : group.bars) {
      put_int(out, b);
      out += ", ";
      put_int(out, m.bars(b).node1);
      out += ", ";
      put_int(out, m.bars(b).node2);
      out += '\n';
    }
    // Nonlinear spring data: force, elongation per line.
    out += "*SPRING, ELSET=" + set + ", NONLINEAR\n";
    for (std::size_t k = 0; k < group.table.force.size(); ++k) {
      put_real(out, group.table.force[k]);
      out += ", ";
      put_real(out, group.table.elongation[k]);
      out += '\n';
    }
  }
  bool any_support = false;
  for (int32_t i = 1; i <= m.node_count && !any_support; ++i)
    for (int j = 1; j <= 3; ++j) any_support = any_support || prescribed(m, i, j);
  if (any_support) {
    out += "*NSET, NSET=";
    out += support_nodes_set;
    out += '\n';
    for (int32_t i = 1; i <= m.node_count; ++i)
      if (prescribed(m, i, 1) || prescribed(m, i, 2) || prescribed(m, i, 3)) {
        put_int(out, i);
        out += '\n';
      }
  }
  out += "*STEP, NLGEOM, INC=10000\n*STATIC\n0.05, 1.0, 1e-8, 0.1\n";
  // Prescribed values are part of the step, so they grow with the loads.
  if (any_support) out += "*BOUNDARY\n";
  for (int32_t i = 1; i <= m.node_count; ++i)
    for (int j = 1; j <= 3; ++j)
      if (prescribed(m, i, j)) {
        put_int(out, i);
        out += ", " + std::to_string(j) + ", " + std::to_string(j) + ", ";
        put_real(out, m.prescribed(i, j));
        out += '\n';
      }
  bool cload_written = false;
  for (int32_t i = 1; i <= m.node_count; ++i)
    for (int j = 1; j <= 3; ++j)
      if (m.loads(i, j) != 0.0) {
        if (!cload_written) out += "*CLOAD\n";
        cload_written = true;
        put_int(out, i);
        out += ", " + std::to_string(j) + ", ";
        put_real(out, faults.flip_load_sign ? -m.loads(i, j) : m.loads(i, j));
        out += '\n';
      }
  // Printed once, at the end of the step.
  out += "*NODE PRINT, NSET=";
  out += all_nodes_set;
  out += ", FREQUENCY=10000\nU\n";
  if (any_support) {
    out += "*NODE PRINT, NSET=";
    out += support_nodes_set;
    out += ", FREQUENCY=10000\nRF\n";
  }
  out += "*END STEP\n";
  return out;
}

}  // namespace kalvane::check
