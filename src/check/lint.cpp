#include "check/lint.hpp"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <utility>

#include "companion/printable.hpp"
#include "model/number.hpp"

namespace kalvane::check {

namespace {

// Thrown where the reader would fail: the lint stops there, the reader reports it.
struct unreadable {};

struct scanner {
  const std::string& text;
  std::vector<lint_warning> warnings;
  std::size_t pos = 0;
  long line = 1;
  std::size_t line_start = 0;
  std::size_t value_end = std::string::npos;  // just past the last value read

  bool at_end() const { return pos >= text.size(); }
  char current() const { return text[pos]; }
  long column_of(std::size_t at) const { return static_cast<long>(at - line_start) + 1; }
  bool at_line_end() const {
    return pos < text.size() && (text[pos] == '\n' || (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n'));
  }
  void advance() {
    if (text[pos] == '\n') ++line, line_start = pos + 1;
    ++pos;
  }
  void warn(std::size_t at, std::string message) { warnings.push_back({line, column_of(at), std::move(message)}); }
  void warn_line(long at_line, long column, std::string message) {
    warnings.push_back({at_line, column, std::move(message)});
  }

  void skip_to_value() {
    while (!at_end() && (current() == ' ' || current() == '\t' || current() == '\f' || at_line_end())) advance();
    if (at_end()) throw unreadable{};
  }
  // The next value, with a warning when it follows the previous one without a blank.
  template <class T>
  T value(number_scan (*scan)(const char*, std::size_t, std::size_t, T&), std::size_t* start = nullptr) {
    const bool glued = value_end == pos && !at_end() && !(current() == ' ' || current() == '\t' || at_line_end());
    skip_to_value();
    T v{};
    const number_scan s = scan(text.data(), text.size(), pos, v);
    if (!s.ok) throw unreadable{};
    if (glued)
      warn(pos, "'" + text.substr(pos, s.end - pos) + "' follows the value before it without a blank: the reader takes it as the next value");
    if (start) *start = pos;
    while (pos < s.end) advance();
    value_end = pos;
    return v;
  }
  int32_t integer(std::size_t* start = nullptr) { return value<int32_t>(scan_integer, start); }
  double real(std::size_t* start = nullptr) { return value<double>(scan_real, start); }

  // The rest of the line after its last value, which the reader skips as a remark. Remarks
  // are where engineers write units, load names and dimensions ("100 kN down", "kN",
  // "6.0 x 4.0 m"): only the shapes of a slip are warned about.
  void rest_of_line() {
    const std::size_t begin = pos;
    std::size_t end = begin;
    while (end < text.size() && text[end] != '\n' && !(text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n')) ++end;
    const std::string rest = text.substr(begin, end - begin);
    const std::size_t first = rest.find_first_not_of(" \t\f\r");
    if (first != std::string::npos) {
      const std::string shown = rest.substr(first, rest.find_first_of(" \t\f\r", first) - first);
      const std::string value = text.substr(last_value_start, begin - last_value_start);
      if (first == 0 && glued_slip(shown))
        warn(begin, "'" + shown + "' is glued to the value '" + value + "': the reader takes '" + value +
                        "' and skips the rest of the line as a remark");
      else if (first == 1 && rest[0] == ' ' && digit_groups(value, rest))
        warn(begin + first, "'" + value + rest.substr(0, rest.find_last_not_of(" \t\f\r") + 1) +
                                "' looks like one number with its digits grouped by a blank: the reader takes '" +
                                value + "' and skips the rest of the line as a remark");
    }
    while (!at_end()) {
      const bool end_of_line = current() == '\n';
      advance();
      if (end_of_line) return;
    }
  }
  std::size_t last_value_start = 0;

  static bool digit(char c) { return c >= '0' && c <= '9'; }

  // A remark written against its value is a slip when it could have been meant as part of
  // the number: a decimal comma, a second point, an O or l typed for a digit ("3O00",
  // "10O"). A unit ("10kN", "0.01m2", "5mm", "2lbf") is not.
  static bool glued_slip(const std::string& word) {
    auto lookalike = [](char c) { return c == 'O' || c == 'o' || c == 'l' || c == 'I'; };
    const unsigned char c = static_cast<unsigned char>(word[0]);
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c >= 0x80;
    if (!letter) return true;
    for (char k : word)
      if (!lookalike(k) && !digit(k) && k != '.' && k != ',') return false;
    return true;
  }

  // `value` followed by `rest` (" 000", " 500.0", " 000 000") is one number whose thousands
  // are grouped by a blank: a leading group of one to three digits, then groups of exactly
  // three after single blanks, an optional decimal part, and nothing else on the line.
  static bool digit_groups(const std::string& value, const std::string& rest) {
    std::size_t at = value[0] == '+' || value[0] == '-' ? 1 : 0;
    const std::size_t lead = value.size() - at;
    if (lead < 1 || lead > 3) return false;
    for (; at < value.size(); ++at)
      if (!digit(value[at])) return false;
    auto digit_at = [&](std::size_t i) { return i < rest.size() && digit(rest[i]); };
    at = 0;
    int groups = 0;
    while (at < rest.size() && rest[at] == ' ' && digit_at(at + 1) && digit_at(at + 2) && digit_at(at + 3) &&
           !digit_at(at + 4))
      ++groups, at += 4;
    if (groups == 0) return false;
    if (at < rest.size() && (rest[at] == '.' || rest[at] == ',')) {
      ++at;
      while (digit_at(at)) ++at;
    }
    return rest.find_first_not_of(" \t\f\r", at) == std::string::npos;
  }

  // A whole line passed over unread.
  std::string skip_line() {
    const std::size_t begin = pos;
    while (!at_end() && current() != '\n') advance();
    std::string passed = text.substr(begin, pos - begin);
    if (!at_end()) advance();
    return passed;
  }

  // Lines up to and including the next marker line. With `count`, lines that look like data
  // are reported as lying beyond the count.
  void marker(const char* section_before = nullptr, int32_t count = 0, int values = 0) {
    for (;;) {
      while (!at_end() && (current() == '\f' || at_line_end())) advance();
      if (at_end()) throw unreadable{};
      const long here = line;
      const bool colon = current() == ':';
      const std::string passed = skip_line();
      if (colon) return;
      if (section_before && looks_like_data(passed, values))
        warn_line(here, 1, "this line looks like an entry of the " + std::string(section_before) + ", but the count " +
                               std::to_string(count) + " ends the section before it: the reader skips it");
    }
  }

  // The rest of the file after the last section.
  void trailing(const char* section, int32_t count, int values) {
    while (!at_end()) {
      const long here = line;
      const std::string passed = skip_line();
      if (looks_like_data(passed, values))
        warn_line(here, 1, "this line looks like an entry of the " + std::string(section) + ", but the count " +
                               std::to_string(count) + " ends the section before it: the reader never reads it");
    }
  }

  // The shape of an entry line: at least `values` numbers, each a whole word, the first an
  // integer. Remarks between sections ("6.0 x 4.0 m", "2024-05-01", "3 loads of 10 kN") are not.
  static bool looks_like_data(const std::string& s, int values) {
    std::size_t at = s.find_first_not_of(" \t\f");
    int numbers = 0;
    while (at != std::string::npos && at < s.size()) {
      int32_t i;
      double r;
      const number_scan scanned = numbers == 0 ? scan_integer(s.data(), s.size(), at, i) : scan_real(s.data(), s.size(), at, r);
      const bool whole = scanned.ok && (scanned.end == s.size() || s[scanned.end] == ' ' || s[scanned.end] == '\t' ||
                                        s[scanned.end] == '\f' || s[scanned.end] == '\r');
      if (!whole) break;
      ++numbers;
      at = s.find_first_not_of(" \t\f\r", scanned.end);
    }
    return numbers >= values;
  }
};

// Remembers the line of each numbered entry and reports the later of two.
struct entry_lines {
  std::map<std::pair<int32_t, int>, long> first;
  void note(scanner& s, std::size_t at, int32_t number, int component, const std::string& what) {
    auto [it, fresh] = first.emplace(std::make_pair(number, component), s.line);
    if (!fresh)
      s.warn(at, what + " is given again (first on line " + std::to_string(it->second) +
                     "): the later line wins");
  }
};

std::string sci_text(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", value);
  return text;
}

void check_positive(scanner& s, std::size_t at, double value, const std::string& what) {
  if (!(value > 0.0)) s.warn(at, what + " is " + s.text.substr(at, s.value_end - at) + ": the reader takes it as it stands");
}

void unnamed(scanner& s, long count_line, long count_column, const entry_lines& lines, int32_t count, const char* what,
             const char* consequence) {
  int32_t missing = 0;
  std::string listed;
  for (int32_t k = 1; k <= count; ++k)
    if (!lines.first.count({k, 0})) {
      if (missing < 5) listed += (missing ? ", " : "") + std::to_string(k);
      ++missing;
    }
  if (missing == 0) return;
  if (missing > 5) listed += " and " + std::to_string(missing - 5) + " more";
  s.warn_line(count_line, count_column,
              std::string("no line names ") + what + (missing == 1 ? " " : "s ") + listed + ": " + consequence);
}

// One count line and its optional heading; returns the count.
int32_t count_line(scanner& s, bool heading_always, long& line, long& column, int values, const char* heading_of) {
  std::size_t at = 0;
  const int32_t count = s.integer(&at);
  line = s.line;
  column = s.column_of(at);
  s.last_value_start = at;
  s.rest_of_line();
  if (heading_always || count > 0) {
    if (s.at_end()) throw unreadable{};
    const long here = s.line;
    const std::string heading = s.skip_line();
    if (scanner::looks_like_data(heading, values))
      s.warn_line(here, 1, std::string("the heading line of the ") + heading_of +
                               " looks like an entry: the reader skips it unread");
  }
  return count;
}

template <class F>
auto read_value(scanner& s, F read) {
  std::size_t at = 0;
  auto v = read(&at);
  s.last_value_start = at;
  return std::make_pair(v, at);
}

}  // namespace

std::vector<lint_warning> lint(const std::string& text) {
  scanner s{text, {}};
  auto integer = [&](std::size_t* at) { return s.integer(at); };
  auto real = [&](std::size_t* at) { return s.real(at); };
  try {
    s.marker();
    // sigma, line-search steps, tolerance, reference, iterations, memory
    read_value(s, real);
    read_value(s, integer);
    read_value(s, real);
    read_value(s, real);
    read_value(s, integer);
    read_value(s, integer);
    s.rest_of_line();

    s.marker();
    const int32_t material = read_value(s, integer).first;
    if (material == 1 || material == 2) {
      auto [c1, at1] = read_value(s, real);
      check_positive(s, at1, c1, material == 1 ? "the Neo-Hooke constant c1" : "the Mooney-Rivlin constant c1");
      if (material == 2) {
        // c2 of 0 is the Neo-Hooke law, and fitted rubbers may have a negative c2: only a
        // sum that leaves no stiffness at small strain cannot be meant.
        auto [c2, at2] = read_value(s, real);
        if (!(c1 + c2 > 0.0))
          s.warn(at2, "the Mooney-Rivlin constants c1 + c2 come to " + sci_text(c1 + c2) +
                          ": no stiffness at small strain, but the reader takes them as they stand");
      }
    }
    s.rest_of_line();

    long line = 0, column = 0;
    s.marker();
    const int32_t nodes = count_line(s, true, line, column, 4, "nodes");
    entry_lines node_lines;
    for (int32_t i = 0; i < nodes; ++i) {
      auto [k, at] = read_value(s, integer);
      node_lines.note(s, at, k, 0, "node " + std::to_string(k));
      for (int j = 0; j < 3; ++j) read_value(s, real);
      s.rest_of_line();
    }
    unnamed(s, line, column, node_lines, nodes, "node", "the reader leaves it at the origin");

    s.marker("nodes", nodes, 4);
    const int32_t bars = count_line(s, false, line, column, 4, "bars");
    entry_lines bar_lines;
    for (int32_t i = 0; i < bars; ++i) {
      auto [b, at] = read_value(s, integer);
      bar_lines.note(s, at, b, 0, "bar " + std::to_string(b));
      read_value(s, integer);
      read_value(s, integer);
      auto [area, area_at] = read_value(s, real);
      check_positive(s, area_at, area, "the area of bar " + std::to_string(b));
      s.rest_of_line();
    }
    unnamed(s, line, column, bar_lines, bars, "bar", "it joins no nodes, and the run stops on it");

    const char* const names[2] = {"prescribed displacements", "loads"};
    int32_t previous_count = bars;
    const char* previous = "bars";
    int previous_values = 4;
    for (int section = 0; section < 2; ++section) {
      s.marker(previous, previous_count, previous_values);
      const int32_t count = count_line(s, false, line, column, 3, names[section]);
      entry_lines lines;
      for (int32_t i = 0; i < count; ++i) {
        auto [node, at] = read_value(s, integer);
        const int32_t component = read_value(s, integer).first;
        lines.note(s, at, node, component,
                   std::string(section == 0 ? "the prescribed displacement" : "the load") + " of node " +
                       std::to_string(node) + " in component " + std::to_string(component));
        read_value(s, real);
        s.rest_of_line();
      }
      previous_count = count;
      previous = names[section];
      previous_values = 3;
    }
    s.trailing(previous, previous_count, previous_values);
  } catch (const unreadable&) {
  }
  std::stable_sort(s.warnings.begin(), s.warnings.end(), [](const lint_warning& a, const lint_warning& b) {
    return a.line != b.line ? a.line < b.line : a.column < b.column;
  });
  return s.warnings;
}

std::string where(const std::string& name, const lint_warning& w) {
  // The message quotes the file, whose bytes may be anything: shown printable on a terminal.
  return name + ":" + std::to_string(w.line) + ":" + std::to_string(w.column) +
         ": warning: " + companion::printable(w.message, std::string::npos);
}

}  // namespace kalvane::check
