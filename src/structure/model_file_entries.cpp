// The model file's entries, each checked key by key as a JSON value of its own, and the
// checks that need the whole text (node numbers, material names, components given twice).
#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "structure/model_file_entries.hpp"

namespace kalvane::model_file_reading {
namespace {

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

// The line of each offset, offsets ascending, counted in one pass; and the line and column
// of an offset further on, counted from here without moving on.
struct line_counter {
  const std::string& text;
  std::size_t at = 0, line_start = 0;
  long line = 1;
  long line_of(std::size_t offset) {
    for (; at < offset && at < text.size(); ++at)
      if (text[at] == '\n') ++line, line_start = at + 1;
    return line;
  }
  text_place place_of(std::size_t offset) const {
    line_counter ahead = *this;
    ahead.line_of(offset);
    return {ahead.line, static_cast<long>(ahead.at - ahead.line_start) + 1};
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

bool boolean_of(const text_places& places, const json& v, std::size_t at, const subject& what) {
  if (!v.is_boolean()) places.refuse(at, what.text() + " must be true or false, found " + describe(v));
  return v.get<bool>();
}

// One entry of the form's "groups": the bars it names and the density or target they take.
// `at` is the group's '{', where `lines` stands; a group holds no object, so each key's first
// place after it is its own, and a refusal points at the value refused.
form_group form_group_of(const gathered& g, const json& v, std::size_t at, std::size_t index,
                         const line_counter& lines) {
  const text_places& p = g.places;
  const std::string name = "form: groups[" + std::to_string(index) + "]";
  const char* shape = "a group is an object {\"bars\": [b, ...], and \"density\", \"force\" or \"length\"}";
  if (!v.is_object()) p.refuse(at, name + ": " + shape + ", found " + describe(v));
  auto value_at = [&](const std::string& key) {
    const std::size_t found = p.text.find("\"" + key + "\"", at);
    return found == std::string::npos ? at : p.next_token(found + key.size() + 2);
  };
  auto real = [&](const json& value, const std::string& key) {
    if (!value.is_number()) p.refuse(value_at(key), name + ": \"" + key + "\" must be a number, found " + describe(value));
    return value.get<double>();
  };
  form_group group;
  for (const auto& [key, value] : v.items()) {
    if (key == "bars") {
      std::size_t place = value_at(key);
      if (!value.is_array() || value.empty())
        p.refuse(place, name + ": \"bars\" is a list of one or more bar numbers, found " + describe(value));
      for (const json& b : value) {
        place = p.next_token(place + 1);  // past the '[' or the last number
        int64_t bar = 0;  // anything but a whole number stays 0, refused below
        constexpr auto largest = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
        if (b.is_number_unsigned()) bar = static_cast<int64_t>(std::min<uint64_t>(b.get<uint64_t>(), largest));
        else if (b.is_number_integer()) bar = b.get<int64_t>();
        if (bar < 1 || bar > std::numeric_limits<int32_t>::max())
          p.refuse(place, name + ": \"bars\" holds " + describe(b) + ", not a bar number (bars count from 1)");
        group.bars.push_back(static_cast<int32_t>(bar));
        while (place < p.text.size() && p.text[place] != ',' && p.text[place] != ']') ++place;
      }
    } else if (key == "density") {
      group.density = real(value, key);
      group.density_at = lines.place_of(value_at(key));
    } else if (key == "force") {
      group.force = real(value, key);
      group.force_at = lines.place_of(value_at(key));
    } else if (key == "length") {
      group.length = real(value, key);
      group.length_at = lines.place_of(value_at(key));
    } else {
      p.refuse(at, name + ": unknown key \"" + key + "\" (a group holds bars, density, force, length)");
    }
  }
  if (group.bars.empty()) p.refuse(at, name + ": \"bars\" is missing");
  if (!group.density && !group.force && !group.length)
    p.refuse(at, name + ": gives neither \"density\", \"force\" nor \"length\"");
  if (group.force && group.length)
    p.refuse(at, name + ": gives both a target \"force\" and a target \"length\"; a bar takes one of them");
  return group;
}

void take_form(gathered& g, const item& it) {
  const subject where{key_form};
  need_object(g, it, where,
              "the form-finding data are an object {\"density\": q, \"groups\": [...], ...}");
  form_data form;
  // The section's keys come in any order, its groups in the order of the text.
  line_counter section{g.places.text};
  section.line_of(it.at);
  for (const auto& [key, v] : it.value.items()) {
    const std::size_t at = it.value_at(key);
    const subject what = where.with_key(key);
    if (key == "density") {
      form.density = real_of(g.places, v, at, what);
      form.density_at = section.place_of(at);
    } else if (key == "tolerance") {
      form.tolerance = real_of(g.places, v, at, what);
      form.tolerance_at = section.place_of(at);
    } else if (key == "max_iterations") {
      form.max_iterations = int32_of(g.places, v, at, what);
      form.max_iterations_at = section.place_of(at);
    } else if (key == "loaded") {
      form.loaded = boolean_of(g.places, v, at, what);
    } else if (key == "groups") {
      if (!v.is_array()) g.places.refuse(at, "form: \"groups\" is a list of groups, found " + describe(v));
      // The entries' own places: a group holds no object, so the i-th '{' of the list begins
      // its i-th group.
      std::size_t entry_at = at;
      line_counter groups = section;
      for (std::size_t i = 0; i < v.size(); ++i) {
        if (v[i].is_object()) {
          const std::size_t found = g.places.text.find('{', i == 0 ? at : entry_at + 1);
          if (found != std::string::npos) entry_at = found;
        }
        groups.line_of(entry_at);
        form.groups.push_back(form_group_of(g, v[i], entry_at, i, groups));
        g.form_group_at.push_back(entry_at);
      }
    } else {
      refuse_key(g, it, where, key, "the form-finding data are density, tolerance, max_iterations, loaded, groups");
    }
  }
  g.form = std::move(form);
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

}  // namespace

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

int32_t bar_material_id(gathered& g, const std::string& name) {
  const auto known = g.bar_material_ids.find(name);
  if (known != g.bar_material_ids.end()) return known->second;
  const auto id = static_cast<int32_t>(g.bar_material_names.size());
  g.bar_material_ids.emplace(name, id);
  g.bar_material_names.push_back(name);
  return id;
}

std::string entry_name(int key, std::size_t index) {
  std::string s = std::string(root_names[key]) + "[" + std::to_string(index) + "]";
  if (key == key_nodes) s += " (node " + std::to_string(index + 1) + ")";
  if (key == key_bars) s += " (bar " + std::to_string(index + 1) + ")";
  return s;
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
    case key_form: take_form(g, it); return;
    default:
      p.refuse(it.at, std::string("\"") + root_names[key] + "\" must be an array, found " + describe(it.value));
  }
}

void take_entry(gathered& g, int key, std::size_t index, const item& it) {
  switch (key) {
    case key_materials: take_material(g, index, it); return;
    case key_nodes: take_node(g, index, it); return;
    case key_bars: take_bar(g, index, it); return;
    default: take_components(g, key, index, it); return;
  }
}

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
  if (g.form) {
    std::size_t group = 0;
    const std::string fault = form_fault(*g.form, g.bars.size(), group);
    if (!fault.empty()) p.refuse(g.form_group_at[group], fault);
    s.form = std::move(g.form);
  }
  return s;
}

}  // namespace kalvane::model_file_reading
