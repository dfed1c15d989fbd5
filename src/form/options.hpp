#pragma once
// kalvane-form's command line.
#include <string>
#include <vector>

namespace kalvane::form {

struct options {
  bool help = false;
  bool version = false;
  std::string dir = ".";  // where the model is
  std::string model;      // the model file or input.txt; empty: found in dir by its name
  std::string out;        // where the files go; empty: dir/form
  bool progress = false;  // the progress line on standard error (a terminal)
};

// Throws the usage error for an option it does not know or a value it cannot take.
options parse_options(const std::vector<std::string>& args);
std::string usage_text();

// The folder the files go to: --out, else form/ beside the model read (`input_name`).
std::string output_folder(const options& o, const std::string& input_name);

}  // namespace kalvane::form
