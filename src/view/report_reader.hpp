#pragma once
// Reads back the results report (output.txt) that kalvane wrote: the summary frame, the
// displacement table, the reaction table and the stress table.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kalvane::view {

struct reaction_entry {
  int32_t node = 0;
  int component = 0;  // 1 = X, 2 = Y, 3 = Z
  double value = 0.0;
  int line = 0;       // line of output.txt that holds it
};

struct report {
  int32_t iterations = 0;
  double objective = 0.0;
  double allowable_gradient = 0.0;
  // Node k's displacement is displacement[k - 1]; its row is line displacement_first_line + k - 1.
  std::vector<std::array<double, 3>> displacement;
  int displacement_heading_line = 0;
  int displacement_first_line = 0;
  std::vector<reaction_entry> reactions;
  // Bar e's stress is stress[e - 1]; its row is line stress_first_line + e - 1.
  std::vector<double> stress;
  int stress_heading_line = 0;
  int stress_first_line = 0;
};

// Parses the report held in `text`; `name` is the file name used in error messages, which
// all have the form "name:line: what is wrong". Throws kalvane::error.
report read_report(const std::string& text, const std::string& name);

// Reads the whole file at `path` and parses it; a file that cannot be opened is an error.
report read_report_file(const std::string& path);

// Reads a whole file into memory; throws kalvane::error naming `path` when it cannot.
std::string read_whole_file(const std::string& path);

// Half a unit in the last digit of `value` as the report prints it (7 significant digits;
// CalculiX's model.dat prints as many).
double half_printed_unit(double value);

// One number as the report writes it: ordinary E-form, or "NaN", "+Inf", "-Inf" padded with
// asterisks. Returns false when `token` is none of these.
bool parse_report_real(const std::string& token, double& value);

}  // namespace kalvane::view
