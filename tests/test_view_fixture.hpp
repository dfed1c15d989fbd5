#pragma once
// Shared by the kalvane-view tests: hand-built models, report text in kalvane's layout,
// and a small XML reader that also checks well-formedness.
#include <array>
#include <cctype>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "model/model.hpp"
#include "output/layout.hpp"
#include "output/report_layout.hpp"
#include "view/scene.hpp"

namespace view_test {

struct node_spec {
  double x, y, z;
};
struct bar_spec {
  int node1, node2;
  double area;
};
struct support_spec {
  int node, component;
  double value;
};

// A model as the input reader leaves it: dof_map holds 0/1 flags.
inline kalvane::model make_model(const std::vector<node_spec>& nodes, const std::vector<bar_spec>& bars,
                                 const std::vector<support_spec>& supports = {}) {
  kalvane::model m;
  const int n = static_cast<int>(nodes.size()), b = static_cast<int>(bars.size());
  m.node_count = n;
  m.x0.allocate(1, n), m.y0.allocate(1, n), m.z0.allocate(1, n);
  for (int k = 1; k <= n; ++k) m.x0(k) = nodes[k - 1].x, m.y0(k) = nodes[k - 1].y, m.z0(k) = nodes[k - 1].z;
  m.bars.allocate(1, b);
  for (int e = 1; e <= b; ++e) {
    m.bars(e).node1 = bars[e - 1].node1, m.bars(e).node2 = bars[e - 1].node2, m.bars(e).area = bars[e - 1].area;
  }
  m.dof_map.allocate(1, n, 1, 3);
  m.prescribed.allocate(1, n, 1, 3);
  m.loads.allocate(1, n, 1, 3);
  for (const support_spec& s : supports) m.dof_map(s.node, s.component) = 1, m.prescribed(s.node, s.component) = s.value;
  m.material = kalvane::neo_hooke(10.0);
  return m;
}

// A report real, exactly as the report writes it.
inline std::string real_field(double v) { return kalvane::real_field(v, kalvane::report_layout::value); }

struct reaction_spec {
  int node;
  std::array<bool, 3> reported;
  std::array<double, 3> value;
};

// A report of the given values, laid out by the report's own description, for tests whose
// values no solved model needs to produce.
inline std::string report_text(int iterations, double objective, const std::vector<std::array<double, 3>>& displacement,
                               const std::vector<reaction_spec>& reactions, const std::vector<double>& stress,
                               double allowable_gradient = 1e-3) {
  namespace layout = kalvane::report_layout;
  const auto rule = [](int length) { return std::string(static_cast<std::size_t>(length), '-') + "\n"; };
  const auto table_head = [&](const layout::table_head& table) {
    return std::string(layout::blank_lines_between, '\n') + rule(table.rule) + std::string(table.heading) + "\n" +
           rule(table.rule) + std::string(static_cast<std::size_t>(table.blank_lines_after_head), '\n');
  };
  const auto number = [](std::size_t k) { return kalvane::integer_field(static_cast<int32_t>(k), layout::number_width); };
  const auto value = [](double v) { return std::string(layout::gap, ' ') + real_field(v); };
  const auto framed = [](std::string_view label, const std::string& field) {
    return std::string(label) + field + std::string(layout::frame_end) + "\n";
  };

  std::string t = rule(layout::frame_rule);
  t += framed(layout::iterations_label, kalvane::integer_field(iterations, layout::iterations_width));
  t += framed(layout::objective_label, real_field(objective));
  t += framed(layout::gradient_label, real_field(allowable_gradient));
  t += rule(layout::frame_rule);
  t += table_head(layout::displacement_table);
  for (std::size_t k = 0; k < displacement.size(); ++k) {
    t += number(k + 1);
    for (double d : displacement[k]) t += value(d);
    t += "\n";
  }
  t += table_head(layout::reaction_table);
  for (const reaction_spec& r : reactions) {
    t += number(static_cast<std::size_t>(r.node));
    const int last = r.reported[2] ? 3 : r.reported[1] ? 2 : 1;
    for (int c = 0; c < last; ++c) t += r.reported[c] ? value(r.value[c]) : std::string(layout::column_width, ' ');
    t += "\n";
  }
  t += table_head(layout::stress_table);
  for (std::size_t e = 0; e < stress.size(); ++e) t += number(e + 1) + value(stress[e]) + "\n";
  return t;
}

// A chain of `bars` bars along X, every node moved by (0, -0.01 k, 0), stresses alternating
// in sign: big models without a solver.
struct chain {
  kalvane::model model;
  std::string report;
};

inline chain make_chain(int bars) {
  std::vector<node_spec> nodes;
  std::vector<bar_spec> links;
  std::vector<std::array<double, 3>> displacement;
  std::vector<double> stress;
  for (int k = 0; k <= bars; ++k) {
    nodes.push_back({static_cast<double>(k % 317), static_cast<double>(k / 317), 0.5 * (k % 7)});
    displacement.push_back({0.0, -0.01 * (k % 13), 0.001 * k});
  }
  for (int e = 1; e <= bars; ++e) {
    links.push_back({e, e + 1, 0.01});
    stress.push_back(e % 2 ? 1.5 * e : -2.0 * e);
  }
  return {make_model(nodes, links), report_text(7, -1.25, displacement, {}, stress)};
}

// ---- A small XML reader: enough for the SVG we write, strict about well-formedness. ----

struct element {
  std::string name;
  std::map<std::string, std::string> attributes;
  int parent = -1;  // index into the list, -1 for the root
  std::string text;
};

// Throws std::runtime_error on anything that is not well-formed.
inline std::vector<element> parse_xml(const std::string& s) {
  std::vector<element> out;
  std::vector<int> open;
  std::size_t i = 0;
  auto failure = [&](const std::string& what) { throw std::runtime_error(what + " at byte " + std::to_string(i)); };
  auto is_name = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == ':' || c == '.'; };
  auto check_text = [&](std::size_t from, std::size_t to) {
    for (std::size_t j = from; j < to; ++j) {
      if (s[j] == '<') failure("stray <");
      if (s[j] == '&') {
        std::size_t end = s.find(';', j);
        std::string ref = end == std::string::npos ? "" : s.substr(j + 1, end - j - 1);
        if (ref != "amp" && ref != "lt" && ref != "gt" && ref != "quot" && ref != "apos" && ref.rfind("#", 0) != 0)
          failure("bad entity");
      }
    }
  };
  bool root_seen = false;
  if (s.rfind("<?xml", 0) == 0) {
    i = s.find("?>");
    if (i == std::string::npos) failure("open declaration");
    i += 2;
  }
  while (i < s.size()) {
    std::size_t lt = s.find('<', i);
    std::size_t text_end = lt == std::string::npos ? s.size() : lt;
    check_text(i, text_end);
    if (open.empty() && s.find_first_not_of(" \t\r\n", i) < text_end) failure("text outside the root");
    if (!open.empty()) out[open.back()].text += s.substr(i, text_end - i);
    if (lt == std::string::npos) break;
    i = lt + 1;
    if (s.compare(i, 3, "!--") == 0) {
      i = s.find("-->", i);
      if (i == std::string::npos) failure("open comment");
      i += 3;
      continue;
    }
    bool closing = s[i] == '/';
    if (closing) ++i;
    std::size_t start = i;
    while (i < s.size() && is_name(s[i])) ++i;
    std::string name = s.substr(start, i - start);
    if (name.empty()) failure("empty tag name");
    if (closing) {
      if (open.empty() || out[open.back()].name != name) failure("mismatched </" + name + ">");
      open.pop_back();
      if (i >= s.size() || s[i] != '>') failure("bad end tag");
      ++i;
      continue;
    }
    if (open.empty() && root_seen) failure("second root");
    root_seen = true;
    element e{name, {}, open.empty() ? -1 : open.back(), ""};
    while (true) {
      while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
      if (i >= s.size()) failure("open tag");
      if (s[i] == '>' || s.compare(i, 2, "/>") == 0) break;
      start = i;
      while (i < s.size() && is_name(s[i])) ++i;
      std::string attribute = s.substr(start, i - start);
      if (attribute.empty() || i >= s.size() || s[i] != '=') failure("bad attribute");
      char quote = s[++i];
      if (quote != '"' && quote != '\'') failure("unquoted attribute");
      std::size_t end = s.find(quote, ++i);
      if (end == std::string::npos) failure("open attribute");
      check_text(i, end);
      if (!e.attributes.emplace(attribute, s.substr(i, end - i)).second) failure("repeated attribute");
      i = end + 1;
    }
    out.push_back(e);
    if (s[i] == '>') open.push_back(static_cast<int>(out.size()) - 1), ++i;
    else i += 2;
  }
  if (!open.empty()) failure("unclosed <" + out[open.back()].name + ">");
  if (!root_seen) failure("no root");
  return out;
}

// The paths inside the group with the given id, in document order.
inline std::vector<element> paths_in(const std::vector<element>& doc, const std::string& group) {
  int g = -1;
  for (std::size_t i = 0; i < doc.size(); ++i)
    if (doc[i].name == "g" && doc[i].attributes.count("id") && doc[i].attributes.at("id") == group) g = static_cast<int>(i);
  std::vector<element> out;
  for (const element& e : doc)
    if (e.parent == g && e.name == "path") out.push_back(e);
  return out;
}

}  // namespace view_test
