#pragma once
// What the model file's reader gathers from the text, entry by entry, before the structure
// is made: shared by the parser's events (model_file_read.cpp) and the checks of each entry
// (model_file_entries.cpp).
#include <nlohmann/json.hpp>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "error.hpp"
#include "model/model_data.hpp"
#include "structure/model_file_names.hpp"
#include "structure/structure.hpp"

namespace kalvane::model_file_reading {

using json = nlohmann::json;
namespace words = model_file_words;

// ---- Places in the text

struct text_places {
  const std::string& text;
  const std::string& name;

  // Past blanks, line ends and the separators ',' and ':': where the next value or key begins.
  std::size_t next_token(std::size_t from) const {
    for (; from < text.size(); ++from) {
      const char c = text[from];
      if (c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != ',' && c != ':') return from;
    }
    return from;
  }

  // "name:line:column: ", the column counted in bytes from 1.
  std::string place(std::size_t at) const {
    if (at > text.size()) at = text.size();
    long line = 1;
    std::size_t line_start = 0;
    for (std::size_t i = 0; i < at; ++i)
      if (text[i] == '\n') ++line, line_start = i + 1;
    return name + ":" + std::to_string(line) + ":" + std::to_string(at - line_start + 1) + ": ";
  }

  [[noreturn]] void refuse(std::size_t at, const std::string& message) const { fail(data_error, place(at) + message); }
};


// What a value is, for "found ..." in messages.
std::string describe(const json& v);

// ---- The keys of the model file

enum root_key { key_format, key_version, key_title, key_settings, key_materials, key_gravity, key_nodes, key_bars,
                key_prescribed, key_loads, key_form, root_key_total };
inline constexpr const char* root_names[root_key_total] = {"format", "version", "title", "settings", "materials",
                                                "gravity", "nodes", "bars", "prescribed", "loads", "form"};
inline constexpr const char* root_list =
    "format, version, title, settings, materials, gravity, nodes, bars, prescribed, loads, form";

// Keys whose value is a list of entries read one by one.
inline bool is_list(int key) {
  return key == key_materials || key == key_nodes || key == key_bars || key == key_prescribed || key == key_loads;
}

// A key of an entry and where it and its value begin.
struct key_place {
  std::string key;
  std::size_t key_at = 0, value_at = 0;
};

// One value handed over whole: an entry of a list, or the value of a key of the model.
struct item {
  const json& value;
  std::size_t at;                       // its first character
  const std::vector<key_place>& keys;   // its own keys, when it is an object
  // Where the value of `key` begins; the item's own place when it has no such key.
  std::size_t value_at(const std::string& key) const {
    for (const key_place& k : keys)
      if (k.key == key) return k.value_at;
    return at;
  }
  std::size_t key_at(const std::string& key) const {
    for (const key_place& k : keys)
      if (k.key == key) return k.key_at;
    return at;
  }
};


// ---- What the entries hold, until the whole text is read (the keys of a JSON object may
// come in any order, so bars may come before the nodes and materials they name).

struct given_bar {
  int64_t node1 = 0, node2 = 0;
  double area = 0.0;
  int32_t material_name = -1;  // into gathered::bar_material_names; -1: the first material
  bar_behaviour behaviour = bar_behaviour::bar;
  std::optional<double> rest_length, prestress;
  std::size_t at = 0, nodes_at = 0, material_at = 0;
};

struct given_components {
  int64_t node = 0;
  std::array<std::optional<double>, 3> value;
  std::array<std::size_t, 3> component_at{};
  std::size_t node_at = 0;
};

struct gathered {
  const text_places& places;
  bool seen[root_key_total] = {};
  std::size_t root_at = 0, list_at[root_key_total] = {};
  std::string title;
  model_data data;  // nodes and settings; the rest is filled at the end
  std::vector<material> materials;
  std::unordered_map<std::string, int32_t> material_index;
  std::array<double, 3> gravity{0.0, 0.0, -1.0};
  std::vector<given_bar> bars;
  std::vector<std::string> bar_material_names;
  std::unordered_map<std::string, int32_t> bar_material_ids;
  std::vector<given_components> prescribed, loads;
  std::optional<form_data> form;
  std::vector<std::size_t> form_group_at;  // where each of form.groups begins

  explicit gathered(const text_places& p) : places(p) {
    // The settings line's usual values, as the Python module's Settings has them.
    data.sigma = 0.9;
    data.line_search_steps = 20;
    data.tolerance = 0.001;
    data.reference = 0.0;
    data.max_iterations = 1000;
    data.memory = 5;
  }
};

// The number of a material name that bars use, in the order they first use it.
int32_t bar_material_id(gathered& g, const std::string& name);

// "bars[6] (bar 7)", "materials[0]": an entry in messages.
std::string entry_name(int key, std::size_t index);

// The index of `word` among `names`, or -1.
template <std::size_t N>
int index_of(const std::string& word, const char* const (&names)[N]) {
  for (std::size_t i = 0; i < N; ++i)
    if (word == names[i]) return static_cast<int>(i);
  return -1;
}

// An entry of a list, or the value of one of the model's other keys: checked and stored.
void take_entry(gathered& g, int key, std::size_t index, const item& it);
void take_value(gathered& g, int key, const item& it);

// The checks that need the whole text, and the structure (its values not yet validated).
structure structure_of_gathered(gathered& g);

}  // namespace kalvane::model_file_reading
