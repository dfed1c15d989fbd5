#include "view/report_reader.hpp"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>
#include <string_view>

#include "error.hpp"
#include "output/report_layout.hpp"

namespace kalvane::view {

namespace layout = report_layout;

namespace {

std::string_view trim_right(std::string_view s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

std::string_view trim(std::string_view s) {
  s = trim_right(s);
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  return s;
}

bool all_blank(std::string_view s) { return s.find_first_not_of(" \t") == std::string_view::npos; }

// Splits on line feeds; a carriage return before one (a report written on Windows) and
// trailing blanks are dropped, so comparisons see only the text.
std::vector<std::string_view> split_lines(const std::string& text) {
  std::vector<std::string_view> lines;
  std::string_view rest(text);
  while (!rest.empty()) {
    std::size_t end = rest.find('\n');
    if (end == std::string_view::npos) end = rest.size();
    lines.push_back(trim_right(rest.substr(0, end)));
    rest.remove_prefix(end == rest.size() ? end : end + 1);
  }
  return lines;
}

std::vector<std::string_view> tokens_of(std::string_view s) {
  std::vector<std::string_view> out;
  std::size_t i = 0;
  while (true) {
    i = s.find_first_not_of(" \t", i);
    if (i == std::string_view::npos) return out;
    std::size_t end = s.find_first_of(" \t", i);
    if (end == std::string_view::npos) end = s.size();
    out.push_back(s.substr(i, end - i));
    i = end;
  }
}

bool parse_int(std::string_view token, int32_t& value) {
  auto [end, ec] = std::from_chars(token.data(), token.data() + token.size(), value);
  return ec == std::errc() && end == token.data() + token.size();
}

// Walks the report line by line; every failure names the file and the line.
struct cursor {
  std::vector<std::string_view> lines;
  const std::string& name;
  std::size_t next = 0;

  int number() const { return static_cast<int>(next) + 1; }  // of the line about to be taken
  bool at_end() const { return next >= lines.size(); }

  [[noreturn]] void failure(int line, const std::string& what) const {
    fail(data_error, name + ":" + std::to_string(line) + ": " + what);
  }

  std::string_view take(const std::string& what) {
    if (at_end())
      failure(number(), "the file ends where " + what +
                            " was due (is it a complete report from kalvane?)");
    return lines[next++];
  }

  void expect(std::string_view literal, const std::string& what) {
    std::string_view line = take(what);
    if (line != trim_right(literal)) failure(number() - 1, "expected " + what);
  }

  void expect_rule(int width, const std::string& what) {
    std::string_view line = take(what);
    if (line.size() != static_cast<std::size_t>(width) || line.find_first_not_of('-') != std::string_view::npos)
      failure(number() - 1, "expected " + what + " (a line of " + std::to_string(width) + " '-')");
  }

  void expect_blank(const std::string& what) {
    if (!take(what).empty()) failure(number() - 1, "expected " + what + " (an empty line)");
  }

  // The empty lines between two parts of the report; `after` names the part before them.
  void expect_blanks_after(const std::string& after) {
    for (int i = 1; i <= layout::blank_lines_between; ++i)
      expect_blank(std::string(i == 1 ? "the" : i == 2 ? "the second" : "another") + " blank line after " + after);
  }

  // A table's rules and heading, and the empty lines below them; gives the heading's line.
  int expect_table_head(const layout::table_head& head, const std::string& table) {
    expect_rule(head.rule, "the rule above the " + table + " table");
    const int heading_line = number();
    expect(head.heading, "the " + table + " table heading");
    expect_rule(head.rule, "the rule below the " + table + " table heading");
    for (int i = 0; i < head.blank_lines_after_head; ++i)
      expect_blank("the blank line below the " + table + " table heading");
    return heading_line;
  }

  double real(std::string_view token, int line, const std::string& what) const {
    double value = 0.0;
    if (!parse_report_real(std::string(token), value))
      failure(line, "'" + std::string(token) + "' is not a number (" + what + ")");
    return value;
  }

  int32_t integer(std::string_view token, int line, const std::string& what) const {
    int32_t value = 0;
    if (!parse_int(token, value))
      failure(line, "'" + std::string(token) + "' is not a whole number (" + what + ")");
    return value;
  }
};

// "| Label     |   value |": the value is the text between the last two bars.
std::string_view frame_value(cursor& in, std::string_view label) {
  const std::string what = "the summary line '" + std::string(layout::title_of(label)) + "'";
  std::string_view line = in.take(what);
  std::string_view prefix = trim_right(label);
  std::size_t last = line.rfind('|');
  if (line.substr(0, prefix.size()) != prefix || last == std::string_view::npos || last == 0)
    in.failure(in.number() - 1, "expected " + what);
  std::size_t before = line.rfind('|', last - 1);
  if (before == std::string_view::npos || before == 0) in.failure(in.number() - 1, "expected " + what);
  return trim(line.substr(before + 1, last - before - 1));
}

void read_summary(cursor& in, report& r) {
  in.expect_rule(layout::frame_rule, "the top of the summary frame");
  r.iterations = in.integer(frame_value(in, layout::iterations_label), in.number() - 1, "iteration count");
  r.objective = in.real(frame_value(in, layout::objective_label), in.number() - 1, "objective");
  r.allowable_gradient =
      in.real(frame_value(in, layout::gradient_label), in.number() - 1, "allowable gradient");
  in.expect_rule(layout::frame_rule, "the bottom of the summary frame");
}

void read_displacements(cursor& in, report& r) {
  in.expect_blanks_after("the summary");
  r.displacement_heading_line = in.expect_table_head(layout::displacement_table, "displacement");
  r.displacement_first_line = in.number();
  while (!in.at_end() && !in.lines[in.next].empty()) {
    int line = in.number();
    auto tokens = tokens_of(in.take("a displacement row"));
    if (tokens.size() != 4) in.failure(line, "a displacement row needs a node number and three values");
    int32_t node = in.integer(tokens[0], line, "node number");
    int32_t due = static_cast<int32_t>(r.displacement.size()) + 1;
    if (node != due)
      in.failure(line, "node " + std::to_string(node) + " where node " + std::to_string(due) + " was due");
    r.displacement.push_back({in.real(tokens[1], line, "X displacement"),
                              in.real(tokens[2], line, "Y displacement"),
                              in.real(tokens[3], line, "Z displacement")});
  }
}

// A reaction row keeps its columns: a component that is not reported leaves a column of
// blanks, a reported one is the gap and its value. Tokens alone would lose which is which.
void read_reaction_row(cursor& in, report& r, std::string_view row, int line) {
  std::size_t pos = row.find_first_not_of(' ');
  std::size_t end = row.find(' ', pos);
  if (end == std::string_view::npos) in.failure(line, "a reaction row needs at least one value");
  int32_t node = in.integer(row.substr(pos, end - pos), line, "node number");
  if (node < 1 || node > static_cast<int32_t>(r.displacement.size()))
    in.failure(line, "node " + std::to_string(node) + " is not in the displacement table");
  if (!r.reactions.empty() && r.reactions.back().node >= node)
    in.failure(line, "node " + std::to_string(node) + " out of order in the reaction table");
  pos = end;
  bool any = false;
  for (int component = 1; component <= 3 && pos < row.size(); ++component) {
    std::string_view rest = row.substr(pos);
    if (rest.size() >= layout::column_width && all_blank(rest.substr(0, layout::column_width))) {
      pos += layout::column_width;
      continue;
    }
    if (rest.size() <= layout::gap || !all_blank(rest.substr(0, layout::gap)))
      in.failure(line, "the reaction columns are out of place");
    pos = row.find_first_not_of(' ', pos + layout::gap);  // a non-negative value has a blank of its own
    end = row.find(' ', pos);
    if (end == std::string_view::npos) end = row.size();
    double value = in.real(row.substr(pos, end - pos), line, "reaction force");
    r.reactions.push_back({node, component, value, line});
    any = true;
    pos = end;
  }
  if (!any || pos < row.size()) in.failure(line, "the reaction row does not have the report's columns");
}

void read_reactions(cursor& in, report& r) {
  in.expect_blanks_after("the displacement table");
  in.expect_table_head(layout::reaction_table, "reaction");
  while (!in.at_end() && !in.lines[in.next].empty()) {
    int line = in.number();
    read_reaction_row(in, r, in.take("a reaction row"), line);
  }
}

void read_stresses(cursor& in, report& r) {
  in.expect_blanks_after("the reaction table");
  r.stress_heading_line = in.expect_table_head(layout::stress_table, "stress");
  r.stress_first_line = in.number();
  while (!in.at_end() && !in.lines[in.next].empty()) {
    int line = in.number();
    auto tokens = tokens_of(in.take("a stress row"));
    if (tokens.size() != 2) in.failure(line, "a stress row needs a bar number and one value");
    int32_t bar = in.integer(tokens[0], line, "bar number");
    int32_t due = static_cast<int32_t>(r.stress.size()) + 1;
    if (bar != due)
      in.failure(line, "bar " + std::to_string(bar) + " where bar " + std::to_string(due) + " was due");
    r.stress.push_back(in.real(tokens[1], line, "stress"));
  }
  // The stress table is the end of the report; only empty lines may follow it.
  while (!in.at_end())
    if (!in.take("").empty()) in.failure(in.number() - 1, "text after the stress table");
}

}  // namespace

bool parse_report_real(const std::string& token, double& value) {
  // The report pads the texts of non-finite values with asterisks to the field's width.
  std::size_t stars = token.find('*');
  std::string_view head(token.data(), stars == std::string::npos ? token.size() : stars);
  if (stars != std::string::npos && token.find_first_not_of('*', stars) != std::string::npos) return false;
  if (head == "NaN") return value = std::numeric_limits<double>::quiet_NaN(), true;
  if (head == "+Inf") return value = std::numeric_limits<double>::infinity(), true;
  if (head == "-Inf") return value = -std::numeric_limits<double>::infinity(), true;
  if (stars != std::string::npos || head.empty()) return false;
  const char* first = head.data();
  if (*first == '+') ++first;  // from_chars takes no plus sign
  // from_chars would also take "inf" and "nan"; the report writes a digit first.
  const char* digit = *first == '-' ? first + 1 : first;
  if (digit == head.data() + head.size() || *digit < '0' || *digit > '9') return false;
  auto [end, ec] = std::from_chars(first, head.data() + head.size(), value);
  if (ec == std::errc::result_out_of_range) return false;
  return ec == std::errc() && end == head.data() + head.size();
}

double half_printed_unit(double value) {
  if (value == 0.0 || !std::isfinite(value)) return 0.0;
  // The exponent as the report writes it: %.6e rounds a 7-digit value back to itself.
  char text[32];
  std::snprintf(text, sizeof text, "%.6e", std::fabs(value));
  const int exponent = std::atoi(std::strchr(text, 'e') + 1);
  return 0.5 * std::pow(10.0, exponent - 6);
}

std::string read_whole_file(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) fail(name_error, "cannot open " + path + " (has kalvane run in this directory?)");
  std::ostringstream text;
  text << file.rdbuf();
  if (file.bad()) fail(device_error, "cannot read " + path);
  return std::move(text).str();
}

report read_report(const std::string& text, const std::string& name) {
  cursor in{split_lines(text), name};
  if (in.lines.empty()) in.failure(1, "the file is empty (did kalvane finish its run?)");
  report r;
  read_summary(in, r);
  read_displacements(in, r);
  read_reactions(in, r);
  read_stresses(in, r);
  // kalvane ends every line with a line feed: a last row without one was cut short as it
  // was written (a full disk), and its number may have lost digits of its exponent.
  if (text.back() != '\n' && !in.lines.back().empty())
    in.failure(static_cast<int>(in.lines.size()),
               "the last line has no line end, so it was cut short (is it a complete report from kalvane?)");
  return r;
}

report read_report_file(const std::string& path) { return read_report(read_whole_file(path), path); }

}  // namespace kalvane::view
