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

struct cursor {
  const char* text;
  std::size_t size;
  std::size_t pos = 0;
  long line = 1;
  std::size_t line_start = 0;
  const std::string& name;

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

// Blanks, tabs, line ends and form feeds before a value; the file may not end here.
void skip_to_value(cursor& c, const char* what) {
  while (!c.at_end() && is_skippable(c)) c.advance();
  if (c.at_end()) fail(end_error, c.where() + "the file ends where a number (" + what + ") was expected");
}

// Reads up to and including the next line end; a last line without one is accepted when
// at least one character was read.
void skip_rest_of_line(cursor& c, const char* what) {
  if (c.at_end()) fail(end_error, c.where() + "the file ends where " + what + " was expected");
  while (!c.at_end()) {
    if (c.current() == '\n') {
      c.advance();
      return;
    }
    c.advance();
  }
}

// Passes over lines until one whose first character is a colon, and skips the rest of it.
void read_marker(cursor& c, const char* section) {
  const std::string what = std::string("the marker line ': ") + section + "'";
  for (;;) {
    while (!c.at_end() && (c.current() == '\f' || c.at_line_end())) c.advance();
    if (c.at_end()) fail(end_error, c.where() + "the file ends where " + what + " was expected");
    bool colon = c.current() == ':';
    c.advance();
    skip_rest_of_line(c, what.c_str());
    if (colon) return;
  }
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
    if (nothing) fail(data_error, c.where() + "expected " + article + kind + " (" + what + "), found " + c.token(begin));
    fail(data_error, c.where() + "malformed " + kind + " " + c.token(begin) + " (" + what + "): " + s.problem);
  }
  c.pos = s.end;
  return value;
}

int32_t read_integer(cursor& c, const char* what) { return read_number<int32_t>(c, what, "an ", "integer", scan_integer); }

double read_real(cursor& c, const char* what) { return read_number<double>(c, what, "a ", "real number", scan_real); }

// Numbers that address an entry are checked as soon as they are read.
int32_t read_index(cursor& c, const char* what, int32_t first, int32_t last) {
  int32_t value = read_integer(c, what);
  if (value < first || value > last)
    fail(index_error, c.where_line() + what + " " + std::to_string(value) + " is outside " + std::to_string(first) +
                          ".." + std::to_string(last));
  return value;
}

// A count whose lines could not fit in the rest of the file is refused before its arrays
// are claimed, so a wrong count cannot exhaust memory.
void check_count_fits(const cursor& c, long count_line, int32_t count, long long line_bytes, const char* what) {
  if (count <= 0) return;
  long long left = static_cast<long long>(c.size - c.pos);
  if (static_cast<long long>(count) * line_bytes > left)
    fail(end_error, c.name + ":" + std::to_string(count_line) + ": the " + what + " count " + std::to_string(count) +
                        " needs at least " + std::to_string(static_cast<long long>(count) * line_bytes) +
                        " more bytes, but the file ends after " + std::to_string(left));
}

void read_settings(cursor& c, model& m) {
  read_marker(c, "settings");
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
  read_marker(c, "material");
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
    fail(data_error, c.name + ":" + std::to_string(line) + ":" + std::to_string(column) + ": material number " +
                         std::to_string(number) + " is neither 1 (Neo-Hooke) nor 2 (Mooney-Rivlin)");
  }
  skip_rest_of_line(c, "the rest of the material line");
}

struct section_count {
  int32_t value;
  long line;
};

// A section's marker line and its count, with the rest of the count's line skipped.
section_count read_section_count(cursor& c, const char* section, const char* count_name) {
  read_marker(c, section);
  const int32_t value = read_integer(c, count_name);
  const long line = c.line;
  skip_rest_of_line(c, ("the rest of the " + std::string(count_name) + " line").c_str());
  return {value, line};
}

void read_nodes(cursor& c, model& m) {
  const section_count count = read_section_count(c, "nodes", "node count");
  const int32_t n = count.value;
  check_count_fits(c, count.line, n, node_line_bytes, "node");
  m.node_count = n;
  m.x0.allocate(1, n);
  m.y0.allocate(1, n);
  m.z0.allocate(1, n);
  skip_rest_of_line(c, "the heading line of the nodes");
  for (int32_t i = 0; i < n; ++i) {
    int32_t k = read_index(c, "node number", 1, n);
    m.x0(k) = read_real(c, "x coordinate");
    m.y0(k) = read_real(c, "y coordinate");
    m.z0(k) = read_real(c, "z coordinate");
    skip_rest_of_line(c, "the rest of a node line");
  }
}

void read_bars(cursor& c, model& m) {
  const section_count section = read_section_count(c, "bars", "bar count");
  const int32_t count = section.value;
  check_count_fits(c, section.line, count, bar_line_bytes, "bar");
  m.bars.allocate(1, count);
  m.bar_line.allocate(1, count);
  if (count <= 0) return;
  skip_rest_of_line(c, "the heading line of the bars");
  for (int32_t i = 0; i < count; ++i) {
    int32_t b = read_index(c, "bar number", 1, count);
    m.bar_line(b) = c.line;
    bar_record& bar = m.bars(b);
    bar.node1 = read_integer(c, "first node of a bar");
    bar.node2 = read_integer(c, "second node of a bar");
    bar.area = read_real(c, "bar area");
    skip_rest_of_line(c, "the rest of a bar line");
  }
}

// The names the prescribed-displacement and load sections use in messages.
struct component_section {
  const char* marker;
  const char* count;
  const char* heading;
  const char* value;
  const char* line;
};

// Lines of node, component and value into `values`; `flags`, when given, marks each
// component named.
void read_component_section(cursor& c, const model& m, const component_section& names, terms::fmat2& values,
                            terms::imat2* flags) {
  const int32_t count = read_section_count(c, names.marker, names.count).value;
  if (count <= 0) return;
  skip_rest_of_line(c, names.heading);
  for (int32_t i = 0; i < count; ++i) {
    const int32_t node = read_index(c, "node number", 1, m.node_count);
    const int32_t component = read_index(c, "component", 1, 3);
    values(node, component) = read_real(c, names.value);
    skip_rest_of_line(c, names.line);
    if (flags) (*flags)(node, component) = 1;
  }
}

void read_prescribed(cursor& c, model& m) {
  read_component_section(c, m,
                         {"prescribed displacements", "prescribed displacement count",
                          "the heading line of the prescribed displacements", "prescribed displacement",
                          "the rest of a prescribed displacement line"},
                         m.prescribed, &m.dof_map);
}

void read_loads(cursor& c, model& m) {
  read_component_section(c, m,
                         {"loads", "load count", "the heading line of the loads",
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
