#include "model/number.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

using kalvane::number_scan;

namespace {

struct int_case {
  const char* text;
  bool ok;
  int32_t value;
  std::size_t end;  // characters consumed on success
};

struct real_case {
  const char* text;
  bool ok;
  double value;
  std::size_t end;
};

}  // namespace

TEST(Number, IntegerSyntax) {
  const int_case cases[] = {
      {"42", true, 42, 2},
      {"+7 ", true, 7, 2},
      {"-7", true, -7, 2},
      {"1_000", true, 1000, 5},
      {"16#FF#", true, 255, 6},
      {"16:ff:", true, 255, 6},
      {"2#1_0_1#", true, 5, 8},
      {"2E3", true, 2000, 3},
      {"2e+3", true, 2000, 4},
      {"2#1#E4", true, 16, 6},
      {"1_6#F#", true, 15, 6},
      {"12kN", true, 12, 2},
      {"3.0", true, 3, 1},
      {"2147483647", true, 2147483647, 10},
      {"-2147483648", true, -2147483647 - 1, 11},
      {"0E99999999999", true, 0, 13},
      {"2147483648", false, 0, 0},
      {"-2147483649", false, 0, 0},
      {"3E9", false, 0, 0},
      {"1_", false, 0, 0},
      {"1__0", false, 0, 0},
      {"2E ", false, 0, 0},
      {"2E-3", false, 0, 0},
      {"12eggs", false, 0, 0},
      {"16#FF", false, 0, 0},
      {"16#FF:", false, 0, 0},
      {"1#1#", false, 0, 0},
      {"17#1#", false, 0, 0},
      {"2#102#", false, 0, 0},
      {"16##", false, 0, 0},
      {"-", false, 0, 0},
      {",5", false, 0, 0},
      {".5", false, 0, 0},
      {"abc", false, 0, 0},
  };
  for (const int_case& c : cases) {
    int32_t value = -99;
    number_scan s = kalvane::scan_integer(c.text, std::strlen(c.text), 0, value);
    EXPECT_EQ(s.ok, c.ok) << c.text << ": " << s.problem;
    if (c.ok && s.ok) {
      EXPECT_EQ(value, c.value) << c.text;
      EXPECT_EQ(s.end, c.end) << c.text;
    }
  }
}

TEST(Number, RealSyntax) {
  const real_case cases[] = {
      {"3", true, 3.0, 1},
      {"3.", true, 3.0, 2},
      {"3.25", true, 3.25, 4},
      {".25", true, 0.25, 3},
      {"-.5", true, -0.5, 3},
      {"1.5E-3", true, 1.5e-3, 6},
      {"2e+05", true, 2e5, 5},
      {"1_000.000_1", true, 1000.0001, 11},
      {"2#1.1#", true, 1.5, 6},
      {"2#1.#", true, 1.0, 5},
      {"2#.1#", true, 0.5, 5},
      {"16#A.8#E1", true, 168.0, 9},
      {"1.5e1_0", true, 1.5e10, 7},
      {"3.e2", true, 300.0, 4},
      {"1.5.3", true, 1.5, 3},
      {"12kN", true, 12.0, 2},
      {"0.1", true, 0.1, 3},
      {"1E308", true, 1e308, 5},
      {"1E-400", true, 0.0, 6},
      {"1E309", false, 0, 0},
      {"1E400", false, 0, 0},
      {".", false, 0, 0},
      {"1.5E+", false, 0, 0},
      {"1._5", true, 1.0, 2},
      {"1_.5", false, 0, 0},
      {"2#.#", false, 0, 0},
      {"16#1.8", false, 0, 0},
      {"x", false, 0, 0},
  };
  for (const real_case& c : cases) {
    double value = -99.0;
    number_scan s = kalvane::scan_real(c.text, std::strlen(c.text), 0, value);
    EXPECT_EQ(s.ok, c.ok) << c.text << ": " << s.problem;
    if (c.ok && s.ok) {
      EXPECT_EQ(value, c.value) << c.text;
      EXPECT_EQ(s.end, c.end) << c.text;
    }
  }
}

TEST(Number, RealsAreScaledInExtendedPrecision) {
  // Digits gathered in long double, then one division by the exact power of ten.
  const char* texts[] = {"0.1", "2.862182617187500", "3364.68505859375e-3", "123456789012345678901234567890",
                         "1.7976931348623157E308", "4.9406564584124654E-324", "0.30000000000000004"};
  for (const char* text : texts) {
    double value = 0;
    ASSERT_TRUE(kalvane::scan_real(text, std::strlen(text), 0, value).ok) << text;
    // The reference: the same accumulation, written out.
    long double v = 0;
    long fraction = 0;
    bool after_point = false;
    long exponent = 0;
    const char* p = text;
    for (; *p && *p != 'e' && *p != 'E'; ++p) {
      if (*p == '.') {
        after_point = true;
        continue;
      }
      v = v * 10 + (*p - '0');
      if (after_point) ++fraction;
    }
    if (*p) exponent = std::strtol(p + 1, nullptr, 10);
    long scale = exponent - fraction;
    if (scale > 0) {
      while (scale > 22) v *= 1e22L, scale -= 22;
      for (long i = 0; i < scale; ++i) v *= 10;
    } else if (scale < 0) {
      scale = -scale;
      while (scale > 22) v /= 1e22L, scale -= 22;
      long double power = 1;
      for (long i = 0; i < scale; ++i) power *= 10;
      v /= power;
    }
    EXPECT_EQ(value, static_cast<double>(v)) << text;
  }
}

TEST(Number, SignIsKeptOnZeroAndRangeIsCheckedBeforeRounding) {
  double value = 1;
  ASSERT_TRUE(kalvane::scan_real("-0.0", 4, 0, value).ok);
  EXPECT_TRUE(std::signbit(value));
  // Above the largest double by less than half an ulp: rounds down, but the extended value
  // is out of range, so it is refused.
  const char* just_above = "1.7976931348623158e308";
  EXPECT_FALSE(kalvane::scan_real(just_above, std::strlen(just_above), 0, value).ok);
}

// Plain decimal numbers take a short path; with "E0" appended the same digits go through the
// full scanner. Both must give the same bits for every length of whole and fraction part.
TEST(Number, PlainDecimalsReadAsTheFullScannerReadsThem) {
  std::uint64_t state = 88172645463325252ULL;
  auto next = [&state] {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
  };
  for (int trial = 0; trial < 20000; ++trial) {
    std::string text = next() % 3 == 0 ? "-" : next() % 4 == 0 ? "+" : "";
    const int whole = 1 + static_cast<int>(next() % 12), fraction = static_cast<int>(next() % 22);
    for (int i = 0; i < whole; ++i) text += static_cast<char>('0' + next() % 10);
    const bool point = next() % 5 != 0;
    if (point) text += '.';
    for (int i = 0; point && i < fraction; ++i) text += static_cast<char>('0' + next() % 10);
    const std::string full = text + "E0 ";
    const std::string plain = text + " ";

    double a = 0, b = 0;
    const number_scan sa = kalvane::scan_real(plain.data(), plain.size(), 0, a);
    const number_scan sb = kalvane::scan_real(full.data(), full.size(), 0, b);
    ASSERT_TRUE(sa.ok && sb.ok) << text;
    EXPECT_EQ(sa.end, text.size()) << text;
    std::uint64_t bits_a, bits_b;
    std::memcpy(&bits_a, &a, 8);
    std::memcpy(&bits_b, &b, 8);
    ASSERT_EQ(bits_a, bits_b) << text;

    const std::string digits = text.substr(0, text.find('.'));
    const std::string int_plain = digits + " ", int_full = digits + "E0 ";
    int32_t i = 0, j = 0;
    const number_scan si = kalvane::scan_integer(int_plain.data(), int_plain.size(), 0, i);
    const number_scan sj = kalvane::scan_integer(int_full.data(), int_full.size(), 0, j);
    ASSERT_EQ(si.ok, sj.ok) << digits;
    if (si.ok) {
      EXPECT_EQ(i, j) << digits;
      EXPECT_EQ(si.end, digits.size()) << digits;
    }
  }
}
