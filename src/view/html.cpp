#include "view/html.hpp"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "view/page_assets.hpp"
#include "view/svg.hpp"
#include "view/svg_write.hpp"

namespace kalvane::view {

namespace {

// Little-endian, as every browser's typed arrays are.
void append_u32(std::string& out, uint32_t bits) {
  for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((bits >> shift) & 0xff);
}

void append_f64(std::string& out, double value) {
  const auto bits = std::bit_cast<uint64_t>(value);
  for (int shift = 0; shift < 64; shift += 8) out += static_cast<char>((bits >> shift) & 0xff);
}

// The length of the UTF-8 sequence that starts `text` at `i`, or 0 when it is not valid
// (overlong forms, surrogates and code points beyond U+10FFFF are not).
std::size_t utf8_length(std::string_view text, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  std::size_t length = lead < 0x80 ? 1 : lead >= 0xc2 && lead <= 0xdf ? 2 : lead >= 0xe0 && lead <= 0xef ? 3
                                                                         : lead >= 0xf0 && lead <= 0xf4 ? 4 : 0;
  if (length == 0 || i + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k)
    if ((byte(i + k) & 0xc0) != 0x80) return 0;
  if (length == 3) {
    const unsigned char second = byte(i + 1);
    if ((lead == 0xe0 && second < 0xa0) || (lead == 0xed && second >= 0xa0)) return 0;
  }
  if (length == 4) {
    const unsigned char second = byte(i + 1);
    if ((lead == 0xf0 && second < 0x90) || (lead == 0xf4 && second >= 0x90)) return 0;
  }
  return length;
}

void append_module(std::string& out, const char* id, std::string_view source) {
  out += "<script type=\"text/plain\" id=\"";
  out += id;
  out += "\">";
  out += source;
  out += "</script>\n";
}

std::string json_triples(const std::vector<node_marks>& marks, bool reactions) {
  std::string out = "[";
  for (const node_marks& m : marks)
    for (int c = 0; c < 3; ++c) {
      if (out.size() > 1) out += ',';
      out += json_number(reactions ? m.reaction[static_cast<std::size_t>(c)] : m.load[static_cast<std::size_t>(c)]);
    }
  return out + "]";
}

std::string path_json(const load_path& path) {
  std::string stage, load, displacement, pivots, kind, bar;
  for (const path_point& p : path.points) {
    const char* comma = stage.empty() ? "" : ",";
    stage += comma + std::to_string(p.stage);
    load += comma + json_number(p.load_factor);
    displacement += comma + json_number(p.displacement);
    pivots += comma + std::to_string(p.negative_pivots);
    kind += comma + script_json_string(p.kind);
    bar += comma + std::to_string(p.bar);
  }
  return "{\"label\":" + script_json_string(path.displacement_label) + ",\"stage\":[" + stage +
         "],\"load_factor\":[" + load + "],\"displacement\":[" + displacement + "],\"negative_pivots\":[" +
         pivots + "],\"kind\":[" + kind + "],\"bar\":[" + bar + "]}";
}

std::string quoted_hex(rgb c) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", c.red, c.green, c.blue);
  return std::string("\"") + text + "\"";
}

// The largest finite value in size: the ends of the symmetric colour scale.
double limit_of(const std::vector<double>& values) {
  double limit = 0.0;
  for (double v : values)
    if (std::isfinite(v)) limit = std::max(limit, std::fabs(v));
  return limit;
}

double stress_limit(const scene& s) { return limit_of(s.stress); }

// The colour scale's quantity, its heading and its ends.
std::string colour_json(const page& p) {
  const scene& s = p.shape;
  const bool force = p.colour == colour_by::force && !s.force.empty();
  const char* heading = force ? "axial force, in the model's force unit"
                        : s.materials.empty() ? "stress, in the units of c1"
                                              : "stress, in the model's stress unit";
  const std::vector<double>& value = colour_values(s, p.colour);
  const bool undefined = std::any_of(value.begin(), value.end(), [](double v) { return std::isnan(v); });
  return ",\"colour\":{\"by\":\"" + std::string(force ? "force" : "stress") + "\",\"heading\":" +
         script_json_string(heading) + ",\"limit\":" + json_number(limit_of(value)) +
         ",\"undefined\":" + (undefined ? "true" : "false") + "}";
}

// A model file's materials: name (the user's text) and law.
std::string materials_json(const scene& s) {
  std::string out = ",\"materials\":[";
  for (std::size_t m = 0; m < s.materials.size(); ++m)
    out += (m ? ",{\"name\":" : "{\"name\":") + script_json_string(s.materials[m].name) +
           ",\"law\":" + script_json_string(s.materials[m].law) + "}";
  return out + "]";
}

// What the page reads first: the texts, the counts, the scale and the small tables.
std::string meta_json(const page& p, bool uniform_area) {
  const scene& s = p.shape;
  std::string out = "{\"title\":" + script_json_string(s.title) + ",\"material\":" + script_json_string(p.material);
  out += ",\"solver\":" + script_json_string(s.solver) + ",\"reached\":" + script_json_string(s.reached);
  out += ",\"iterations\":" + std::to_string(s.iterations) + ",\"objective\":" + json_number(s.objective);
  out += ",\"nodes\":" + std::to_string(s.initial.size()) + ",\"bars\":" + std::to_string(s.bars.size());
  out += ",\"auto_magnification\":" + json_number(auto_magnification(s));
  out += ",\"stress_limit\":" + json_number(stress_limit(s)) + ",\"scale\":{\"tension\":" +
         quoted_hex(tension_colour) + ",\"neutral\":" + quoted_hex(neutral_colour) +
         ",\"compression\":" + quoted_hex(compression_colour) + "}";
  out += colour_json(p) + materials_json(s);
  out += ",\"area\":" + (uniform_area && !s.area.empty() ? json_number(s.area.front()) : std::string("null"));
  out += ",\"marks\":{\"node\":[";
  for (std::size_t i = 0; i < p.marks.size(); ++i)
    out += (i ? "," : "") + std::to_string(p.marks[i].node);
  out += "],\"held\":[";
  for (std::size_t i = 0; i < p.marks.size(); ++i) {
    const auto& held = p.marks[i].held;
    out += (i ? "," : "") + std::to_string((held[0] ? 1 : 0) + (held[1] ? 2 : 0) + (held[2] ? 4 : 0));
  }
  out += "],\"load\":" + json_triples(p.marks, false) + ",\"reaction\":" + json_triples(p.marks, true) + "}";
  out += ",\"path\":" + (p.path ? path_json(*p.path) : std::string("null"));
  out += animation_json(p);
  return out + "}";
}

// Fills the template's placeholders in the order they stand, each searched for after the
// text put in before it, so no inserted text is ever taken for a placeholder.
std::string filled(std::string_view form, const std::vector<std::pair<std::string_view, std::string>>& parts) {
  std::string out;
  out.reserve(form.size() + 1024);
  for (const auto& [placeholder, text] : parts) {
    const std::size_t at = form.find(placeholder);
    if (at == std::string_view::npos) continue;
    out += form.substr(0, at);
    out += text;
    form.remove_prefix(at + placeholder.size());
  }
  out += form;
  return out;
}

}  // namespace

// The shortest text that reads back as the same double, so the page has the values exactly.
// JSON has no NaN or infinity: those travel as the strings JavaScript's Number() reads.
std::string json_number(double value) {
  if (std::isnan(value)) return "\"NaN\"";
  if (std::isinf(value)) return value > 0 ? "\"Infinity\"" : "\"-Infinity\"";
  char text[32];
  const auto [end, ec] = std::to_chars(text, text + sizeof text, value);
  return std::string(text, end);
}

void append_block(std::string& out, const char* id, const std::string& bytes) {
  out += "<script type=\"text/plain\" id=\"";
  out += id;
  out += "\">";
  out += base64(bytes);
  out += "</script>\n";
}

std::string script_json_string(const std::string& text) {
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = utf8_length(text, i);
    if (length == 0) {  // not UTF-8 (a Latin-1 remark, say): the replacement character
      out += "\\ufffd";
      ++i;
      continue;
    }
    const auto c = static_cast<unsigned char>(text[i]);
    const std::string_view sequence(text.data() + i, length);
    if (c < 0x20 || c == '<' || c == '>' || c == '&' || c == '\'' || c == 0x7f) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", c);
      out += escape;
    } else if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (sequence == "\xE2\x80\xA8") {
      out += "\\u2028";
    } else if (sequence == "\xE2\x80\xA9") {
      out += "\\u2029";
    } else {
      out += sequence;
    }
    i += length;
  }
  return out + "\"";
}

std::string base64(const std::string& bytes) {
  static constexpr char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  std::size_t i = 0;
  const auto at = [&](std::size_t k) { return static_cast<uint32_t>(static_cast<unsigned char>(bytes[k])); };
  for (; i + 3 <= bytes.size(); i += 3) {
    const uint32_t group = at(i) << 16 | at(i + 1) << 8 | at(i + 2);
    for (int shift = 18; shift >= 0; shift -= 6) out += digits[(group >> shift) & 63];
  }
  if (const std::size_t left = bytes.size() - i; left > 0) {
    const uint32_t group = at(i) << 16 | (left == 2 ? at(i + 1) << 8 : 0);
    out += digits[(group >> 18) & 63];
    out += digits[(group >> 12) & 63];
    out += left == 2 ? digits[(group >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

std::string render_html(const page& p) {
  const scene& s = p.shape;
  const std::vector<double>& value = colour_values(s, p.colour);
  const double limit = limit_of(value);
  std::string initial, displacement, ends, stress, colour, area, force, stretch, material, state, cable;
  initial.reserve(24 * s.initial.size());
  displacement.reserve(24 * s.initial.size());
  for (std::size_t k = 0; k < s.initial.size(); ++k) {
    for (double v : {s.initial[k].x, s.initial[k].y, s.initial[k].z}) append_f64(initial, v);
    for (double v : {s.displacement[k].x, s.displacement[k].y, s.displacement[k].z}) append_f64(displacement, v);
  }
  ends.reserve(8 * s.bars.size());
  stress.reserve(8 * s.bars.size());
  bool uniform_area = true;
  for (std::size_t e = 0; e < s.bars.size(); ++e) {
    append_u32(ends, static_cast<uint32_t>(s.bars[e].first));
    append_u32(ends, static_cast<uint32_t>(s.bars[e].second));
    append_f64(stress, s.stress[e]);
    const rgb c = stress_colour(value[e], limit);
    for (int channel : {c.red, c.green, c.blue}) colour += static_cast<char>(channel);
    uniform_area = uniform_area && std::bit_cast<uint64_t>(s.area[e]) == std::bit_cast<uint64_t>(s.area.front());
  }
  if (!uniform_area)
    for (double a : s.area) append_f64(area, a);
  // A model file's bars carry their own law's force, stretch, material and state.
  if (!s.materials.empty())
    for (std::size_t e = 0; e < s.bars.size(); ++e) {
      append_f64(force, s.force[e]);
      append_f64(stretch, s.stretch[e]);
      append_u32(material, static_cast<uint32_t>(s.material[e]));
      state += static_cast<char>(s.state[e]);
      cable += static_cast<char>(e < s.cable.size() ? s.cable[e] : 0);
    }

  std::string data = "<script type=\"application/json\" id=\"kalvane-meta\">" + meta_json(p, uniform_area) +
                     "</script>\n";
  append_block(data, "kalvane-initial", initial);
  append_block(data, "kalvane-displacement", displacement);
  append_block(data, "kalvane-ends", ends);
  append_block(data, "kalvane-stress", stress);
  append_block(data, "kalvane-colour", colour);
  append_block(data, "kalvane-area", area);
  append_block(data, "kalvane-force", force);
  append_block(data, "kalvane-stretch", stretch);
  append_block(data, "kalvane-material", material);
  append_block(data, "kalvane-state", state);
  append_block(data, "kalvane-cable", cable);
  append_animation_blocks(data, p);

  std::string modules;
  append_module(modules, "three-core", page_assets::three_core);
  append_module(modules, "three-module", page_assets::three_module);
  append_module(modules, "three-orbit", page_assets::orbit_controls);
  append_module(modules, "kalvane-animate", page_assets::animate_js);
  append_module(modules, "kalvane-page", page_assets::page_js);

  return filled(page_assets::page_html, {{"{{boot_hash}}", std::string(page_assets::boot_js_sha256)},
                                         {"{{title}}", escaped(s.title.empty() ? "kalvane result" : s.title)},
                                         {"{{style}}", std::string(page_assets::page_css)},
                                         {"{{data}}", std::move(data)},
                                         {"{{modules}}", std::move(modules)},
                                         {"{{boot}}", std::string(page_assets::boot_js)}});
}

}  // namespace kalvane::view
