#include "companion/printable.hpp"

namespace kalvane::companion {

namespace {

const char* const replacement = "\xEF\xBF\xBD";  // U+FFFD

// The length of the valid UTF-8 sequence at text[i], or 0 when none starts there
// (overlong forms, surrogates and code points above U+10FFFF are not valid).
std::size_t utf8_length(const std::string& text, std::size_t i) {
  const auto byte = [&](std::size_t j) { return static_cast<unsigned char>(text[j]); };
  const unsigned char lead = byte(i);
  std::size_t length = 0;
  unsigned long code = 0;
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) length = 2, code = lead & 0x1F;
  else if (lead >= 0xE0 && lead <= 0xEF) length = 3, code = lead & 0x0F;
  else if (lead >= 0xF0 && lead <= 0xF4) length = 4, code = lead & 0x07;
  else return 0;
  if (i + length > text.size()) return 0;
  for (std::size_t j = 1; j < length; ++j) {
    if ((byte(i + j) & 0xC0) != 0x80) return 0;
    code = code << 6 | (byte(i + j) & 0x3F);
  }
  const unsigned long least[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < least[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}

}  // namespace

std::string printable(const std::string& raw, std::size_t max_characters) {
  std::string out;
  std::size_t characters = 0;
  for (std::size_t i = 0; i < raw.size();) {
    if (characters == max_characters) {
      out += "\xE2\x80\xA6";  // U+2026, the ellipsis
      break;
    }
    const std::size_t length = utf8_length(raw, i);
    const auto c = static_cast<unsigned char>(raw[i]);
    if (c == '\t') out += ' ';
    else if (length == 0 || c < 0x20 || c == 0x7F) out += replacement;
    else if (length == 2 && c == 0xC2 && static_cast<unsigned char>(raw[i + 1]) < 0xA0) out += replacement;  // C1
    else out.append(raw, i, length);
    i += length == 0 ? 1 : length;
    ++characters;
  }
  return out;
}

std::string printable_lines(const std::string& raw) {
  std::string out;
  for (std::size_t start = 0;;) {
    const std::size_t end = raw.find('\n', start);
    out += printable(raw.substr(start, end - start), std::string::npos);
    if (end == std::string::npos) return out;
    out += '\n';
    start = end + 1;
  }
}

}  // namespace kalvane::companion
