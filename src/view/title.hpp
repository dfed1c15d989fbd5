#pragma once
// The model's title: the first line of input.txt's text before its first marker line, made
// printable for a picture or a page.
#include <cstddef>
#include <string>

namespace kalvane::view {

// The first line before the first marker line (a line that begins with ':') that holds
// anything but blanks, trimmed and made printable; empty when there is none. Throws
// kalvane::error when the file cannot be opened.
std::string read_title(const std::string& input_path);

// `raw` as valid UTF-8 without control characters: a tab becomes a blank, any other control
// character and every byte that is not part of a valid UTF-8 sequence becomes U+FFFD (the
// file's encoding is unknown, and a document that declares UTF-8 must hold only UTF-8).
// Longer than `max_characters` characters, it is cut there and ends in an ellipsis.
std::string printable(const std::string& raw, std::size_t max_characters = 120);

}  // namespace kalvane::view
