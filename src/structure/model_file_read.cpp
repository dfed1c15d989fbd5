// The model file's reader. nlohmann-json parses the text as a stream of events; each node,
// bar, material, prescribed displacement and load is taken entry by entry, so a model of
// millions of bars never stands as one document in memory. A counting iterator tells where
// in the text each event is, for the messages.
#include <cstdint>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "structure/model_file.hpp"
#include "structure/model_file_entries.hpp"

namespace kalvane {
namespace {

using namespace model_file_reading;

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