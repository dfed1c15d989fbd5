#pragma once
// The model's title: the first line of input.txt's text before its first marker line, made
// printable (companion::printable) for a picture or a page.
#include <string>

namespace kalvane::view {

// The first line before the first marker line (a line that begins with ':') that holds
// anything but blanks, trimmed and made printable; empty when there is none. Throws
// kalvane::error when the file cannot be opened.
std::string read_title(const std::string& input_path);

}  // namespace kalvane::view
