#include "view/svg_write.hpp"

#include <charconv>
#include <cstdio>

namespace kalvane::view {

std::string escaped(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;  // HTML knows no &apos;: one form serves both
      default: out += c;
    }
  }
  return out;
}

void append_int(std::string& out, long long value) {
  char buffer[24];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, end);
}

void append_hex(std::string& out, rgb c) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "#%02x%02x%02x", c.red, c.green, c.blue);
  out += buffer;
}

std::string hex(rgb c) {
  std::string out;
  append_hex(out, c);
  return out;
}

std::string number_text(const char* format, double value) {
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

void append_text(std::string& out, long long x, long long y, int size, const std::string& text,
                 const std::string& attributes) {
  out += "<text x=\"";
  append_int(out, x);
  out += "\" y=\"";
  append_int(out, y);
  out += "\" font-size=\"";
  append_int(out, size);
  out += "\"" + attributes + ">" + escaped(text) + "</text>\n";
}

path_batch start_paths(std::string& out, std::string attributes) {
  path_batch batch;
  batch.out = &out;
  batch.attributes = std::move(attributes);
  return batch;
}

void add_piece(path_batch& batch, const std::string& piece) {
  if (batch.pieces == pieces_per_path) finish_paths(batch);
  batch.d += piece;
  ++batch.pieces;
}

void add_line(path_batch& batch, pixel from, pixel to) {
  if (batch.pieces == pieces_per_path) finish_paths(batch);
  std::string& d = batch.d;
  d += 'M';
  append_int(d, from.x);
  d += ' ';
  append_int(d, from.y);
  d += 'l';
  append_int(d, to.x - from.x);
  d += ' ';
  append_int(d, to.y - from.y);
  ++batch.pieces;
}

void finish_paths(path_batch& batch) {
  if (batch.pieces == 0) return;
  *batch.out += "<path" + batch.attributes + " d=\"" + batch.d + "\"/>\n";
  batch.d.clear();
  batch.pieces = 0;
}

}  // namespace kalvane::view
