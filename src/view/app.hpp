#pragma once
// The viewer's command line and its run: read input.txt and output.txt from one
// directory, write kalvane.svg and kalvane.vtu (with kalvane.pvd in kalvane-path's folder)
// next to them, or the page kalvane.html.
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
  svg_options picture;
};

// Throws kalvane::error with a message fit for the user on an unknown option or a bad value.
options parse_options(const std::vector<std::string>& args);

std::string usage_text();

// Reads, checks and writes; returns the paths of the files written. Throws kalvane::error.
std::vector<std::string> run_view(const options& o);

}  // namespace kalvane::view
