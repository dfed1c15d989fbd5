#include "output/input_file.hpp"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "error.hpp"
#include "model/number.hpp"
#include "output/text_file.hpp"

namespace kalvane {
namespace {

bool reads_back(const std::string& text, double value) {
  double read = 0.0;
  const number_scan s = scan_real(text.data(), text.size(), 0, read);
  return s.ok && s.end == text.size() && std::memcmp(&read, &value, sizeof value) == 0;
}

std::string chars_of(double value, int significant_digits) {
  char buffer[64];
  const std::to_chars_result r =
      significant_digits == 0 ? std::to_chars(buffer, buffer + sizeof buffer, value)
                              : std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific,
                                              significant_digits - 1);
  return std::string(buffer, r.ptr);
}

// value = M x 16^q with M a whole number of at most 56 bits: the reader accumulates M and
// scales it by powers of 16, all exact in extended precision.
std::string based_text(double value) {
  int exponent = 0;
  const double fraction = std::frexp(std::fabs(value), &exponent);
  auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
  int power_of_two = exponent - 53;
  const int shift = ((power_of_two % 4) + 4) % 4;
  mantissa <<= shift;
  power_of_two -= shift;
  char digits[32];
  const std::to_chars_result r = std::to_chars(digits, digits + sizeof digits, mantissa, 16);
  return std::string(std::signbit(value) ? "-" : "") + "16#" + std::string(digits, r.ptr) + "#E" +
         std::to_string(power_of_two / 4);
}

void add_line(std::string& text, const std::string& line) {
  text += line;
  text += '\n';
}

// The lines of one component section: a count, and when it is above zero a heading line and
// one line per entry.
struct component_entry {
  int32_t node;
  int component;
  double value;
};

void add_component_section(std::string& text, const char* marker, const std::vector<component_entry>& entries) {
  add_line(text, marker);
  add_line(text, std::to_string(entries.size()));
  if (entries.empty()) return;
  add_line(text, "node  component  value");
  for (const component_entry& e : entries)
    add_line(text, std::to_string(e.node) + "  " + std::to_string(e.component) + "  " + exact_real_text(e.value));
}

bool is_positive_zero(double value) { return value == 0.0 && !std::signbit(value); }

}  // namespace

std::string exact_real_text(double value) {
  if (!std::isfinite(value)) fail(data_error, "a real that is not a finite number cannot be written to input.txt");
  for (int digits : {0, 17, 18, 19}) {
    const std::string text = chars_of(value, digits);
    if (reads_back(text, value)) return text;
  }
  const std::string text = based_text(value);
  if (!reads_back(text, value)) fail(data_error, "no text of " + chars_of(value, 17) + " reads back exactly");
  return text;
}

std::string input_text_of(const model& m, const std::string& title) {
  std::string text;
  add_line(text, title);
  add_line(text, ": settings - sigma, line-search steps, tolerance, reference, iterations, memory");
  add_line(text, exact_real_text(m.line_search_sigma) + "  " + std::to_string(m.line_search_max_steps) + "  " +
                     exact_real_text(m.gradient_tolerance) + "  " + exact_real_text(m.gradient_reference) + "  " +
                     std::to_string(m.max_iterations) + "  " + std::to_string(m.memory_size));
  add_line(text, ": material - 1 Neo-Hooke (c1), 2 Mooney-Rivlin (c1 c2)");
  const material_record& material = material_of(m);
  if (material.kind == material_law::neo_hooke) add_line(text, "1  " + exact_real_text(material.c1));
  else add_line(text, "2  " + exact_real_text(material.c1) + "  " + exact_real_text(c2(material)));

  add_line(text, ": nodes");
  add_line(text, std::to_string(m.node_count));
  add_line(text, "node  x  y  z");
  for (int32_t k = 1; k <= m.node_count; ++k)
    add_line(text, std::to_string(k) + "  " + exact_real_text(m.x0(k)) + "  " + exact_real_text(m.y0(k)) + "  " +
                       exact_real_text(m.z0(k)));

  add_line(text, ": bars");
  add_line(text, std::to_string(bar_count(m)));
  if (bar_count(m) > 0) add_line(text, "bar  node1  node2  area");
  for (int32_t b = 1; b <= bar_count(m); ++b) {
    const bar_record& bar = m.bars(b);
    add_line(text, std::to_string(b) + "  " + std::to_string(bar.node1) + "  " + std::to_string(bar.node2) + "  " +
                       exact_real_text(bar.area));
  }

  std::vector<component_entry> prescribed, loads;
  for (int32_t k = 1; k <= m.node_count; ++k)
    for (int c = 1; c <= 3; ++c) {
      if (m.dof_map(k, c) != 0) prescribed.push_back({k, c, m.prescribed(k, c)});
      if (!is_positive_zero(m.loads(k, c))) loads.push_back({k, c, m.loads(k, c)});
    }
  add_component_section(text, ": prescribed displacements", prescribed);
  add_component_section(text, ": loads", loads);
  return text;
}

void write_input(const model& m, const std::string& title, const std::string& path) {
  const std::string text = input_text_of(m, title);
  text_file out(path);
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = text.find('\n', at);
    write_line(out, std::string_view(text).substr(at, end - at));
    at = end + 1;
  }
  close(out);
}

}  // namespace kalvane
