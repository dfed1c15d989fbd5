#include "output/layout.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace kalvane {
namespace {

// Rounding is done in long double (64 significant bits on this platform), where every power
// of ten up to 10^22 is exact; larger scalings go in exact steps of 10^22.
constexpr int largest_exact_power = 22;
constexpr int most_formed_digits = 18;  // 10^18 still fits an unsigned 64-bit integer

constexpr std::array<long double, largest_exact_power + 1> exact_powers = [] {
  std::array<long double, largest_exact_power + 1> p{};
  p[0] = 1.0L;
  for (int k = 1; k <= largest_exact_power; ++k) p[k] = p[k - 1] * 10.0L;
  return p;
}();

constexpr std::array<std::uint64_t, most_formed_digits + 1> integer_powers = [] {
  std::array<std::uint64_t, most_formed_digits + 1> p{};
  p[0] = 1;
  for (int k = 1; k <= most_formed_digits; ++k) p[k] = p[k - 1] * 10;
  return p;
}();

// m × 10^k. Scaling down divides by the exact power rather than multiplying by an inexact
// reciprocal, so each step rounds once.
long double scale_by_power_of_ten(long double m, int k) {
  if (k >= 0) {
    while (k > largest_exact_power) {
      m *= exact_powers[largest_exact_power];
      k -= largest_exact_power;
    }
    return m * exact_powers[k];
  }
  k = -k;
  while (k > largest_exact_power) {
    m /= exact_powers[largest_exact_power];
    k -= largest_exact_power;
  }
  return m / exact_powers[k];
}

struct rounded_value {
  std::uint64_t digits;  // exactly `count` decimal digits
  int exponent;          // power of ten of the first digit
};

// m (finite, > 0) rounded to `count` significant digits (1..18), ties away from zero.
rounded_value round_significant(long double m, int count) {
  const int top = count - 1;  // the scaled value belongs in [10^top, 10^count)
  const long double low = exact_powers[top], high = exact_powers[count];
  int x = static_cast<int>(std::floor(std::log10(static_cast<double>(m))));
  long double s = scale_by_power_of_ten(m, top - x);
  // The estimate can miss by one near a power of ten. When the rounding of the scaling
  // itself straddles the boundary, keep the value at or above 10^count: the carry below
  // then turns it into 10^top with the higher exponent, which is the right answer.
  for (;;) {
    if (s >= high) {
      const long double t = scale_by_power_of_ten(m, top - (x + 1));
      if (t < low) break;
      ++x;
      s = t;
    } else if (s < low) {
      const long double t = scale_by_power_of_ten(m, top - (x - 1));
      --x;
      s = t;
      if (t >= high) break;
    } else {
      break;
    }
  }
  std::uint64_t n = static_cast<std::uint64_t>(s + 0.5L);
  if (n >= integer_powers[count]) {
    n /= 10;
    ++x;
  }
  return {n, x};
}

// Writes the `count` decimal digits of n (with leading zeros) into out[0 .. count-1].
void fill_digits(char* out, std::uint64_t n, int count) {
  for (int i = count - 1; i >= 0; --i) {
    out[i] = static_cast<char>('0' + n % 10);
    n /= 10;
  }
}

int digit_count(std::uint64_t n) {
  int count = 1;
  while (n >= 10) {
    n /= 10;
    ++count;
  }
  return count;
}

char* put_repeated(char* out, char c, long long count) {
  for (long long i = 0; i < count; ++i) *out++ = c;
  return out;
}

// n blanks for a non-negative value; n - 1 blanks and "-" for a negative one.
char* put_lead(char* out, int n, bool negative) {
  if (!negative) return put_repeated(out, ' ', n);
  out = put_repeated(out, ' ', n - 1);
  *out++ = '-';
  return out;
}

char* put_exponent(char* out, int x, int exp) {
  *out++ = 'E';
  *out++ = x < 0 ? '-' : '+';
  const std::uint64_t magnitude = static_cast<std::uint64_t>(x < 0 ? -static_cast<long long>(x) : x);
  const int count = std::max(digit_count(magnitude), exp - 1);
  fill_digits(out, magnitude, count);
  return out + count;
}

char* put_not_finite(char* out, double value, real_layout layout) {
  const char* text = std::isnan(value) ? "NaN" : value > 0 ? "+Inf" : "-Inf";
  const long long length = static_cast<long long>(std::strlen(text));
  std::memcpy(out, text, static_cast<std::size_t>(length));
  out += length;
  long long stars = static_cast<long long>(layout.fore) + 1 + layout.aft - length;
  if (layout.exp > 0) stars += layout.exp + 1;
  return put_repeated(out, '*', stars);
}

char* put_zero(char* out, bool negative, real_layout layout, int after) {
  out = put_lead(out, layout.fore - 1, negative);
  *out++ = '0';
  *out++ = '.';
  out = put_repeated(out, '0', after);
  if (layout.exp > 0) {
    *out++ = 'E';
    *out++ = '+';
    out = put_repeated(out, '0', std::max(layout.exp - 1, 1));
  }
  return out;
}

char* put_exponent_form(char* out, long double m, bool negative, real_layout layout, int after) {
  const int formed = std::min(after + 1, most_formed_digits);
  const rounded_value r = round_significant(m, formed);
  char digits[most_formed_digits];
  fill_digits(digits, r.digits, formed);
  out = put_lead(out, layout.fore - 1, negative);
  *out++ = digits[0];
  *out++ = '.';
  std::memcpy(out, digits + 1, static_cast<std::size_t>(formed - 1));
  out += formed - 1;
  out = put_repeated(out, '0', after + 1 - formed);
  return put_exponent(out, r.exponent, layout.exp);
}

// The digits of m × 10^after rounded to an integer; the last `after` go behind the point.
char* put_fixed_form(char* out, long double m, bool negative, real_layout layout, int after) {
  char significant[most_formed_digits + 1];
  int significant_count;
  long long trailing_zeros = 0;
  const long double scaled = scale_by_power_of_ten(m, after) + 0.5L;
  if (scaled < exact_powers[most_formed_digits]) {
    const std::uint64_t n = static_cast<std::uint64_t>(scaled);
    significant_count = digit_count(n);
    fill_digits(significant, n, significant_count);
  } else {
    // Too many digits for one integer: form the first 18 and write the rest as zeros.
    const rounded_value r = round_significant(m, most_formed_digits);
    fill_digits(significant, r.digits, most_formed_digits);
    const long long total = static_cast<long long>(r.exponent) + after + 1;
    significant_count = static_cast<int>(std::min<long long>(total, most_formed_digits));
    trailing_zeros = total - significant_count;
  }
  const long long length = significant_count + trailing_zeros;
  const long long leading_zeros = std::max<long long>(after + 1 - length, 0);
  const long long before_point = leading_zeros + length - after;

  out = put_lead(out, static_cast<int>(std::max<long long>(layout.fore - before_point, -1)), negative);
  long long position = 0;  // in the digit sequence, leading zeros included
  auto digit_at = [&](long long p) {
    if (p < leading_zeros) return '0';
    p -= leading_zeros;
    return p < significant_count ? significant[p] : '0';
  };
  for (; position < before_point; ++position) *out++ = digit_at(position);
  *out++ = '.';
  for (; position < before_point + after; ++position) *out++ = digit_at(position);
  return out;
}

}  // namespace

std::size_t integer_field_limit(int width) {
  return static_cast<std::size_t>(std::max(width, 11));  // "-2147483648" is 11 characters
}

std::size_t real_field_limit(real_layout layout) {
  // The fixed form of the largest double has 309 digits before the point.
  return static_cast<std::size_t>(std::max(layout.fore, 1)) + std::max(layout.aft, 1) +
         std::max(layout.exp, 0) + 340;
}

char* put_integer_field(char* out, int32_t value, int width) {
  const bool negative = value < 0;
  const std::uint32_t magnitude = negative ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
  const int digits = digit_count(magnitude);
  const int length = digits + (negative ? 1 : 0);
  out = put_repeated(out, ' ', width - length);
  if (negative) *out++ = '-';
  fill_digits(out, magnitude, digits);
  return out + digits;
}

char* put_real_field(char* out, double value, real_layout layout) {
  if (!std::isfinite(value)) return put_not_finite(out, value, layout);
  const int after = std::max(layout.aft, 1);
  const bool negative = std::signbit(value);
  if (value == 0.0) return put_zero(out, negative, layout, after);
  const long double m = std::fabs(static_cast<long double>(value));
  if (layout.exp > 0) return put_exponent_form(out, m, negative, layout, after);
  return put_fixed_form(out, m, negative, layout, after);
}

std::string integer_field(int32_t value, int width) {
  std::string text(integer_field_limit(width), '\0');
  text.resize(static_cast<std::size_t>(put_integer_field(text.data(), value, width) - text.data()));
  return text;
}

std::string real_field(double value, real_layout layout) {
  std::string text(real_field_limit(layout), '\0');
  text.resize(static_cast<std::size_t>(put_real_field(text.data(), value, layout) - text.data()));
  return text;
}

}  // namespace kalvane
