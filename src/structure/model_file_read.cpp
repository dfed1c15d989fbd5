// The model file's reader. nlohmann-json parses the text as a stream of events; each node,
// bar, material, prescribed displacement and load is built as a small JSON value of its own,
// checked and stored at once, so a model of millions of bars never stands as one document in
// memory. A counting iterator tells where in the text each event is, for the messages.
#include <nlohmann/json.hpp>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <limits>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "error.hpp"
#include "model/model_data.hpp"
#include "structure/model_file.hpp"
#include "structure/model_file_names.hpp"

namespace kalvane {
namespace {

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
std::string describe(const json& v) {
  switch (v.type()) {
    case json::value_t::null: return "null";
    case json::value_t::boolean: return v.get<bool>() ? "true" : "false";
    case json::value_t::string: {
      std::string s = v.get<std::string>();
      if (s.size() > 40) s = s.substr(0, 40) + "...";
      return "the string " + json(s).dump(-1, ' ', false, json::error_handler_t::replace);
    }
    case json::value_t::object: return "an object";
    case json::value_t::array: return "an array";
    default: return "the number " + v.dump();
  }
}

// ---- The keys of the model file

enum root_key { key_format, key_version, key_title, key_settings, key_materials, key_gravity, key_nodes, key_bars,
                key_prescribed, key_loads, root_key_total };
const char* const root_names[root_key_total] = {"format", "version", "title", "settings", "materials",
                                                "gravity", "nodes", "bars", "prescribed", "loads"};
const char* const root_list = "format, version, title, settings, materials, gravity, nodes, bars, prescribed, loads";

// Keys whose value is a list of entries read one by one.
bool is_list(int key) {
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
int32_t bar_material_id(gathered& g, const std::string& name) {
  const auto known = g.bar_material_ids.find(name);
  if (known != g.bar_material_ids.end()) return known->second;
  const auto id = static_cast<int32_t>(g.bar_material_names.size());
  g.bar_material_ids.emplace(name, id);
  g.bar_material_names.push_back(name);
  return id;
}

// "bars[6] (bar 7)", "materials[0]", "settings": where a message is.
std::string entry_name(int key, std::size_t index) {
  std::string s = std::string(root_names[key]) + "[" + std::to_string(index) + "]";
  if (key == key_nodes) s += " (node " + std::to_string(index + 1) + ")";
  if (key == key_bars) s += " (bar " + std::to_string(index + 1) + ")";
  return s;
}

// What a message is about, put into words only when a message is written: "bars[6] (bar 7):
// \"nodes\": its first node", "settings: \"memory\"".
struct subject {
  int list = 0;                      // a key of the model
  std::size_t index = 0;
  bool entry = false;                // an entry of that key's list, or else the key's value
  const std::string* key = nullptr;  // a key of the entry
  const char* part = nullptr;
  std::string text() const {
    std::string s = entry ? entry_name(list, index) : std::string(root_names[list]);
    if (key != nullptr) s += ": \"" + *key + "\"";
    if (part != nullptr) s += std::string(": ") + part;
    return s;
  }
  subject with_key(const std::string& k) const {
    subject s = *this;
    s.key = &k;
    return s;
  }
  subject with_part(const char* p) const {
    subject s = *this;
    s.part = p;
    return s;
  }
};

// ---- Typed values

double real_of(const text_places& places, const json& v, std::size_t at, const subject& what) {
  if (!v.is_number()) places.refuse(at, what.text() + " must be a number, found " + describe(v));
  return v.get<double>();
}

int64_t integer_of(const text_places& places, const json& v, std::size_t at, const subject& what) {
  if (v.is_number_unsigned() && v.get<uint64_t>() > static_cast<uint64_t>(std::numeric_limits<int64_t>::max()))
    return std::numeric_limits<int64_t>::max();
  if (!v.is_number_integer()) places.refuse(at, what.text() + " must be an integer, found " + describe(v));
  return v.get<int64_t>();
}

int32_t int32_of(const text_places& places, const json& v, std::size_t at, const subject& what) {
  const int64_t value = integer_of(places, v, at, what);
  if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
    places.refuse(at, what.text() + " must be an integer from -2147483648 to 2147483647, found " + describe(v));
  return static_cast<int32_t>(value);
}

const std::string& string_of(const text_places& places, const json& v, std::size_t at, const subject& what) {
  if (!v.is_string()) places.refuse(at, what.text() + " must be a string, found " + describe(v));
  return v.get_ref<const std::string&>();
}

// The index of `word` among `names`, or -1.
template <std::size_t N>
int index_of(const std::string& word, const char* const (&names)[N]) {
  for (std::size_t i = 0; i < N; ++i)
    if (word == names[i]) return static_cast<int>(i);
  return -1;
}

template <std::size_t N>
std::string listed(const char* const (&names)[N]) {
  std::string s;
  for (std::size_t i = 0; i < N; ++i) s += (i == 0 ? "\"" : i + 1 == N ? " or \"" : ", \"") + std::string(names[i]) + "\"";
  return s;
}

// ---- The entries

void need_object(const gathered& g, const item& it, const subject& where, const char* form) {
  if (!it.value.is_object()) g.places.refuse(it.at, where.text() + ": " + form + ", found " + describe(it.value));
}

void need_key(const gathered& g, const item& it, const subject& where, const char* key, const std::string& why) {
  if (!it.value.contains(key)) g.places.refuse(it.at, where.text() + ": \"" + key + "\" is missing" + why);
}

void refuse_key(const gathered& g, const item& it, const subject& where, const std::string& key,
                const std::string& holds) {
  g.places.refuse(it.key_at(key), where.text() + ": unknown key \"" + key + "\" (" + holds + ")");
}

void take_settings(gathered& g, const item& it) {
  const subject where{key_settings};
  need_object(g, it, where, "the settings are an object {\"sigma\": 0.9, \"line_search_steps\": 20, ...}");
  for (const auto& [key, v] : it.value.items()) {
    const std::size_t at = it.value_at(key);
    const subject what = where.with_key(key);
    if (key == "sigma") g.data.sigma = real_of(g.places, v, at, what);
    else if (key == "line_search_steps") g.data.line_search_steps = int32_of(g.places, v, at, what);
    else if (key == "tolerance") g.data.tolerance = real_of(g.places, v, at, what);
    else if (key == "reference") g.data.reference = real_of(g.places, v, at, what);
    else if (key == "max_iterations") g.data.max_iterations = int32_of(g.places, v, at, what);
    else if (key == "memory") g.data.memory = int32_of(g.places, v, at, what);
    else
      refuse_key(g, it, where, key,
                 "the settings are sigma, line_search_steps, tolerance, reference, max_iterations, memory");
  }
}

void take_gravity(gathered& g, const item& it) {
  if (!it.value.is_array() || it.value.size() != 3)
    g.places.refuse(it.at, "gravity: a direction [gx, gy, gz] of three numbers is expected, found " +
                               (it.value.is_array() ? "an array of " + std::to_string(it.value.size()) + " values"
                                                    : describe(it.value)));
  for (int c = 0; c < 3; ++c)
    g.gravity[static_cast<std::size_t>(c)] =
        real_of(g.places, it.value[static_cast<std::size_t>(c)], it.at,
                subject{key_gravity}.with_part(c == 0 ? "its x component" : c == 1 ? "its y component" : "its z component"));
}

void take_value(gathered& g, int key, const item& it) {
  const text_places& p = g.places;
  switch (key) {
    case key_format:
      if (!it.value.is_string() || it.value.get_ref<const std::string&>() != words::format)
        p.refuse(it.at, std::string("format: \"") + words::format + "\" is expected, found " + describe(it.value));
      return;
    case key_version: {
      const int64_t version = integer_of(p, it.value, it.at, subject{key_version});
      if (version > words::version)
        p.refuse(it.at, "version " + std::to_string(version) + " is newer than this program reads (" +
                            std::to_string(words::version) + ")");
      if (version != words::version)
        p.refuse(it.at, "version: " + std::to_string(words::version) + " is expected, found " + describe(it.value));
      return;
    }
    case key_title: g.title = string_of(p, it.value, it.at, subject{key_title}); return;
    case key_settings: take_settings(g, it); return;
    case key_gravity: take_gravity(g, it); return;
    default:
      p.refuse(it.at, std::string("\"") + root_names[key] + "\" must be an array, found " + describe(it.value));
  }
}

void take_material(gathered& g, std::size_t index, const item& it) {
  const subject where{key_materials, index, true};
  need_object(g, it, where, "a material is an object {\"name\": ..., \"law\": ..., and its constants}");
  need_key(g, it, where, "name", "");
  need_key(g, it, where, "law", " (" + listed(words::law_names) + ")");
  material m;
  m.name = string_of(g.places, it.value.at("name"), it.value_at("name"), where.with_part("\"name\""));
  const std::string& law = string_of(g.places, it.value.at("law"), it.value_at("law"), where.with_part("\"law\""));
  const int law_index = index_of(law, words::law_names);
  if (law_index < 0)
    g.places.refuse(it.value_at("law"), where.text() + ": \"law\" must be " + listed(words::law_names) + ", found " +
                                            describe(it.value.at("law")));
  m.law = static_cast<axial_law>(law_index);
  // The constants each law has; any other is a slip the reader must not pass over.
  static const char* const constants[] = {"c1", "c1\", \"c2", "E"};
  const char* const own = constants[law_index];
  for (const auto& [key, v] : it.value.items()) {
    const std::size_t at = it.value_at(key);
    const subject what = where.with_key(key);
    const bool rubber = m.law != axial_law::linear_elastic;
    if (key == "name" || key == "law") continue;
    if (key == "weight") m.weight = real_of(g.places, v, at, what);
    else if (key == "c1" && rubber) m.c1 = real_of(g.places, v, at, what);
    else if (key == "c2" && m.law == axial_law::mooney_rivlin) m.c2 = real_of(g.places, v, at, what);
    else if (key == "E" && !rubber) m.E = real_of(g.places, v, at, what);
    else if (key == "c1" || key == "c2" || key == "E")
      g.places.refuse(it.key_at(key), where.text() + ": a " + law + " material has no \"" + key + "\" (its constants are \"" +
                                          own + "\")");
    else refuse_key(g, it, where, key, std::string("a material has name, law, its constants and weight"));
  }
  const bool has_c1 = it.value.contains("c1"), has_c2 = it.value.contains("c2"), has_e = it.value.contains("E");
  const bool complete = m.law == axial_law::neo_hooke       ? has_c1
                        : m.law == axial_law::mooney_rivlin ? has_c1 && has_c2
                                                            : has_e;
  if (!complete)
    g.places.refuse(it.at, where.text() + ": a " + law + " material needs \"" + own + "\"");
  const auto [known, added] = g.material_index.emplace(m.name, static_cast<int32_t>(g.materials.size()));
  if (!added)
    g.places.refuse(it.value_at("name"), where.text() + ": the material name " + json(m.name).dump() +
                                             " is given twice (also materials[" + std::to_string(known->second) + "])");
  g.materials.push_back(std::move(m));
}

void take_node(gathered& g, std::size_t index, const item& it) {
  const char* form = "a node is [x, y, z]";
  if (!it.value.is_array() || it.value.size() != 3)
    g.places.refuse(it.at, entry_name(key_nodes, index) + ": " + form + ", found " +
                               (it.value.is_array() ? "an array of " + std::to_string(it.value.size()) + " values"
                                                    : describe(it.value)));
  for (std::size_t c = 0; c < 3; ++c) {
    const json& v = it.value[c];
    if (!v.is_number())
      g.places.refuse(it.at, entry_name(key_nodes, index) + ": its " + words::component_names[c] +
                                 " coordinate must be a number, found " + describe(v));
    g.data.nodes.push_back(v.get<double>());
  }
}

int64_t node_number_of(const gathered& g, const json& v, std::size_t at, const subject& what) {
  const int64_t node = integer_of(g.places, v, at, what);
  if (node < 1) g.places.refuse(at, what.text() + " must be a node number from 1, found " + describe(v));
  return node;
}

void take_bar(gathered& g, std::size_t index, const item& it) {
  const subject where{key_bars, index, true};
  need_object(g, it, where, "a bar is an object {\"nodes\": [i, j], \"area\": A, ...}");
  need_key(g, it, where, "nodes", " (the bar's two end nodes [i, j])");
  need_key(g, it, where, "area", "");
  given_bar bar;
  bar.at = it.at;
  for (const auto& [key, v] : it.value.items()) {
    const std::size_t at = it.value_at(key);
    const subject what = where.with_key(key);
    if (key == "nodes") {
      if (!v.is_array() || v.size() != 2)
        g.places.refuse(at, what.text() + " must be two node numbers [i, j], found " +
                                (v.is_array() ? "an array of " + std::to_string(v.size()) + " values" : describe(v)));
      bar.node1 = node_number_of(g, v[0], at, what.with_part("its first node"));
      bar.node2 = node_number_of(g, v[1], at, what.with_part("its second node"));
      bar.nodes_at = at;
    } else if (key == "area") {
      bar.area = real_of(g.places, v, at, what);
    } else if (key == "material") {
      bar.material_name = bar_material_id(g, string_of(g.places, v, at, what));
      bar.material_at = at;
    } else if (key == "behaviour") {
      const int b = index_of(string_of(g.places, v, at, what), words::behaviour_names);
      if (b < 0) g.places.refuse(at, what.text() + " must be " + listed(words::behaviour_names) + ", found " + describe(v));
      bar.behaviour = static_cast<bar_behaviour>(b);
    } else if (key == "rest_length") {
      bar.rest_length = real_of(g.places, v, at, what);
    } else if (key == "prestress") {
      bar.prestress = real_of(g.places, v, at, what);
    } else {
      refuse_key(g, it, where, key, "a bar has nodes, area, material, behaviour, rest_length, prestress");
    }
  }
  if (bar.rest_length && bar.prestress)
    g.places.refuse(std::max(it.key_at("rest_length"), it.key_at("prestress")),
                    where.text() + ": a bar has either \"rest_length\" or \"prestress\", not both");
  g.bars.push_back(std::move(bar));
}

void take_components(gathered& g, int list, std::size_t index, const item& it) {
  const subject where{list, index, true};
  const char* form = list == key_loads ? "a load is an object {\"node\": k, and one or more of \"x\", \"y\", \"z\"}"
                                       : "a prescribed displacement is an object {\"node\": k, and one or more of "
                                         "\"x\", \"y\", \"z\"}";
  need_object(g, it, where, form);
  need_key(g, it, where, "node", "");
  given_components entry;
  bool any = false;
  for (const auto& [key, v] : it.value.items()) {
    const std::size_t at = it.value_at(key);
    const subject what = where.with_key(key);
    const int c = index_of(key, words::component_names);
    if (key == "node") {
      entry.node = node_number_of(g, v, at, what);
      entry.node_at = at;
    } else if (c >= 0) {
      entry.value[static_cast<std::size_t>(c)] = real_of(g.places, v, at, what);
      entry.component_at[static_cast<std::size_t>(c)] = it.key_at(key);
      any = true;
    } else {
      refuse_key(g, it, where, key, "it has node, x, y, z");
    }
  }
  if (!any) g.places.refuse(it.at, where.text() + ": " + form + ", found no component");
  (list == key_loads ? g.loads : g.prescribed).push_back(entry);
}

void take_entry(gathered& g, int key, std::size_t index, const item& it) {
  switch (key) {
    case key_materials: take_material(g, index, it); return;
    case key_nodes: take_node(g, index, it); return;
    case key_bars: take_bar(g, index, it); return;
    default: take_components(g, key, index, it); return;
  }
}

// ---- The events of the parse

// A pointer into the text that tells, as the parser reads on, how far it has read.
struct counting_iterator {
  using iterator_category = std::input_iterator_tag;
  using value_type = char;
  using difference_type = std::ptrdiff_t;
  using pointer = const char*;
  using reference = const char&;
  const char* at = nullptr;
  const char** read_to = nullptr;  // null for the end
  reference operator*() const { return *at; }
  counting_iterator& operator++() {
    ++at;
    if (read_to != nullptr) *read_to = at;
    return *this;
  }
  counting_iterator operator++(int) {
    counting_iterator old = *this;
    ++*this;
    return old;
  }
  bool operator==(const counting_iterator& other) const { return at == other.at; }
  bool operator!=(const counting_iterator& other) const { return at != other.at; }
};

// The keys of a bar, for the direct path.
enum field_key { field_nodes, field_area, field_material, field_behaviour, field_rest_length, field_prestress, field_total };
const char* const bar_key_names[field_total] = {"nodes", "area", "material", "behaviour", "rest_length", "prestress"};

void read_entry_again(gathered& g, const text_places& places, int list, std::size_t index, std::size_t at);

// The parser's events: the model object's keys, its lists entry by entry, every other value
// whole. Values are collected into `value` (a stack of the containers open in it).
//
// Nodes, bars and loads, millions of them, take a direct path in their usual shapes: values go
// straight from the events into the gathered record, with no JSON value built. Anything else
// in such an entry (a slip, or a shape the direct path does not take) sends the entry to the
// general path, which reads its text again as a value of its own and checks it key by key,
// so both paths take and refuse the same entries with the same messages.
struct model_events {
  using number_integer_t = json::number_integer_t;
  using number_unsigned_t = json::number_unsigned_t;
  using number_float_t = json::number_float_t;
  using string_t = json::string_t;
  using binary_t = json::binary_t;

  gathered& g;
  const text_places& places;
  const char* begin;
  const char* read_to;  // moved on by the counting iterator
  bool general_only = false;      // reading one entry again: no direct path

  int depth = 0;                  // containers open
  int root = -1;                  // the model's key whose value is being read
  bool in_list = false;           // inside a list's array, at depth 2
  std::size_t index = 0;          // of the next entry of that list
  int collect_depth = 0;          // depth of the collected value's own container; 0: none
  json value;
  std::vector<json*> open;        // the containers open in `value`
  std::string inner_key;          // the key of the next value inside a collected object
  std::vector<key_place> keys;    // the collected object's own keys
  std::size_t value_start = 0;
  std::size_t last_end = 0;       // one past the last character of the previous event
  std::size_t parse_start = 0;    // where in the text this parse began

  // The direct path: the entry being read, and whether it went to the general path.
  int direct = -1;                // the list whose entry is being read directly, or -1
  bool handed_on = false;
  std::size_t direct_at = 0;
  int field = -1;                 // the entry's key whose value comes next
  unsigned seen = 0;              // the entry's keys read
  int count = 0;                  // coordinates of the node, or end nodes of the bar
  given_bar bar;
  given_components components;    // a prescribed displacement or load

  model_events(gathered& gathered_into, const text_places& p, const char* text_begin)
      : g(gathered_into), places(p), begin(text_begin), read_to(text_begin) {}

  std::size_t here() const { return static_cast<std::size_t>(read_to - begin); }
  bool collecting() const { return collect_depth != 0; }
  bool done() {
    last_end = here();
    return true;
  }

  void hand_over(const json& v, std::size_t at) {
    const item it{v, at, keys};
    if (in_list) take_entry(g, root, index++, it);
    else take_value(g, root, it);
  }

  // Where the value that an event begins starts; a value of a collected object's own key
  // notes it beside the key.
  std::size_t begin_value() {
    const std::size_t at = places.next_token(last_end);
    if (collecting() && depth == collect_depth && open.size() == 1 && open.back()->is_object() && !keys.empty())
      keys.back().value_at = at;
    return at;
  }

  // A value inside a collected one; a container is opened.
  json* add(json v) {
    json* parent = open.back();
    if (parent->is_array()) {
      parent->push_back(std::move(v));
      return &parent->back();
    }
    return &((*parent)[inner_key] = std::move(v));
  }

  // ---- The direct path

  bool is_components() const { return direct == key_prescribed || direct == key_loads; }

  void to_general_path() {
    if (handed_on) return;
    handed_on = true;
    if (direct == key_nodes) g.data.nodes.resize(3 * index);
    read_entry_again(g, places, direct, index, direct_at);
  }

  void direct_number(double v) {
    if (handed_on) return;
    if (direct == key_nodes && depth == 3 && count < 3) {
      g.data.nodes.push_back(v);
      ++count;
    } else if (is_components() && depth == 3 && field >= 1) {
      components.value[static_cast<std::size_t>(field - 1)] = v;
    } else if (direct == key_bars && depth == 3 && field == field_area) {
      bar.area = v;
    } else if (direct == key_bars && depth == 3 && field == field_rest_length) {
      bar.rest_length = v;
    } else if (direct == key_bars && depth == 3 && field == field_prestress) {
      bar.prestress = v;
    } else {
      to_general_path();
    }
  }

  void direct_integer(int64_t v, bool fits) {
    if (handed_on) return;
    if (direct == key_bars && depth == 4 && fits && v >= 1 && count < 2) {
      (count == 0 ? bar.node1 : bar.node2) = v;
      ++count;
    } else if (is_components() && depth == 3 && field == 0 && fits && v >= 1) {
      components.node = v;
      components.node_at = places.next_token(last_end);
    } else {
      direct_number(static_cast<double>(v));
    }
  }

  void direct_string(const std::string& v) {
    if (handed_on) return;
    const int b = index_of(v, words::behaviour_names);
    if (direct == key_bars && depth == 3 && field == field_material) {
      bar.material_name = bar_material_id(g, v);
      bar.material_at = places.next_token(last_end);
    } else if (direct == key_bars && depth == 3 && field == field_behaviour && b >= 0) {
      bar.behaviour = static_cast<bar_behaviour>(b);
    } else {
      to_general_path();
    }
  }

  void direct_start(bool object, std::size_t at) {
    if (handed_on) return;
    if (direct == key_bars && depth == 3 && field == field_nodes && !object) bar.nodes_at = at;
    else to_general_path();
  }

  void direct_end() {
    if (handed_on) return;
    if (direct == key_nodes) {
      if (count != 3) to_general_path();
      return;
    }
    if (is_components()) {
      if ((seen & 1u) == 0 || seen == 1u) to_general_path();
      else (direct == key_loads ? g.loads : g.prescribed).push_back(components);
      return;
    }
    if (depth == 4) {
      if (count != 2) to_general_path();
      return;
    }
    const unsigned needed = 1u << field_nodes | 1u << field_area;
    const unsigned both = 1u << field_rest_length | 1u << field_prestress;
    if ((seen & needed) != needed || (seen & both) == both) to_general_path();
    else g.bars.push_back(bar);
  }

  void direct_key(const std::string& k) {
    if (handed_on) return;
    if (is_components()) {
      const int c = index_of(k, words::component_names);
      field = k == "node" ? 0 : c >= 0 ? c + 1 : -1;
      if (depth != 3 || field < 0 || (seen & 1u << field) != 0) return to_general_path();
      seen |= 1u << field;
      if (field >= 1) components.component_at[static_cast<std::size_t>(field - 1)] = places.next_token(last_end);
      return;
    }
    field = -1;
    for (int i = 0; i < field_total; ++i)
      if (k == bar_key_names[i]) field = i;
    if (depth != 3 || field < 0 || (seen & 1u << field) != 0) return to_general_path();
    seen |= 1u << field;
  }

  // ---- The events

  template <class V>
  bool scalar(V v) {
    const std::size_t at = begin_value();
    if (depth == 0) places.refuse(at, "a model file is one JSON object {\"format\": \"kalvane-model\", ...}, found " +
                                          describe(json(v)));
    if (collecting()) add(json(v));
    else hand_over(json(v), at);
    return done();
  }

  bool null() {
    if (direct >= 0) return to_general_path(), done();
    return scalar(nullptr);
  }
  bool boolean(bool v) {
    if (direct >= 0) return to_general_path(), done();
    return scalar(v);
  }
  bool number_integer(number_integer_t v) {
    if (direct >= 0) return direct_integer(v, true), done();
    return scalar(v);
  }
  bool number_unsigned(number_unsigned_t v) {
    const bool fits = v <= static_cast<number_unsigned_t>(std::numeric_limits<int64_t>::max());
    if (direct >= 0) return direct_integer(fits ? static_cast<int64_t>(v) : 0, fits), done();
    return scalar(v);
  }
  bool number_float(number_float_t v, const string_t&) {
    if (direct >= 0) return direct_number(v), done();
    return scalar(v);
  }
  bool string(string_t& v) {
    if (direct >= 0) return direct_string(v), done();
    return scalar(std::move(v));
  }
  bool binary(binary_t&) { return done(); }

  bool start(bool object) {
    const std::size_t at = begin_value();
    if (direct >= 0) {
      direct_start(object, at);
    } else if (depth == 0) {
      if (!object)
        places.refuse(at, "a model file is one JSON object {\"format\": \"kalvane-model\", ...}, found an array");
      g.root_at = at;
    } else if (collecting()) {
      open.push_back(add(object ? json::object() : json::array()));
    } else if (depth == 1 && !object && is_list(root)) {
      in_list = true;
      index = 0;
      g.list_at[root] = at;
    } else if (depth == 2 && !general_only &&
               ((root == key_nodes && !object) ||
                ((root == key_bars || root == key_prescribed || root == key_loads) && object))) {
      direct = root;
      handed_on = false;
      direct_at = at;
      field = -1;
      seen = 0;
      count = 0;
      bar = given_bar{};
      bar.at = at;
      components = given_components{};
    } else {
      value = object ? json::object() : json::array();
      open.assign(1, &value);
      keys.clear();
      value_start = at;
      collect_depth = depth + 1;
    }
    ++depth;
    return done();
  }

  bool end() {
    if (direct >= 0) {
      direct_end();
      if (depth == 3) {
        direct = -1;
        ++index;
      }
    } else if (collecting()) {
      if (depth == collect_depth) {
        collect_depth = 0;
        open.clear();
        hand_over(value, value_start);
      } else {
        open.pop_back();
      }
    } else if (in_list && depth == 2) {
      in_list = false;
    }
    --depth;
    return done();
  }

  bool start_object(std::size_t) { return start(true); }
  bool start_array(std::size_t) { return start(false); }
  bool end_object() { return end(); }
  bool end_array() { return end(); }

  bool key(string_t& k) {
    const std::size_t at = places.next_token(last_end);
    if (direct >= 0) {
      direct_key(k);
    } else if (depth == 1) {
      root = -1;
      for (int i = 0; i < root_key_total; ++i)
        if (k == root_names[i]) root = i;
      if (root < 0)
        places.refuse(at, "unknown key " + json(k).dump(-1, ' ', false, json::error_handler_t::replace) +
                              " (a model file holds " + root_list + ")");
      if (g.seen[root]) places.refuse(at, "\"" + k + "\" is given twice");
      g.seen[root] = true;
    } else if (collecting()) {
      if (depth == collect_depth) {
        for (const key_place& known : keys)
          if (known.key == k)
            places.refuse(at, (in_list ? entry_name(root, index) : std::string(root_names[root])) + ": \"" + k +
                                  "\" is given twice");
        keys.push_back({k, at, at});
      }
      inner_key = std::move(k);
    }
    return done();
  }

  bool parse_error(std::size_t position, const std::string& token, const nlohmann::detail::exception& e) {
    if (dynamic_cast<const nlohmann::detail::out_of_range*>(&e) != nullptr)
      places.refuse(places.next_token(last_end), "the number " + token + " is beyond the range of a real number");
    // nlohmann's message, without its own "[json.exception...] parse error at line L, column C: ".
    std::string why = e.what();
    const std::size_t column = why.find("column ");
    const std::size_t colon = column == std::string::npos ? std::string::npos : why.find(": ", column);
    if (colon != std::string::npos) why = why.substr(colon + 2);
    // The position counts the characters this parse has read, the last one the culprit.
    places.refuse(parse_start + (position > 0 ? position - 1 : 0), "not valid JSON: " + why);
  }
};

// The entry of `list` at `index`, whose text begins at `at`, read as a value of its own and
// checked by the general path: stored, or refused with its message.
void read_entry_again(gathered& g, const text_places& places, int list, std::size_t index, std::size_t at) {
  model_events entry(g, places, places.text.data());
  entry.general_only = true;
  entry.depth = 2;
  entry.root = list;
  entry.in_list = true;
  entry.index = index;
  entry.last_end = at;
  entry.parse_start = at;
  entry.read_to = places.text.data() + at;
  counting_iterator first{places.text.data() + at, &entry.read_to};
  counting_iterator last{places.text.data() + places.text.size(), nullptr};
  json::sax_parse(first, last, &entry, json::input_format_t::json, false);
}

// The line of each offset, offsets ascending, counted in one pass.
struct line_counter {
  const std::string& text;
  std::size_t at = 0;
  long line = 1;
  long line_of(std::size_t offset) {
    for (; at < offset && at < text.size(); ++at)
      if (text[at] == '\n') ++line;
    return line;
  }
};

// The checks that need the whole text, and the structure.
structure structure_of_gathered(gathered& g) {
  const text_places& p = g.places;
  for (int key : {key_format, key_version, key_materials, key_nodes, key_bars})
    if (!g.seen[key])
      p.refuse(g.root_at, std::string("the model has no \"") + root_names[key] + "\"" +
                              (key == key_format ? std::string(" (a model file begins {\"format\": \"") + words::format +
                                                       "\", \"version\": 1, ...})"
                                                 : ""));
  if (g.materials.empty()) p.refuse(g.list_at[key_materials], "materials: a model needs at least one material");

  model_data& d = g.data;
  d.source = p.name;
  const auto node_count = static_cast<int64_t>(d.nodes.size() / 3);
  if (node_count > std::numeric_limits<int32_t>::max())
    p.refuse(g.list_at[key_nodes], "nodes: more than 2147483647 nodes");
  const auto in_range = [&](int64_t node, std::size_t at, int list, std::size_t index) {
    if (node > node_count)
      p.refuse(at, entry_name(list, index) + ": node " + std::to_string(node) + " is outside 1.." +
                       std::to_string(node_count));
    return static_cast<int32_t>(node);
  };

  std::vector<int32_t> material_of_name(g.bar_material_names.size());
  for (std::size_t i = 0; i < g.bar_material_names.size(); ++i) {
    const auto found = g.material_index.find(g.bar_material_names[i]);
    material_of_name[i] = found == g.material_index.end() ? -1 : found->second;
  }
  if (g.bars.size() > static_cast<std::size_t>(std::numeric_limits<int32_t>::max()))
    p.refuse(g.list_at[key_bars], "bars: more than 2147483647 bars");
  structure s;
  s.members.resize(g.bars.size());
  d.bars.reserve(2 * g.bars.size());
  d.areas.reserve(g.bars.size());
  for (std::size_t i = 0; i < g.bars.size(); ++i) {
    const given_bar& bar = g.bars[i];
    d.bars.push_back(in_range(bar.node1, bar.nodes_at, key_bars, i));
    d.bars.push_back(in_range(bar.node2, bar.nodes_at, key_bars, i));
    d.areas.push_back(bar.area);
    member& m = s.members[i];
    if (bar.material_name >= 0) {
      m.material = material_of_name[static_cast<std::size_t>(bar.material_name)];
      if (m.material < 0) {
        std::string names;
        for (const material& known : g.materials) names += (names.empty() ? "" : ", ") + json(known.name).dump();
        p.refuse(bar.material_at, entry_name(key_bars, i) + ": the material " + json(g.bar_material_names[static_cast<std::size_t>(
                                                                        bar.material_name)]).dump() +
                                      " is not defined (the materials are " + names + ")");
      }
    }
    m.behaviour = bar.behaviour;
    m.rest_length = bar.rest_length;
    m.prestress = bar.prestress;
  }

  // Each component is given once; input.txt's last-one-wins would hide a slip here.
  const auto components = [&](std::vector<given_components>& entries, int list, std::vector<int32_t>& at,
                              std::vector<double>& values) {
    std::vector<std::size_t> given_by(static_cast<std::size_t>(3 * node_count), 0);
    for (std::size_t i = 0; i < entries.size(); ++i) {
      const given_components& e = entries[i];
      const int32_t node = in_range(e.node, e.node_at, list, i);
      for (std::size_t c = 0; c < 3; ++c) {
        if (!e.value[c]) continue;
        std::size_t& first = given_by[static_cast<std::size_t>(3 * (node - 1)) + c];
        if (first != 0)
          p.refuse(e.component_at[c], entry_name(list, i) + ": " + words::component_names[c] + " of node " +
                                          std::to_string(node) + " is given twice (also " +
                                          entry_name(list, first - 1) + ")");
        first = i + 1;
        at.insert(at.end(), {node, static_cast<int32_t>(c + 1)});
        values.push_back(*e.value[c]);
      }
    }
  };
  components(g.prescribed, key_prescribed, d.prescribed_at, d.prescribed_values);
  components(g.loads, key_loads, d.loads_at, d.load_values);

  // kalvane's writers need one rubber material: the first material, or for linear-elastic
  // steel the Neo-Hooke material of the same small-strain modulus (E = 3 c1).
  const material& first = g.materials.front();
  d.law = first.law == axial_law::mooney_rivlin ? 2 : 1;
  d.c1 = first.law == axial_law::linear_elastic ? first.E / 3.0 : first.c1;
  d.c2 = first.c2;
  // As kalvane's reader: a tolerance that is not above zero means 0.001.
  if (d.tolerance <= 0.0) d.tolerance = 0.001;

  s.base = model_of(d);
  line_counter lines{p.text};
  for (std::size_t i = 0; i < g.bars.size(); ++i)
    s.base.bar_line(static_cast<int32_t>(i + 1)) = lines.line_of(g.bars[i].at);
  s.materials = std::move(g.materials);
  s.gravity = g.gravity;
  s.title = std::move(g.title);
  return s;
}

}  // namespace

structure read_model_text(const std::string& text, const std::string& name) {
  const text_places places{text, name};
  gathered g(places);
  model_events events(g, places, text.data());
  counting_iterator first{text.data(), &events.read_to}, last{text.data() + text.size(), nullptr};
  json::sax_parse(first, last, &events);
  structure s = structure_of_gathered(g);
  // The form is checked; the values' physical sense is checked where every companion's
  // structure is: an area, a modulus or a rest length that is not positive is refused here.
  validate(s);
  return s;
}

}  // namespace kalvane
