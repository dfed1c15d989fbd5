#include "structure/structure.hpp"

#include <charconv>
#include <cmath>
#include <string>

#include "error.hpp"
#include "structure/law.hpp"

namespace kalvane {

namespace {

// A value as a message names it: the shortest digits that read back to it, in plain notation
// where that is as plain as %g's (-0.0002, not -2e-04 or -0.00020000000000000001).
std::string value_text(double value) {
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::general).ptr;
  return std::string(text, end);
}

bool positive(double value) { return std::isfinite(value) && value > 0.0; }

[[noreturn]] void refuse_bar(const structure& s, int32_t b, const std::string& what) {
  fail(data_error, s.base.source_name + ": " + bar_name(s, b) + ": " + what);
}

[[noreturn]] void refuse_material(const structure& s, const material& mat, const std::string& what) {
  fail(data_error, s.base.source_name + ": material \"" + mat.name + "\": " + what);
}

}  // namespace

std::string bar_name(const structure& s, int32_t b) {
  std::string name = "bar " + std::to_string(b);
  const model& m = s.base;
  if (b >= m.bar_line.first && b <= m.bar_line.last && m.bar_line(b) > 0)
    name += " (line " + std::to_string(m.bar_line(b)) + ")";
  return name;
}

structure structure_of(model m) {
  structure s;
  if (m.material) {
    material mat;
    mat.name = "material";
    mat.law = m.material->model == material_law::neo_hooke ? axial_law::neo_hooke : axial_law::mooney_rivlin;
    mat.c1 = m.material->c1;
    mat.c2 = mat.law == axial_law::mooney_rivlin ? c2(*m.material) : 0.0;
    s.materials.push_back(mat);
  }
  s.members.assign(static_cast<std::size_t>(bar_count(m)), member{});
  s.base = std::move(m);
  return s;
}

std::string beyond_kalvane(const structure& s) {
  if (s.materials.size() != 1) return "it has " + std::to_string(s.materials.size()) + " materials";
  const material& mat = s.materials.front();
  if (mat.law == axial_law::linear_elastic) return "material \"" + mat.name + "\" is linear elastic";
  if (mat.weight != 0.0) return "material \"" + mat.name + "\" has a weight";
  for (std::size_t b = 0; b < s.members.size(); ++b) {
    const member& mem = s.members[b];
    const std::string bar = "bar " + std::to_string(b + 1);
    if (mem.behaviour == bar_behaviour::cable) return bar + " is a cable";
    if (mem.rest_length) return bar + " has a rest length";
    if (mem.prestress) return bar + " has a prestress";
  }
  return "";
}

bool kalvane_can_hold(const structure& s) { return beyond_kalvane(s).empty(); }

std::string form_fault(const form_data& f, std::size_t bars, std::size_t& group) {
  std::vector<std::size_t> density_from(bars, 0), target_from(bars, 0);
  for (group = 0; group < f.groups.size(); ++group) {
    const form_group& g = f.groups[group];
    const std::string name = "form: groups[" + std::to_string(group) + "]";
    for (int32_t b : g.bars) {
      if (b < 1 || static_cast<std::size_t>(b) > bars)
        return name + ": bar " + std::to_string(b) + " is outside 1.." + std::to_string(bars);
      const auto twice = [&](std::vector<std::size_t>& from, const char* what) -> std::string {
        std::size_t& earlier = from[static_cast<std::size_t>(b - 1)];
        if (earlier != 0)
          return name + ": bar " + std::to_string(b) + " is given " + what + " twice (also form: groups[" +
                 std::to_string(earlier - 1) + "])";
        earlier = group + 1;
        return "";
      };
      std::string fault = g.density ? twice(density_from, "a density") : "";
      if (fault.empty() && (g.force || g.length)) fault = twice(target_from, "a target");
      if (!fault.empty()) return fault;
    }
  }
  return "";
}

void validate(const structure& s) {
  if (s.materials.empty()) fail(data_error, s.base.source_name + ": the model has no material");
  for (const material& mat : s.materials) {
    switch (mat.law) {
      case axial_law::neo_hooke:
        if (!positive(mat.c1)) refuse_material(s, mat, "c1 must be positive and finite, not " + value_text(mat.c1));
        break;
      case axial_law::mooney_rivlin:
        if (!std::isfinite(mat.c1) || !std::isfinite(mat.c2) || !positive(mat.c1 + mat.c2))
          refuse_material(s, mat, "c1 + c2 must be positive and finite, not " + value_text(mat.c1) + " + " +
                                      value_text(mat.c2));
        break;
      case axial_law::linear_elastic:
        if (!positive(mat.E)) refuse_material(s, mat, "E must be positive and finite, not " + value_text(mat.E));
        break;
    }
    if (!std::isfinite(mat.weight) || mat.weight < 0.0)
      refuse_material(s, mat, "the weight per unit volume must be zero or positive and finite, not " +
                                  value_text(mat.weight));
  }
  const model& m = s.base;
  if (s.members.size() != static_cast<std::size_t>(bar_count(m)))
    fail(data_error, s.base.source_name + ": " + std::to_string(s.members.size()) + " bar records for " +
                         std::to_string(bar_count(m)) + " bars");
  for (int32_t b = 1; b <= bar_count(m); ++b) {
    const member& mem = member_of(s, b);
    if (mem.material < 0 || static_cast<std::size_t>(mem.material) >= s.materials.size())
      refuse_bar(s, b, "its material " + std::to_string(mem.material + 1) + " is not one of the model's " +
                           std::to_string(s.materials.size()));
    const double area = m.bars(b).area;
    if (!positive(area)) refuse_bar(s, b, "the area must be positive and finite, not " + value_text(area));
    if (mem.rest_length && mem.prestress) refuse_bar(s, b, "a rest length and a prestress are both given");
    if (mem.rest_length && !positive(*mem.rest_length))
      refuse_bar(s, b, "the rest length must be positive and finite, not " + value_text(*mem.rest_length));
    if (mem.prestress && !std::isfinite(*mem.prestress))
      refuse_bar(s, b, "the prestress must be finite, not " + value_text(*mem.prestress));
  }
  bool weighty = false;
  for (const material& mat : s.materials) weighty = weighty || mat.weight > 0.0;
  const double g = std::hypot(s.gravity[0], s.gravity[1], s.gravity[2]);
  if (weighty && !positive(g))
    fail(data_error, s.base.source_name + ": gravity must be a direction (a nonzero finite vector) when a material has weight");
  // Nothing to analyse is said so, not met later as an index out of range.
  if (s.base.node_count < 1) fail(data_error, s.base.source_name + ": the model has no nodes");
  if (bar_count(s.base) < 1) fail(data_error, s.base.source_name + ": the model has no bars");
}

double prestress_stretch(const structure& s, int32_t b) {
  const member& mem = member_of(s, b);
  const material& mat = material_of(s, b);
  const std::optional<double> lambda = stretch_for_force(mat, mem.behaviour, s.base.bars(b).area, *mem.prestress);
  if (!lambda)
    refuse_bar(s, b, "a prestress of " + value_text(*mem.prestress) + " cannot be carried by " +
                         (mem.behaviour == bar_behaviour::cable ? std::string("a cable") : std::string("a bar")) +
                         " of " + law_name(mat.law) + " material \"" + mat.name + "\"");
  return *lambda;
}

void validate_without_shape(const structure& s) {
  validate(s);
  for (int32_t b = 1; b <= bar_count(s.base); ++b)
    if (member_of(s, b).prestress) prestress_stretch(s, b);
}

void prepare(structure& s) {
  validate(s);
  model& m = s.base;
  for (int32_t b = 1; b <= bar_count(m); ++b) {
    member& mem = s.members[static_cast<std::size_t>(b - 1)];
    const double drawn = m.bars(b).length0;
    if (!positive(drawn)) refuse_bar(s, b, "its drawn length must be positive and finite, not " + value_text(drawn));
    if (mem.rest_length) {
      mem.rest = *mem.rest_length;
    } else if (mem.prestress) {
      mem.rest = drawn / prestress_stretch(s, b);
    } else {
      mem.rest = drawn;
    }
  }
  const double g = std::hypot(s.gravity[0], s.gravity[1], s.gravity[2]);
  if (positive(g))
    for (double& c : s.gravity) c /= g;
  s.weight_loads.allocate(1, m.node_count, 1, 3);
  for (int32_t b = 1; b <= bar_count(m); ++b) {
    const double weight = material_of(s, b).weight;
    if (weight != 0.0) add_bar_weight(s, b, weight, s.gravity, s.weight_loads);
  }
}

void add_bar_weight(const structure& s, int32_t b, double weight, const std::array<double, 3>& gravity,
                    terms::fmat2& loads) {
  const bar_record& bar = s.base.bars(b);
  const double half = 0.5 * (weight * bar.area * member_of(s, b).rest);
  for (int c = 1; c <= 3; ++c) {
    const double share = half * gravity[static_cast<std::size_t>(c - 1)];
    loads(bar.node1, c) += share;
    loads(bar.node2, c) += share;
  }
}

}  // namespace kalvane
