#pragma once
// The pieces of SVG text the picture is written with: escaped text, numbers, colours, and
// many lines batched into a few path elements.
#include <string>

namespace kalvane::view {

struct rgb {
  int red = 0, green = 0, blue = 0;
  bool operator==(const rgb&) const = default;
};

// A point of the picture, in the whole tenths of a pixel the file is written in.
struct pixel {
  long long x = 0, y = 0;
};

// `text` with &, <, >, " and ' as entities: safe in element text and in attribute values.
std::string escaped(const std::string& text);

void append_int(std::string& out, long long value);
void append_hex(std::string& out, rgb c);
std::string hex(rgb c);
// printf-style formatting of one number.
std::string number_text(const char* format, double value);

// <text x=.. y=.. font-size=..>escaped text</text>; `attributes` goes into the tag as it is.
void append_text(std::string& out, long long x, long long y, int size, const std::string& text,
                 const std::string& attributes = "");

// Many lines written as few <path> elements: a viewer's cost and limits go with the number
// of elements, and a path of a few thousand subpaths stays small for its parser.
inline constexpr int pieces_per_path = 4096;

struct path_batch {
  std::string* out = nullptr;
  std::string attributes;  // in every <path> tag, e.g. " stroke=\"#2166ac\""
  std::string d;
  int pieces = 0;
};

path_batch start_paths(std::string& out, std::string attributes = "");
// One straight line, "Mx yl dx dy".
void add_line(path_batch& batch, pixel from, pixel to);
// Any subpath data, counted as one piece.
void add_piece(path_batch& batch, const std::string& piece);
// Writes what is held; call once at the end.
void finish_paths(path_batch& batch);

}  // namespace kalvane::view
