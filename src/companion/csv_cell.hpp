#pragma once
// The one writer of a user's text (a material name) into a CSV file a companion writes: a
// spreadsheet opening the file must show the text, never run it.
#include <string>

namespace kalvane::companion {

// `text` as a CSV cell: made printable (control characters and bytes that are not UTF-8
// become U+FFFD, a tab a blank); led by an apostrophe when it begins with = + - @ (or a tab
// or a carriage return), which a spreadsheet takes for the start of a formula; quoted, its
// quotes doubled, when it holds a comma or a quote. Numbers are written as they are, never
// through here.
std::string csv_text_cell(const std::string& text);

}  // namespace kalvane::companion
