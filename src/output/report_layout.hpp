#pragma once
// The layout of output.txt, described once: the report writer lays its lines out from
// these facts and kalvane-view's reader checks and splits the lines by the same ones.
//
// The file: the summary frame, then the displacement, reaction and stress tables, each
// table after `blank_lines_between` empty lines. A table is a rule, its heading, a rule,
// `blank_lines_after_head` empty lines and its rows: every node, the nodes with a listed
// reaction, every bar. The stress table ends the file.
#include <string_view>

#include "output/layout.hpp"

namespace kalvane::report_layout {

// Every real of the report (13 characters while its exponent has two digits).
inline constexpr real_layout value = report_real;
inline constexpr int value_width = value.fore + 1 + value.aft + 1 + value.exp;

// The summary frame: a rule, three lines of label and value, a rule.
inline constexpr int frame_rule = 63;
inline constexpr std::string_view iterations_label = "| Minor Iterations                            | ";
inline constexpr std::string_view objective_label = "| Objective                                   | ";
inline constexpr std::string_view gradient_label = "| Allowable Maximum Gradient                  | ";
inline constexpr int iterations_width = 13;   // the integer field of the iteration count
inline constexpr std::string_view frame_end = " |";  // after every value of the frame

// The label's title without the frame's bars and padding, e.g. "Minor Iterations".
constexpr std::string_view title_of(std::string_view label) {
  label.remove_prefix(2);
  return label.substr(0, label.find_last_not_of(" |") + 1);
}

// Empty lines after the summary and after each table but the last.
inline constexpr int blank_lines_between = 2;

struct table_head {
  int rule;                    // the rules above and below the heading
  std::string_view heading;    // its titles end in the last column of the values below
  int blank_lines_after_head;  // between the lower rule and the first row
};

inline constexpr table_head displacement_table{
    59, " Node           Displ X           Displ Y           Displ Z", 1};
inline constexpr table_head reaction_table{
    59, " Node           Force X           Force Y           Force Z", 0};
inline constexpr table_head stress_table{23, " Elem            Stress", 0};

// A row: the node (bar) number as an integer field, then for each value `gap` blanks and
// the value. An unreported reaction leaves `column_width` blanks so that the next value
// keeps its column; a reaction row ends after its last reported value.
inline constexpr int number_width = 5;
inline constexpr int gap = 5;
inline constexpr int column_width = gap + value_width;

// The first column (counted from 1) of value c (1, 2, 3) in a row whose numbers fit their fields.
constexpr int value_column(int c) { return number_width + gap + 1 + (c - 1) * column_width; }

static_assert(value_column(3) + value_width - 1 == static_cast<int>(displacement_table.heading.size()));
static_assert(value_column(3) + value_width - 1 == static_cast<int>(reaction_table.heading.size()));
static_assert(value_column(1) + value_width - 1 == static_cast<int>(stress_table.heading.size()));
static_assert(static_cast<int>(iterations_label.size() + frame_end.size()) + value_width == frame_rule);

}  // namespace kalvane::report_layout
