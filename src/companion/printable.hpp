#pragma once
// A user's text (a title, a material name, a line of input.txt) made safe to show wherever a
// companion shows it: in a picture, a page, a table, a terminal.
#include <cstddef>
#include <string>

namespace kalvane::companion {

// `raw` as valid UTF-8 without control characters: a tab becomes a blank, any other control
// character and every byte that is not part of a valid UTF-8 sequence becomes U+FFFD (the
// file's encoding is unknown, and a document that declares UTF-8 must hold only UTF-8).
// Longer than `max_characters` characters, it is cut there and ends in an ellipsis.
std::string printable(const std::string& raw, std::size_t max_characters = 120);

// A message of several lines (a reader's refusal quoting the file) made printable line by
// line, whole, its line ends kept.
std::string printable_lines(const std::string& raw);

}  // namespace kalvane::companion
