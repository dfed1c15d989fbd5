#include "model/input.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "error.hpp"
#include "model/number.hpp"

namespace kalvane {
namespace {

// The fewest bytes one data line can take: its values, a blank between each two, and at
// least one character after the last value (a line end, or the file would end too early).
constexpr long long node_line_bytes = 8;
constexpr long long bar_line_bytes = 8;

// The six sections in file order, as messages name them.
enum section_index { settings_section, material_section, nodes_section, bars_section, prescribed_section,
                     loads_section, section_total };

struct section_names {
  const char* name;
  const char* form;          // what the section holds, for a message that finds it missing
  const char* keywords[3];   // words a marker line of this section is likely to hold
  const char* data_line;     // one of its counted lines, or nullptr
  int values_per_line;       // numbers on one of those lines
};

const section_names sections[section_total] = {
    {"settings", "': settings' line, then 'sigma steps tolerance reference iterations memory'", {"setting"},
     nullptr, 6},
    {"material", "': material' line, then 'number c1 [c2]'", {"material"}, nullptr, 0},
    {"nodes", "': nodes' line, the count, a heading line, then 'node x y z' lines", {"node"}, "node line", 4},
    {"bars", "': bars' line, the count, a heading line, then 'bar node1 node2 area' lines", {"bar"}, "bar line", 4},
    {"prescribed displacements",
     "': prescribed displacements' line, the count, a heading line, then 'node component value' lines",
     {"prescribed", "support", "displacement"}, "prescribed displacement line", 3},
    {"loads", "': loads' line, the count, a heading line, then 'node component value' lines", {"load", "force"},
     "load line", 3},
};

// What the reader met in one section, kept only to explain a failure where it arose.
struct section_progress {
  std::size_t marker_at = 0;  // the marker line taken for the section
  long marker_line = 0;
  std::size_t passed_at = 0;  // a line passed over on the way that looks meant as its marker
  long passed_line = 0;
  long skipped_line = 0;      // the first line passed over on the way, 0 for none
  long skipped = 0;           // how many lines were passed over
  int32_t count = 0;
  long count_line = 0;        // 0 until the count is read
  std::size_t heading_at = 0;
  long heading_line = 0;      // 0 when no heading line was skipped
};

struct progress {
  int section = -1;        // the section being read (or whose marker is sought)
  section_progress of[section_total];
  int32_t lines_read = 0;  // complete data lines of the current section
  int values_read = 0;     // values of the current line, or of the settings and material
  int32_t entry = 0;       // the node or bar the current data line is about, 0 before it is read
  // The name of the last value read: a failure right after it, with nothing between,
  // belongs to it.
  const char* value_what = nullptr;
};

struct cursor {
  const char* text;
  std::size_t size;
  std::size_t pos = 0;
  long line = 1;
  std::size_t line_start = 0;
  const std::string& name;
  progress read{};

  bool at_end() const { return pos >= size; }
  char current() const { return text[pos]; }
  long column() const { return static_cast<long>(pos - line_start) + 1; }
  long column_of(std::size_t at) const { return static_cast<long>(at - line_start) + 1; }

  // A line feed, or a carriage return directly before one.
  bool at_line_end() const {
    return pos < size && (text[pos] == '\n' || (text[pos] == '\r' && pos + 1 < size && text[pos + 1] == '\n'));
  }
  // Steps over one character, counting lines.
  void advance() {
    if (text[pos] == '\n') {
      ++line;
      line_start = pos + 1;
    }
    ++pos;
  }

  std::string where() const { return name + ":" + std::to_string(line) + ":" + std::to_string(column()) + ": "; }
  std::string where_line() const { return name + ":" + std::to_string(line) + ": "; }

  // The text from `at` to the next blank or line end, for messages.
  std::string token(std::size_t at) const {
    std::size_t end = at;
    while (end < size && end - at < 24 && text[end] != ' ' && text[end] != '\t' && text[end] != '\n' &&
           text[end] != '\r' && text[end] != '\f')
      ++end;
    if (end == at) {
      if (at >= size) return "the end of the file";
      if (text[at] == '\n' || text[at] == '\r') return "the end of the line";
      if (text[at] == '\f') return "a form feed";
      return "a blank";
    }
    std::string t(text + at, end - at);
    if (end < size && end - at == 24 && text[end] != ' ' && text[end] != '\t' && text[end] != '\n') t += "...";
    return "'" + t + "'";
  }
};

bool is_skippable(const cursor& c) {
  char ch = c.current();
  return ch == ' ' || ch == '\t' || ch == '\f' || c.at_line_end();
}

bool is_blank(char ch) { return ch == ' ' || ch == '\t'; }

// ---- Explaining a failure: where the slip that led to it most likely is. None of this
// changes what is read or which error ends the run; it runs only once a run has failed.

// The line from `at` to its end, quoted and shortened.
std::string quoted_line(const cursor& c, std::size_t at) {
  std::size_t end = at;
  while (end < c.size && c.text[end] != '\n' && c.text[end] != '\r' && end - at < 40) ++end;
  std::string t(c.text + at, end - at);
  if (end < c.size && c.text[end] != '\n' && c.text[end] != '\r') t += "...";
  return "'" + t + "'";
}

long column_at(const cursor& c, std::size_t at) {
  std::size_t start = at;
  while (start > 0 && c.text[start - 1] != '\n') --start;
  return static_cast<long>(at - start) + 1;
}

std::string place(const cursor& c, long line, long column) {
  return c.name + ":" + std::to_string(line) + ":" + std::to_string(column) + ": ";
}

char lower(char ch) { return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch; }

// The section whose name comes first on the line at `at`, or -1: marker lines usually say
// which section they open.
int section_named(const cursor& c, std::size_t at) {
  std::size_t end = at;
  while (end < c.size && c.text[end] != '\n') ++end;
  int best = -1;
  std::size_t best_at = end;
  for (int s = 0; s < section_total; ++s)
    for (const char* word : sections[s].keywords) {
      if (word == nullptr) break;
      const std::size_t length = std::strlen(word);
      for (std::size_t i = at; i + length <= end && i < best_at; ++i) {
        std::size_t k = 0;
        while (k < length && lower(c.text[i + k]) == word[k]) ++k;
        if (k == length) {
          best = s;
          best_at = i;
          break;
        }
      }
    }
  return best;
}

// A line that is not a marker line but may be meant as one: a colon after blanks, or
// another sign in column 1.
bool looks_like_marker(const cursor& c, std::size_t at) {
  std::size_t p = at;
  while (p < c.size && is_blank(c.text[p])) ++p;
  if (p >= c.size) return false;
  if (c.text[p] == ':') return p > at;
  return p == at && c.text[p] != '\0' && std::strchr("#;*!%>|=/-", c.text[p]) != nullptr;
}

// Whether the line at `at` begins with `values` numbers separated by blanks.
bool reads_like_data_line(const cursor& c, std::size_t at, int values) {
  std::size_t p = at;
  for (int i = 0; i < values; ++i) {
    while (p < c.size && is_blank(c.text[p])) ++p;
    double value = 0.0;
    const number_scan s = scan_real(c.text, c.size, p, value);
    if (!s.ok) return false;
    p = s.end;
    if (p < c.size && !is_blank(c.text[p]) && c.text[p] != '\r' && c.text[p] != '\n') return false;
  }
  return true;
}

// The most likely slip before the failure, with its own place, or "" when none is clear.
// `lines_short`: a number was due and a marker line or the end of the file came instead.
std::string likely_slip(const cursor& c, bool lines_short) {
  const progress& r = c.read;
  if (c.size > 3 && std::memcmp(c.text, "\xEF\xBB\xBF", 3) == 0 && c.text[3] == ':')
    return place(c, 1, 1) + "the file starts with a UTF-8 byte-order mark, which hides the marker line " +
           quoted_line(c, 3) + " (a marker line starts with ':' in column 1); save the file without the mark";
  const int last = r.section < section_total ? r.section : section_total - 1;
  for (int s = 0; s <= last; ++s) {
    const section_progress& p = r.of[s];
    if (p.passed_line == 0 || (p.marker_line != 0 && section_named(c, p.marker_at) == s)) continue;
    std::string why = place(c, p.passed_line, 1) + quoted_line(c, p.passed_at) +
                      " seems meant as the marker line of the " + sections[s].name +
                      " section, but a marker line starts with ':' in column 1";
    if (p.marker_line != 0)
      why += ", so the reader took line " + std::to_string(p.marker_line) + " " + quoted_line(c, p.marker_at) +
             " for it";
    return why;
  }
  for (int s = nodes_section; s <= last; ++s) {
    const section_progress& p = r.of[s];
    if (p.heading_line != 0 && p.heading_at < c.size && c.text[p.heading_at] == ':')
      return place(c, p.heading_line, 1) + "the heading line of the " + sections[s].name +
             " section seems to be missing: the reader skipped the marker line " + quoted_line(c, p.heading_at) +
             " as the heading line after the count" +
             (s == nodes_section ? " (the nodes section has a heading line even when its count is 0)" : "");
  }
  for (int s = 0; s <= last; ++s) {
    const section_progress& p = r.of[s];
    if (p.marker_line == 0) break;
    if (section_named(c, p.marker_at) <= s) continue;
    // Lines passed over before a later section's marker: this section's lines may be there
    // without their marker line. Before the settings they are titles.
    if (s > settings_section && p.skipped > 0)
      return place(c, p.skipped_line, 1) + "the marker line of the " + sections[s].name + " section (': " +
             sections[s].name + "') seems to be missing before this line: the reader passed over " +
             std::to_string(p.skipped) + (p.skipped == 1 ? " line" : " lines") + " from here and took line " +
             std::to_string(p.marker_line) + " " + quoted_line(c, p.marker_at) + " for it";
    return place(c, p.marker_line, column_at(c, p.marker_at)) + "the " + sections[s].name + " section (" +
           sections[s].form + ") seems to be missing: the reader took the marker line " +
           quoted_line(c, p.marker_at) + " for it";
  }
  if (lines_short && r.section >= nodes_section && r.section < section_total) {
    const section_progress& p = r.of[r.section];
    const section_names& names = sections[r.section];
    if (p.heading_line != 0 && reads_like_data_line(c, p.heading_at, names.values_per_line))
      return place(c, p.heading_line, 1) + "the heading line of the " + names.name +
             " section seems to be missing: the line after the count, skipped as the heading line, reads like a " +
             names.data_line + " (" + quoted_line(c, p.heading_at) + ")";
  }
  return "";
}

[[noreturn]] void refuse(const cursor& c, const char* kind, const std::string& message, bool lines_short = false) {
  const std::string slip = likely_slip(c, lines_short);
  if (slip.empty() && lines_short && c.read.section >= nodes_section && c.read.of[c.read.section].count_line != 0)
    fail(kind, message + ": the count may be too large, or a line is missing");
  if (slip.empty()) fail(kind, message);
  fail(kind, slip + "; the reader then stopped at " + message);
}

// Where a number was due and a marker line or the end came: what the reader was in.
std::string still_expected(const cursor& c) {
  const progress& r = c.read;
  if (r.section < 0 || r.section >= section_total) return "";
  const section_names& names = sections[r.section];
  const section_progress& p = r.of[r.section];
  if (r.section == settings_section)
    return "; the reader was in the settings section, whose 6 values are 'sigma steps tolerance reference "
           "iterations memory', and had read " + std::to_string(r.values_read) + " of them";
  if (r.section == material_section)
    return "; the reader was in the material section ('number c1 [c2]') and had read " +
           std::to_string(r.values_read) + " of its values";
  if (p.count_line == 0) return std::string("; the reader expected the count of the ") + names.name + " section";
  return std::string("; the reader was in the ") + names.name + " section and had read " +
         std::to_string(r.lines_read) + " of the " + std::to_string(p.count) + " " + names.data_line +
         "s counted at line " + std::to_string(p.count_line) + " (" + std::to_string(p.count - r.lines_read) +
         " more expected)";
}

// Kept out of line: the loops that read every value stay as small as without messages.
[[noreturn, gnu::cold, gnu::noinline]] void ends_before_value(const cursor& c, const char* what) {
  refuse(c, end_error, c.where() + "the file ends where a number (" + what + ") was expected" + still_expected(c),
         true);
}

[[noreturn, gnu::cold, gnu::noinline]] void ends_before_line(const cursor& c, const char* what) {
  refuse(c, end_error, c.where() + "the file ends where " + what + " was expected");
}

// Blanks, tabs, line ends and form feeds before a value; the file may not end here.
void skip_to_value(cursor& c, const char* what) {
  while (!c.at_end() && is_skippable(c)) c.advance();
  if (c.at_end()) ends_before_value(c, what);
}

// Reads up to and including the next line end; a last line without one is accepted when
// at least one character was read.
void skip_rest_of_line(cursor& c, const char* what) {
  if (c.at_end()) ends_before_line(c, what);
  while (!c.at_end()) {
    if (c.current() == '\n') {
      c.advance();
      return;
    }
    c.advance();
  }
}

// Passes over lines until one whose first character is a colon, and skips the rest of it.
void read_marker(cursor& c, int section) {
  const std::string what = std::string("the marker line ': ") + sections[section].name + "'";
  c.read.section = section;
  c.read.lines_read = 0;
  c.read.values_read = 0;
  c.read.entry = 0;
  section_progress& p = c.read.of[section];
  for (;;) {
    while (!c.at_end() && (c.current() == '\f' || c.at_line_end())) c.advance();
    if (c.at_end()) ends_before_line(c, what.c_str());
    const std::size_t at = c.pos;
    const long line = c.line;
    bool colon = c.current() == ':';
    c.advance();
    skip_rest_of_line(c, what.c_str());
    if (colon) {
      p.marker_at = at;
      p.marker_line = line;
      return;
    }
    if (p.skipped++ == 0) p.skipped_line = line;
    if (p.passed_line == 0 && looks_like_marker(c, at) && section_named(c, at) == section) {
      p.passed_at = at;
      p.passed_line = line;
    }
  }
}

bool ends_value(char ch) { return is_blank(ch) || ch == '\n' || ch == '\r' || ch == '\f'; }

// The previous value ran straight into the text that failed at `at`: the slip is in that
// value, which began after the last blank or line end.
std::string glued_value(const cursor& c, std::size_t at) {
  const progress& r = c.read;
  const char ch = c.text[at];
  std::size_t begin = at;
  while (begin > 0 && !ends_value(c.text[begin - 1])) --begin;
  std::size_t end = at;
  while (end < c.size && !ends_value(c.text[end]) && end - at < 24) ++end;
  const std::string taken(c.text + begin, at - begin);
  std::string why;
  if (ch == 'O' || ch == 'o')
    why = std::string("the letter ") + ch + " stands in it (a zero typed as a letter?)";
  else if (ch == '.' && taken.find('.') == std::string::npos)
    why = "an integer has no decimal point";
  else if (ch == ',' || ch == ';')
    why = std::string("values are separated by blanks, not '") + ch + "'";
  else
    why = std::string("'") + ch + "' cannot be part of a number";
  std::string owner;
  const std::string what = r.value_what;
  if (r.entry != 0 && what != "node number" && what != "bar number" && r.section >= nodes_section) {
    if (r.section == nodes_section) owner = " of node " + std::to_string(r.entry);
    else owner = std::string(" (") + (r.section == bars_section ? "bar " : "node ") + std::to_string(r.entry) + ")";
  }
  return place(c, c.line, c.column_of(at)) + "the " + what + owner + " reads '" +
         std::string(c.text + begin, end - begin) + "': " + why + "; the reader took '" + taken + "' for it";
}

// Reads one number with `scan`; `article` and `kind` name it in messages.
template <class T>
T read_number(cursor& c, const char* what, const char* article, const char* kind,
              number_scan (*scan)(const char*, std::size_t, std::size_t, T&)) {
  skip_to_value(c, what);
  T value{};
  const std::size_t begin = c.pos;
  const number_scan s = scan(c.text, c.size, begin, value);
  if (!s.ok) {
    const bool nothing = s.end == begin || (s.end == begin + 1 && (c.text[begin] == '+' || c.text[begin] == '-'));
    if (c.read.value_what != nullptr && begin > 0 && !ends_value(c.text[begin - 1]))
      refuse(c, data_error,
             glued_value(c, begin) + ", then expected " + article + kind + " (" + what + ") here and found " +
                 c.token(begin));
    if (nothing && c.text[begin] == ':' && c.column_of(begin) == 1)
      refuse(c, data_error,
             c.where() + "expected " + article + kind + " (" + what + "), found the marker line " +
                 quoted_line(c, begin) + still_expected(c),
             true);
    if (nothing)
      refuse(c, data_error, c.where() + "expected " + article + kind + " (" + what + "), found " + c.token(begin));
    refuse(c, data_error, c.where() + "malformed " + kind + " " + c.token(begin) + " (" + what + "): " + s.problem);
  }
  c.pos = s.end;
  c.read.value_what = what;
  ++c.read.values_read;
  return value;
}

int32_t read_integer(cursor& c, const char* what) { return read_number<int32_t>(c, what, "an ", "integer", scan_integer); }

double read_real(cursor& c, const char* what) { return read_number<double>(c, what, "a ", "real number", scan_real); }

// Numbers that address an entry are checked as soon as they are read.
int32_t read_index(cursor& c, const char* what, int32_t first, int32_t last) {
  int32_t value = read_integer(c, what);
  if (value < first || value > last)
    refuse(c, index_error, c.where_line() + what + " " + std::to_string(value) + " is outside " +
                               std::to_string(first) + ".." + std::to_string(last));
  return value;
}

// The first value of a data line: the entry it is about, named in later messages.
int32_t read_entry(cursor& c, const char* what, int32_t first, int32_t last) {
  c.read.values_read = 0;
  c.read.entry = 0;
  const int32_t value = read_index(c, what, first, last);
  c.read.entry = value;
  return value;
}

// A count whose lines could not fit in the rest of the file is refused before its arrays
// are claimed, so a wrong count cannot exhaust memory.
void check_count_fits(const cursor& c, long count_line, int32_t count, long long line_bytes, const char* what) {
  if (count <= 0) return;
  long long left = static_cast<long long>(c.size - c.pos);
  if (static_cast<long long>(count) * line_bytes > left)
    refuse(c, end_error, c.name + ":" + std::to_string(count_line) + ": the " + what + " count " +
                             std::to_string(count) + " needs at least " +
                             std::to_string(static_cast<long long>(count) * line_bytes) +
                             " more bytes, but the file ends after " + std::to_string(left));
}

void read_settings(cursor& c, model& m) {
  read_marker(c, settings_section);
  m.line_search_sigma = read_real(c, "line-search sigma");
  m.line_search_max_steps = read_integer(c, "line-search steps");
  m.gradient_tolerance = read_real(c, "gradient tolerance");
  m.gradient_reference = read_real(c, "gradient reference");
  m.max_iterations = read_integer(c, "maximum iterations");
  m.memory_size = read_integer(c, "memory size");
  skip_rest_of_line(c, "the rest of the settings line");
  if (m.gradient_tolerance <= 0.0) m.gradient_tolerance = 0.001;
}

void read_material(cursor& c, model& m) {
  read_marker(c, material_section);
  skip_to_value(c, "the material number");
  const long line = c.line, column = c.column();
  int32_t number = read_integer(c, "material number");
  if (number == 1) {
    double c1 = read_real(c, "Neo-Hooke constant c1");
    m.material = neo_hooke(c1);
  } else if (number == 2) {
    double c1 = read_real(c, "Mooney-Rivlin constant c1");
    double second = read_real(c, "Mooney-Rivlin constant c2");
    m.material = mooney_rivlin(c1, second);
  } else {
    // Refused here, before any file is written, rather than at the material's first use.
    refuse(c, data_error, c.name + ":" + std::to_string(line) + ":" + std::to_string(column) + ": material number " +
                              std::to_string(number) + " is neither 1 (Neo-Hooke) nor 2 (Mooney-Rivlin)");
  }
  skip_rest_of_line(c, "the rest of the material line");
}

struct section_count {
  int32_t value;
  long line;
};

// A section's marker line and its count, with the rest of the count's line skipped.
section_count read_section_count(cursor& c, int section, const char* count_name) {
  read_marker(c, section);
  const int32_t value = read_integer(c, count_name);
  const long line = c.line;
  c.read.of[section].count = value;
  c.read.of[section].count_line = line;
  skip_rest_of_line(c, ("the rest of the " + std::string(count_name) + " line").c_str());
  return {value, line};
}

// The one line after a section's count, whatever it holds.
void skip_heading(cursor& c, const char* what) {
  section_progress& p = c.read.of[c.read.section];
  p.heading_at = c.pos;
  p.heading_line = c.line;
  skip_rest_of_line(c, what);
}

void read_nodes(cursor& c, model& m) {
  const section_count count = read_section_count(c, nodes_section, "node count");
  const int32_t n = count.value;
  check_count_fits(c, count.line, n, node_line_bytes, "node");
  m.node_count = n;
  m.x0.allocate(1, n);
  m.y0.allocate(1, n);
  m.z0.allocate(1, n);
  skip_heading(c, "the heading line of the nodes");
  for (int32_t i = 0; i < n; ++i) {
    int32_t k = read_entry(c, "node number", 1, n);
    m.x0(k) = read_real(c, "x coordinate");
    m.y0(k) = read_real(c, "y coordinate");
    m.z0(k) = read_real(c, "z coordinate");
    skip_rest_of_line(c, "the rest of a node line");
    ++c.read.lines_read;
  }
}

void read_bars(cursor& c, model& m) {
  const section_count section = read_section_count(c, bars_section, "bar count");
  const int32_t count = section.value;
  check_count_fits(c, section.line, count, bar_line_bytes, "bar");
  m.bars.allocate(1, count);
  m.bar_line.allocate(1, count);
  if (count <= 0) return;
  skip_heading(c, "the heading line of the bars");
  for (int32_t i = 0; i < count; ++i) {
    int32_t b = read_entry(c, "bar number", 1, count);
    m.bar_line(b) = c.line;
    bar_record& bar = m.bars(b);
    bar.node1 = read_integer(c, "first node of a bar");
    bar.node2 = read_integer(c, "second node of a bar");
    bar.area = read_real(c, "bar area");
    skip_rest_of_line(c, "the rest of a bar line");
    ++c.read.lines_read;
  }
}

// The names the prescribed-displacement and load sections use in messages.
struct component_section {
  int section;
  const char* count;
  const char* heading;
  const char* value;
  const char* line;
};

// Lines of node, component and value into `values`; `flags`, when given, marks each
// component named.
void read_component_section(cursor& c, const model& m, const component_section& names, terms::fmat2& values,
                            terms::imat2* flags) {
  const int32_t count = read_section_count(c, names.section, names.count).value;
  if (count <= 0) return;
  skip_heading(c, names.heading);
  for (int32_t i = 0; i < count; ++i) {
    const int32_t node = read_entry(c, "node number", 1, m.node_count);
    const int32_t component = read_index(c, "component", 1, 3);
    values(node, component) = read_real(c, names.value);
    skip_rest_of_line(c, names.line);
    if (flags) (*flags)(node, component) = 1;
    ++c.read.lines_read;
  }
}

void read_prescribed(cursor& c, model& m) {
  read_component_section(c, m,
                         {prescribed_section, "prescribed displacement count",
                          "the heading line of the prescribed displacements", "prescribed displacement",
                          "the rest of a prescribed displacement line"},
                         m.prescribed, &m.dof_map);
}

void read_loads(cursor& c, model& m) {
  read_component_section(c, m,
                         {loads_section, "load count", "the heading line of the loads",
                          "load", "the rest of a load line"},
                         m.loads, nullptr);
}

std::string read_whole_file(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) fail(name_error, path + ": " + std::strerror(errno));
  struct stat info {};
  if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    int code = S_ISDIR(info.st_mode) ? EISDIR : errno;
    ::close(fd);
    fail(name_error, path + ": " + std::strerror(code));
  }
  std::string text;
  if (S_ISREG(info.st_mode)) text.reserve(static_cast<std::size_t>(info.st_size));
  char buffer[1 << 16];
  for (;;) {
    ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      int code = errno;
      ::close(fd);
      fail(name_error, path + ": " + std::strerror(code));
    }
    if (got == 0) break;
    text.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(fd);
  return text;
}

}  // namespace

void input_text(model& m, const std::string& text, const std::string& name) {
  cursor c{text.data(), text.size(), 0, 1, 0, name};
  m.source_name = name;
  read_settings(c, m);
  read_material(c, m);
  read_nodes(c, m);
  read_bars(c, m);
  m.dof_map.allocate(1, m.node_count, 1, 3);
  m.prescribed.allocate(1, m.node_count, 1, 3);
  read_prescribed(c, m);
  m.loads.allocate(1, m.node_count, 1, 3);
  read_loads(c, m);
}

void input(model& m, const std::string& path) { input_text(m, read_whole_file(path), path); }

}  // namespace kalvane
