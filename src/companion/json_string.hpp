#pragma once
// A user's text (a title, a material name, a line of input.txt quoted in a warning) as a
// JSON string, for every JSON text a companion writes.
#include <string>

namespace kalvane::companion {

// `text` quoted and escaped as JSON escapes it (control characters as \n, \u0001, ...), each
// byte that is not part of valid UTF-8 as U+FFFD: JSON text is UTF-8, and a file's text
// need not be (an input.txt in Latin-1).
std::string json_string(const std::string& text);

}  // namespace kalvane::companion
