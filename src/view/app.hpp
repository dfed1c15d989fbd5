#pragma once
// The viewer's command line and its run: read the model (model.json, else input.txt) and
// output.txt from one directory, write kalvane.svg and kalvane.vtu (with kalvane.pvd in
// kalvane-path's folder) next to them, or the page kalvane.html.
#include <optional>
#include <string>
#include <vector>

#include "view/svg.hpp"

namespace kalvane::view {

struct options {
  bool help = false;
  bool version = false;
  bool write_svg = true;
  bool write_vtk = true;  // kalvane.vtu, and kalvane.pvd in a path folder
  bool write_html = false;
  std::string dir = ".";
  std::string model;  // the model file or input.txt by name; "" finds it in `dir`
  std::optional<colour_by> colour;  // none: by force for a model file, by stress for input.txt
  svg_options picture;
};

struct view_run {
  std::string model;                 // the file the structure was read from
  std::vector<std::string> written;  // the files written
  std::vector<std::string> notes;    // what the user should know of what was written
};

// Throws kalvane::error with a message fit for the user on an unknown option or a bad value.
options parse_options(const std::vector<std::string>& args);

std::string usage_text();

// Reads, checks and writes; returns what it read and wrote. Throws kalvane::error.
view_run run_view(const options& o);

}  // namespace kalvane::view
