// The model file's writer: one node, bar, material, prescribed displacement or load a line,
// so that a large model stays a file people can read and compare line by line.
#include <nlohmann/json.hpp>

#include <cmath>
#include <cstring>
#include <string>

#include "companion/json_string.hpp"
#include "error.hpp"
#include "structure/model_file.hpp"
#include "structure/model_file_names.hpp"

namespace kalvane {
namespace {

using json = nlohmann::json;
namespace words = model_file_words;

// A real in nlohmann's shortest form that reads back to the same bits (an integral value
// keeps ".0", so it reads back as a real; -0.0 stays -0.0).
void add_real(std::string& out, double value, const char* what) {
  if (!std::isfinite(value)) fail(data_error, std::string("the model file cannot hold ") + what + ": it is not a finite number");
  out += json(value).dump();
}

// A user's text, escaped; bytes that are not UTF-8 (an input.txt's title in another
// encoding) become U+FFFD, as JSON text is UTF-8.
void add_string(std::string& out, const std::string& text) { out += companion::json_string(text); }

void add_key(std::string& out, const char* key) {
  out += '"';
  out += key;
  out += "\": ";
}

bool is_positive_zero(double value) { return value == 0.0 && !std::signbit(value); }

void add_material(std::string& out, const material& m) {
  out += "{";
  add_key(out, "name");
  add_string(out, m.name);
  out += ", ";
  add_key(out, "law");
  add_string(out, words::law_name(m.law));
  if (m.law == axial_law::linear_elastic) {
    out += ", ";
    add_key(out, "E");
    add_real(out, m.E, "a material's E");
  } else {
    out += ", ";
    add_key(out, "c1");
    add_real(out, m.c1, "a material's c1");
    if (m.law == axial_law::mooney_rivlin) {
      out += ", ";
      add_key(out, "c2");
      add_real(out, m.c2, "a material's c2");
    }
  }
  if (!is_positive_zero(m.weight)) {
    out += ", ";
    add_key(out, "weight");
    add_real(out, m.weight, "a material's weight");
  }
  out += "}";
}

void add_bar(std::string& out, const structure& s, int32_t b) {
  const bar_record& bar = s.base.bars(b);
  const member& m = member_of(s, b);
  out += "{\"nodes\": [" + std::to_string(bar.node1) + ", " + std::to_string(bar.node2) + "], ";
  add_key(out, "area");
  add_real(out, bar.area, "a bar's area");
  if (s.materials.size() > 1) {
    out += ", ";
    add_key(out, "material");
    add_string(out, material_of(s, b).name);
  }
  if (m.behaviour != bar_behaviour::bar) {
    out += ", ";
    add_key(out, "behaviour");
    add_string(out, words::behaviour_name(m.behaviour));
  }
  if (m.rest_length) {
    out += ", ";
    add_key(out, "rest_length");
    add_real(out, *m.rest_length, "a bar's rest length");
  }
  if (m.prestress) {
    out += ", ";
    add_key(out, "prestress");
    add_real(out, *m.prestress, "a bar's prestress");
  }
  out += "}";
}

// Prescribed displacements or loads, one entry a node with its components; `given` tells
// which components the entry has.
template <class Given>
void add_components(std::string& out, const char* key, const model& m, const terms::fmat2& values, Given given) {
  out += ",\n  ";
  add_key(out, key);
  out += "[";
  bool first_entry = true;
  for (int32_t k = 1; k <= m.node_count; ++k) {
    if (!given(k, 1) && !given(k, 2) && !given(k, 3)) continue;
    out += first_entry ? "\n    " : ",\n    ";
    first_entry = false;
    out += "{\"node\": " + std::to_string(k);
    for (int c = 1; c <= 3; ++c)
      if (given(k, c)) {
        out += ", ";
        add_key(out, words::component_names[c - 1]);
        add_real(out, values(k, c), key);
      }
    out += "}";
  }
  out += first_entry ? "]" : "\n  ]";
}

void add_form(std::string& out, const form_data& f) {
  out += ",\n  ";
  add_key(out, "form");
  out += "{\"density\": ";
  add_real(out, f.density, "the form's density");
  out += ", \"tolerance\": ";
  add_real(out, f.tolerance, "the form's tolerance");
  out += ", \"max_iterations\": " + std::to_string(f.max_iterations);
  out += std::string(", \"loaded\": ") + (f.loaded ? "true" : "false") + ", \"groups\": [";
  for (std::size_t i = 0; i < f.groups.size(); ++i) {
    const form_group& g = f.groups[i];
    out += i == 0 ? "\n    {\"bars\": [" : ",\n    {\"bars\": [";
    for (std::size_t j = 0; j < g.bars.size(); ++j) out += (j == 0 ? "" : ", ") + std::to_string(g.bars[j]);
    out += "]";
    const auto value = [&](const char* key, const std::optional<double>& v) {
      if (!v) return;
      out += std::string(", \"") + key + "\": ";
      add_real(out, *v, "a form group's value");
    };
    value("density", g.density);
    value("force", g.force);
    value("length", g.length);
    out += "}";
  }
  out += f.groups.empty() ? "]}" : "\n  ]}";
}

}  // namespace

std::string model_file_text(const structure& s) {
  const model& m = s.base;
  std::string out = "{\n  ";
  add_key(out, "format");
  add_string(out, words::format);
  out += ",\n  ";
  add_key(out, "version");
  out += std::to_string(words::version) + ",\n  ";
  add_key(out, "title");
  add_string(out, s.title);

  out += ",\n  ";
  add_key(out, "settings");
  out += "{\"sigma\": ";
  add_real(out, m.line_search_sigma, "the line-search sigma");
  out += ", \"line_search_steps\": " + std::to_string(m.line_search_max_steps) + ", \"tolerance\": ";
  add_real(out, m.gradient_tolerance, "the gradient tolerance");
  out += ", \"reference\": ";
  add_real(out, m.gradient_reference, "the gradient reference");
  out += ", \"max_iterations\": " + std::to_string(m.max_iterations) +
         ", \"memory\": " + std::to_string(m.memory_size) + "}";

  out += ",\n  ";
  add_key(out, "materials");
  out += "[";
  for (std::size_t i = 0; i < s.materials.size(); ++i) {
    out += i == 0 ? "\n    " : ",\n    ";
    add_material(out, s.materials[i]);
  }
  out += s.materials.empty() ? "]" : "\n  ]";

  out += ",\n  ";
  add_key(out, "gravity");
  out += "[";
  for (int c = 0; c < 3; ++c) {
    if (c > 0) out += ", ";
    add_real(out, s.gravity[static_cast<std::size_t>(c)], "gravity");
  }
  out += "]";

  out += ",\n  ";
  add_key(out, "nodes");
  out += "[";
  for (int32_t k = 1; k <= m.node_count; ++k) {
    out += k == 1 ? "\n    [" : ",\n    [";
    add_real(out, m.x0(k), "a node's x");
    out += ", ";
    add_real(out, m.y0(k), "a node's y");
    out += ", ";
    add_real(out, m.z0(k), "a node's z");
    out += "]";
  }
  out += m.node_count == 0 ? "]" : "\n  ]";

  out += ",\n  ";
  add_key(out, "bars");
  out += "[";
  for (int32_t b = 1; b <= bar_count(m); ++b) {
    out += b == 1 ? "\n    " : ",\n    ";
    add_bar(out, s, b);
  }
  out += bar_count(m) == 0 ? "]" : "\n  ]";

  // Prescribed in the read state (flags 1) and after `start` (positions after the free
  // ones) alike: free_count is 0 before `start`.
  add_components(out, "prescribed", m, m.prescribed,
                 [&](int32_t k, int c) { return m.dof_map(k, c) > m.free_count; });
  // As input.txt's writer: every load but +0.0, so -0.0 is kept.
  add_components(out, "loads", m, m.loads, [&](int32_t k, int c) { return !is_positive_zero(m.loads(k, c)); });
  if (s.form) add_form(out, *s.form);
  out += "\n}\n";
  return out;
}

}  // namespace kalvane
