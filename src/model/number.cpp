#include "model/number.hpp"

#include <cfloat>
#include <cmath>

namespace kalvane {
namespace {

// Exponents and integer magnitudes are kept far inside their types: anything beyond
// these bounds is out of range long before it is used.
constexpr long exponent_cap = 100000000;
constexpr std::uint64_t magnitude_cap = 1ULL << 40;

int digit_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

// The parts of a number as written; digits are re-read from the text when the value is
// formed, so scanning allocates nothing.
struct raw_number {
  bool negative = false;
  int base = 10;
  std::size_t whole_begin = 0, whole_end = 0;        // digits before the point
  std::size_t fraction_begin = 0, fraction_end = 0;  // digits after it
  long exponent = 0;
};

struct scanner {
  const char* text;
  std::size_t size;
  std::size_t pos;
  number_scan result;

  int peek(std::size_t ahead = 0) const {
    return pos + ahead < size ? static_cast<unsigned char>(text[pos + ahead]) : -1;
  }
  bool is_digit(int c, int base) const { return c >= 0 && digit_value(static_cast<char>(c)) < base; }

  bool fail(const std::string& why) {
    result.ok = false;
    result.end = pos;
    result.problem = why;
    return false;
  }

  // One or more digits of `base`, a single underscore allowed between two of them.
  bool digits(int base, std::size_t& begin, std::size_t& end) {
    begin = pos;
    if (!is_digit(peek(), base)) return fail("expected a digit");
    ++pos;
    for (;;) {
      if (is_digit(peek(), base)) {
        ++pos;
      } else if (peek() == '_') {
        ++pos;
        if (!is_digit(peek(), base)) return fail("an underscore must stand between two digits");
        ++pos;
      } else {
        break;
      }
    }
    end = pos;
    return true;
  }

  bool exponent(bool allow_minus, long& value) {
    ++pos;  // E or e
    bool minus = false;
    if (peek() == '+') {
      ++pos;
    } else if (peek() == '-') {
      if (!allow_minus) return fail("an integer cannot have a negative exponent");
      minus = true;
      ++pos;
    }
    std::size_t begin, end;
    if (!is_digit(peek(), 10)) return fail("the exponent has no digits");
    if (!digits(10, begin, end)) return false;
    long e = 0;
    for (std::size_t i = begin; i < end; ++i)
      if (text[i] != '_' && e < exponent_cap) e = e * 10 + (text[i] - '0');
    value = minus ? -e : e;
    return true;
  }

  bool based_part(raw_number& n, bool real) {
    const char delimiter = static_cast<char>(peek());
    std::uint64_t base = 0;
    for (std::size_t i = n.whole_begin; i < n.whole_end; ++i)
      if (text[i] != '_' && base < magnitude_cap) base = base * 10 + static_cast<unsigned>(text[i] - '0');
    if (base < 2 || base > 16) return fail("the base " + std::to_string(base) + " is outside 2..16");
    n.base = static_cast<int>(base);
    ++pos;
    n.whole_begin = n.whole_end = n.fraction_begin = n.fraction_end = pos;
    bool any = false;
    if (is_digit(peek(), n.base)) {
      if (!digits(n.base, n.whole_begin, n.whole_end)) return false;
      any = true;
    }
    if (real && peek() == '.') {
      ++pos;
      n.fraction_begin = n.fraction_end = pos;
      if (is_digit(peek(), n.base)) {
        if (!digits(n.base, n.fraction_begin, n.fraction_end)) return false;
        any = true;
      }
    }
    if (peek() == delimiter && any) {
      ++pos;
      return true;
    }
    int c = peek();
    if (c >= 0 && digit_value(static_cast<char>(c)) < 16)
      return fail(std::string("'") + static_cast<char>(c) + "' is not a digit of base " + std::to_string(n.base));
    if (!any) return fail("a based number needs at least one digit");
    return fail(std::string("the based number is not closed by '") + delimiter + "'");
  }

  bool scan(raw_number& n, bool real) {
    if (peek() == '+' || peek() == '-') {
      n.negative = peek() == '-';
      ++pos;
    }
    if (real && peek() == '.') {
      // A point first needs a digit after it: .25
      ++pos;
      n.whole_begin = n.whole_end = pos;
      if (!is_digit(peek(), 10)) return fail("expected a digit after the point");
      if (!digits(10, n.fraction_begin, n.fraction_end)) return false;
    } else {
      if (!digits(10, n.whole_begin, n.whole_end)) return false;
      n.fraction_begin = n.fraction_end = pos;
      if (peek() == '#' || peek() == ':') {
        if (!based_part(n, real)) return false;
      } else if (real && peek() == '.') {
        ++pos;
        n.fraction_begin = n.fraction_end = pos;
        if (is_digit(peek(), 10) && !digits(10, n.fraction_begin, n.fraction_end)) return false;
      }
    }
    if (peek() == 'E' || peek() == 'e') return exponent(real, n.exponent);
    return true;
  }
};

std::uint64_t saturating_digits(const char* text, std::size_t begin, std::size_t end, int base) {
  std::uint64_t v = 0;
  for (std::size_t i = begin; i < end; ++i)
    if (text[i] != '_') v = std::min<std::uint64_t>(v * base + digit_value(text[i]), magnitude_cap);
  return v;
}

// The largest power of `base` (at most 22) that long double holds exactly.
int exact_power_limit(int base) {
  int odd = base;
  while (odd % 2 == 0) odd /= 2;
  int limit = 22;
  for (;;) {
    long double p = 1.0L;
    for (int i = 0; i < limit; ++i) p *= odd;
    if (p < 18446744073709551616.0L) return limit;
    --limit;
  }
}

long double exact_power(int base, int k) {
  long double p = 1.0L;
  for (int i = 0; i < k; ++i) p *= base;
  return p;
}

// exact_power_limit and exact_power(base, 0..limit) for every base, formed once: the powers
// are exact, so a table holds the very values the loops above give.
struct power_table {
  int limit[17] = {};
  long double power[17][23] = {};
  power_table() {
    for (int base = 2; base <= 16; ++base) {
      limit[base] = exact_power_limit(base);
      for (int k = 0; k <= limit[base]; ++k) power[base][k] = exact_power(base, k);
    }
  }
};

const power_table& powers() {
  static const power_table table;
  return table;
}

bool is_decimal(char c) { return c >= '0' && c <= '9'; }

number_scan complete(std::size_t end) {
  number_scan done;
  done.ok = true;
  done.end = end;
  return done;
}

// Characters after a run of decimal digits that make the number more than that run.
bool continues_number(char c) { return c == '_' || c == '#' || c == ':' || c == 'E' || c == 'e'; }

// The common forms, [sign] digits for an integer and [sign] digits [. [digits]] for a
// real, scanned in one step. Anything else (based forms, exponents, underscores, a leading
// point, long digit runs) is left to the full scanner: `false` means "not handled here".
bool scan_plain(const char* text, std::size_t size, std::size_t pos, bool real, std::size_t& whole_begin,
                std::size_t& whole_end, std::size_t& fraction_begin, std::size_t& fraction_end, bool& negative) {
  negative = false;
  if (pos < size && (text[pos] == '+' || text[pos] == '-')) {
    negative = text[pos] == '-';
    ++pos;
  }
  whole_begin = pos;
  while (pos < size && is_decimal(text[pos])) ++pos;
  whole_end = pos;
  if (whole_end == whole_begin || whole_end - whole_begin > 9) return false;
  fraction_begin = fraction_end = pos;
  if (real && pos < size && text[pos] == '.') {
    fraction_begin = ++pos;
    while (pos < size && is_decimal(text[pos])) ++pos;
    fraction_end = pos;
    if (fraction_end - fraction_begin > 18) return false;
  }
  return !(pos < size && continues_number(text[pos]));
}

}  // namespace

number_scan scan_integer(const char* text, std::size_t size, std::size_t pos, int32_t& value) {
  {
    std::size_t wb, we, fb, fe;
    bool negative;
    if (scan_plain(text, size, pos, false, wb, we, fb, fe, negative)) {
      long long magnitude = 0;  // at most nine digits: well inside 32 bits
      for (std::size_t i = wb; i < we; ++i) magnitude = magnitude * 10 + (text[i] - '0');
      value = static_cast<int32_t>(negative ? -magnitude : magnitude);
      return complete(we);
    }
  }
  scanner s{text, size, pos, {}};
  raw_number n;
  if (!s.scan(n, false)) return s.result;
  std::uint64_t magnitude = saturating_digits(text, n.whole_begin, n.whole_end, n.base);
  for (long e = 0; e < n.exponent && magnitude != 0 && magnitude < magnitude_cap; ++e)
    magnitude = std::min<std::uint64_t>(magnitude * n.base, magnitude_cap);
  const std::uint64_t limit = n.negative ? 2147483648ULL : 2147483647ULL;
  if (magnitude > limit) {
    s.result.end = s.pos;
    s.result.problem = "the integer is outside the 32-bit range";
    return s.result;
  }
  value = n.negative ? static_cast<int32_t>(-static_cast<long long>(magnitude)) : static_cast<int32_t>(magnitude);
  return complete(s.pos);
}

number_scan scan_real(const char* text, std::size_t size, std::size_t pos, double& value) {
  {
    std::size_t wb, we, fb, fe;
    bool negative;
    if (scan_plain(text, size, pos, true, wb, we, fb, fe, negative)) {
      // The same digit-by-digit accumulation and exact division as below, at base 10.
      long double v = 0.0L;
      for (std::size_t i = wb; i < we; ++i) v = v * 10 + (text[i] - '0');
      for (std::size_t i = fb; i < fe; ++i) v = v * 10 + (text[i] - '0');
      const long fraction_digits = static_cast<long>(fe - fb);
      if (fraction_digits > 0) v /= powers().power[10][fraction_digits];
      if (negative) v = -v;
      value = static_cast<double>(v);
      return complete(fe);
    }
  }
  scanner s{text, size, pos, {}};
  raw_number n;
  if (!s.scan(n, true)) return s.result;

  // Digits accumulate in extended precision, one at a time.
  long double v = 0.0L;
  long fraction_digits = 0;
  for (std::size_t i = n.whole_begin; i < n.whole_end; ++i)
    if (text[i] != '_') v = v * n.base + digit_value(text[i]);
  for (std::size_t i = n.fraction_begin; i < n.fraction_end; ++i)
    if (text[i] != '_') {
      v = v * n.base + digit_value(text[i]);
      ++fraction_digits;
    }

  // Then the power of the base: whole exact factors while more remain, then the rest;
  // multiply to scale up, divide by the exact power to scale down.
  long scale = n.exponent - fraction_digits;
  const int chunk = powers().limit[n.base];
  const long double chunk_power = powers().power[n.base][chunk];
  if (scale > 0) {
    while (scale > chunk && v != 0.0L && !std::isinf(v)) {
      v *= chunk_power;
      scale -= chunk;
    }
    if (scale <= chunk) v *= powers().power[n.base][scale];
  } else if (scale < 0) {
    scale = -scale;
    while (scale > chunk && v != 0.0L) {
      v /= chunk_power;
      scale -= chunk;
    }
    if (scale <= chunk) v /= powers().power[n.base][scale];
  }
  if (n.negative) v = -v;
  if (!(std::fabs(v) <= static_cast<long double>(DBL_MAX))) {
    s.result.end = s.pos;
    s.result.problem = "the real is outside the 64-bit range";
    return s.result;
  }
  value = static_cast<double>(v);
  return complete(s.pos);
}

}  // namespace kalvane
