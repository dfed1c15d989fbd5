// A companion's model: a model file, or an input.txt read by kalvane's own reader.
#include <cstring>

#include "model/input.hpp"
#include "structure/model_file.hpp"

namespace kalvane {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

const char* const byte_order_mark = "\xEF\xBB\xBF";

bool starts_with_mark(const std::string& text) { return text.compare(0, 3, byte_order_mark) == 0; }

// input.txt's title: the first line before its first marker line (a line that begins with
// ':') that holds anything but blanks, trimmed.
std::string input_title(const std::string& text) {
  std::size_t at = starts_with_mark(text) ? 3 : 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    if (text[at] == ':') break;
    std::size_t first = at, last = end;
    while (first < last && is_blank(text[first])) ++first;
    while (last > first && is_blank(text[last - 1])) --last;
    if (first < last) return text.substr(first, last - first);
    at = end + 1;
  }
  return "";
}

// The structure that is exactly kalvane's model of the input.txt `text`.
structure input_structure(const std::string& text, const std::string& name) {
  model m;
  input_text(m, text, name);
  structure s = structure_of(std::move(m));
  s.title = input_title(text);
  return s;
}

}  // namespace

bool is_model_file_text(const std::string& text) {
  std::size_t at = starts_with_mark(text) ? 3 : 0;
  while (at < text.size() && is_blank(text[at])) ++at;
  return at < text.size() && text[at] == '{';
}

structure read_structure(const std::string& path) { return read_structure_text(read_whole_text(path), path); }

structure read_structure_text(const std::string& text, const std::string& name) {
  if (is_model_file_text(text)) return read_model_text(text, name);
  return input_structure(text, name);
}

structure read_input_structure(const std::string& path) { return input_structure(read_whole_text(path), path); }

}  // namespace kalvane
