// Reading CalculiX's printed results: the last block of each kind counts, values it could
// not compute come through as NaN, and a damaged row is an error naming its line.
#include <gtest/gtest.h>

#include <cmath>

#include "check/calculix_dat.hpp"
#include "error.hpp"

using kalvane::check::read_calculix_dat;

namespace {

const char* const two_increments =
    "\n"
    " displacements (vx,vy,vz) for set NALL and time  0.5000000E+00\n"
    "\n"
    "         1  0.000000E+00  0.000000E+00  0.000000E+00\n"
    "         2  2.500000E-03  0.000000E+00  0.000000E+00\n"
    "\n"
    " forces (fx,fy,fz) for set NSUPPORT and time  0.5000000E+00\n"
    "\n"
    "         1 -2.500000E-02  0.000000E+00  0.000000E+00\n"
    "\n"
    " displacements (vx,vy,vz) for set NALL and time  0.1000000E+01\n"
    "\n"
    "         1  0.000000E+00  0.000000E+00  0.000000E+00\n"
    "         2  5.000000E-03 -1.250000E-04           NaN\n"
    "\n"
    " forces (fx,fy,fz) for set OTHER and time  0.1000000E+01\n"
    "\n"
    "         7  9.000000E+00  9.000000E+00  9.000000E+00\n"
    "\n"
    " forces (fx,fy,fz) for set NSUPPORT and time  0.1000000E+01\n"
    "\n"
    "         1 -5.000000E-02  0.000000E+00  1.000000E+00\n";

}  // namespace

TEST(CalculixDat, TheLastIncrementOfEachKindIsKept) {
  const auto r = read_calculix_dat(two_increments, "model.dat");
  ASSERT_TRUE(r.displacement.present);
  ASSERT_TRUE(r.force.present);
  EXPECT_EQ(r.displacement.time, 1.0);
  EXPECT_EQ(r.force.time, 1.0);
  ASSERT_EQ(r.displacement.values.size(), 2u);
  EXPECT_EQ(r.displacement.values.at(2)[0], 5e-3);
  EXPECT_EQ(r.displacement.values.at(2)[1], -1.25e-4);
  EXPECT_TRUE(std::isnan(r.displacement.values.at(2)[2]));
  // Only the support set's forces, not another set's.
  ASSERT_EQ(r.force.values.size(), 1u);
  EXPECT_EQ(r.force.values.at(1)[0], -5e-2);
  EXPECT_EQ(r.force.values.at(1)[2], 1.0);

  const auto none = read_calculix_dat("", "model.dat");
  EXPECT_FALSE(none.displacement.present);
  EXPECT_FALSE(none.force.present);
}

TEST(CalculixDat, ADamagedRowNamesTheFileAndLine) {
  std::string text = two_increments;
  text.replace(text.find("         2  5.000000E-03"), 24, "         2  5.0000x0E-03");
  try {
    read_calculix_dat(text, "calculix/model.dat");
    FAIL() << "no error";
  } catch (const kalvane::error& e) {
    EXPECT_NE(std::string(e.what()).find("calculix/model.dat:14:"), std::string::npos) << e.what();
  }
}
