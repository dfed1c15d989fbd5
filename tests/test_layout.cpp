#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>

#include "output/layout.hpp"

using kalvane::integer_field;
using kalvane::real_field;
using kalvane::real_layout;

namespace {

constexpr real_layout r263{2, 6, 3};
constexpr real_layout r183{1, 8, 3};

TEST(Layout, IntegerFieldsAlignRightAndNeverCut) {
  EXPECT_EQ(integer_field(42, 5), "   42");
  EXPECT_EQ(integer_field(-7, 5), "   -7");
  EXPECT_EQ(integer_field(123456, 5), "123456");
  EXPECT_EQ(integer_field(42, 0), "42");
  EXPECT_EQ(integer_field(-7, 0), "-7");
  EXPECT_EQ(integer_field(0, 0), "0");
  EXPECT_EQ(integer_field(1, 13), "            1");
  EXPECT_EQ(integer_field(-2147483648, 5), "-2147483648");
  EXPECT_EQ(integer_field(2147483647, 13), "   2147483647");
}

TEST(Layout, ReportRealsOfTheReferenceTable) {
  EXPECT_EQ(real_field(0.0, r263), " 0.000000E+00");
  EXPECT_EQ(real_field(-0.0, r263), "-0.000000E+00");
  EXPECT_EQ(real_field(1234.5, r263), " 1.234500E+03");
  EXPECT_EQ(real_field(-0.00123, r263), "-1.230000E-03");
  EXPECT_EQ(real_field(0.5, r263), " 5.000000E-01");
  EXPECT_EQ(real_field(0.9999999, r263), " 9.999999E-01");
}

TEST(Layout, RoundingCarriesIntoTheExponentAndTiesGoAwayFromZero) {
  EXPECT_EQ(real_field(9.9999999, r263), " 1.000000E+01");
  EXPECT_EQ(real_field(0.99999999, r263), " 1.000000E+00");
  EXPECT_EQ(real_field(-0.99999999, r263), "-1.000000E+00");
  EXPECT_EQ(real_field(1234566.5, r263), " 1.234567E+06");
  EXPECT_EQ(real_field(-1234566.5, r263), "-1.234567E+06");
  EXPECT_EQ(real_field(1234567.5, r263), " 1.234568E+06");
  EXPECT_EQ(real_field(2.5, real_layout{2, 0, 3}), " 2.5E+00");  // aft 0 still writes one digit
  EXPECT_EQ(real_field(0.25, real_layout{2, 0, 3}), " 2.5E-01");
}

TEST(Layout, ExponentsBeyondTwoDigitsWidenTheField) {
  EXPECT_EQ(real_field(1e100, r263), " 1.000000E+100");
  EXPECT_EQ(real_field(std::numeric_limits<double>::denorm_min(), r263), " 4.940656E-324");
  EXPECT_EQ(real_field(std::numeric_limits<double>::min(), r263), " 2.225074E-308");
  EXPECT_EQ(real_field(std::numeric_limits<double>::max(), r263), " 1.797693E+308");
  EXPECT_EQ(real_field(-std::numeric_limits<double>::max(), r183), "-1.79769313E+308");
  EXPECT_EQ(real_field(1e23, r263), " 1.000000E+23");  // the double just below 10^23
  EXPECT_EQ(real_field(1e-23, r263), " 1.000000E-23");
  EXPECT_EQ(real_field(12.0, real_layout{2, 6, 1}), " 1.200000E+1");
  EXPECT_EQ(real_field(0.0, real_layout{2, 6, 1}), " 0.000000E+0");
  EXPECT_EQ(real_field(0.0, real_layout{2, 6, 5}), " 0.000000E+0000");
  EXPECT_EQ(real_field(12.0, real_layout{2, 6, 5}), " 1.200000E+0001");
}

TEST(Layout, PointRealsHaveNoLeadingBlank) {
  EXPECT_EQ(real_field(0.0, r183), "0.00000000E+00");
  EXPECT_EQ(real_field(-0.0, r183), "-0.00000000E+00");
  EXPECT_EQ(real_field(1.5, r183), "1.50000000E+00");
  EXPECT_EQ(real_field(-0.25, r183), "-2.50000000E-01");
  EXPECT_EQ(real_field(-0.25, real_layout{4, 2, 3}), "  -2.50E-01");
}

TEST(Layout, NotFiniteValuesFillTheNominalWidthWithAsterisks) {
  EXPECT_EQ(real_field(std::nan(""), r263), "NaN**********");
  EXPECT_EQ(real_field(-std::nan(""), r263), "NaN**********");
  EXPECT_EQ(real_field(HUGE_VAL, r263), "+Inf*********");
  EXPECT_EQ(real_field(-HUGE_VAL, r183), "-Inf**********");
  EXPECT_EQ(real_field(HUGE_VAL, real_layout{2, 6, 0}), "+Inf*****");
}

TEST(Layout, MoreThanEighteenDigitsAreWrittenAsZeros) {
  // The double nearest 1/3 is 0.333333333333333314829...; 18 digits round to ...315.
  EXPECT_EQ(real_field(1.0 / 3.0, real_layout{2, 20, 3}), " 3.33333333333333315000E-01");
  EXPECT_EQ(real_field(1.0 / 3.0, real_layout{2, 16, 3}), " 3.3333333333333331E-01");
}

TEST(Layout, FixedForm) {
  EXPECT_EQ(real_field(1234.5, real_layout{5, 2, 0}), " 1234.50");
  EXPECT_EQ(real_field(-1234.5678, real_layout{1, 2, 0}), "-1234.57");
  EXPECT_EQ(real_field(0.004, real_layout{3, 2, 0}), "  0.00");
  EXPECT_EQ(real_field(0.005, real_layout{3, 2, 0}), "  0.01");
  EXPECT_EQ(real_field(-0.25, real_layout{3, 3, 0}), " -0.250");
  EXPECT_EQ(real_field(-0.0, real_layout{3, 1, 0}), " -0.0");
  EXPECT_EQ(real_field(1e22, real_layout{1, 1, 0}), "10000000000000000000000.0");
}

// Seven significant digits are far inside long double precision, so for any value not
// within a hair of a tie they are those of the exactly rounded decimal.
TEST(Layout, AgreesWithExactRoundingAcrossTheWholeRange) {
  std::mt19937_64 random(20240611);
  int mismatches = 0;
  for (int i = 0; i < 200000; ++i) {
    double v;
    if (i % 2 == 0) {
      const std::uint64_t bits = random();
      std::memcpy(&v, &bits, sizeof v);
    } else {  // neighbours of powers of ten, where the exponent is easiest to get wrong
      v = std::pow(10.0, static_cast<int>(random() % 632) - 323);
      v = std::nextafter(v, (random() & 1) ? HUGE_VAL : 0.0);
    }
    if (!std::isfinite(v) || v == 0.0) continue;
    char exact[40];
    std::snprintf(exact, sizeof exact, "%s%.6E", std::signbit(v) ? "" : " ", v);
    if (real_field(v, r263) != exact && ++mismatches <= 5) ADD_FAILURE() << exact << " written as " << real_field(v, r263);
  }
  EXPECT_EQ(mismatches, 0);
}

}  // namespace
