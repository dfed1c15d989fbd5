// form.csv: one row per bar, reals that read back to the same double, the rest length blank
// until the materials give it.
#include <gtest/gtest.h>

#include <charconv>

#include "form/find.hpp"
#include "form/form_csv.hpp"
#include "form_fixture.hpp"
#include "support.hpp"

namespace {

using namespace form_test;

double read_back(const std::string& text) {
  double value = NAN;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  EXPECT_EQ(end, text.data() + text.size()) << text;
  return value;
}

std::vector<std::string> fields(const std::string& line) {
  std::vector<std::string> out(1);
  for (char c : line) {
    if (c == ',') out.emplace_back();
    else out.back().push_back(c);
  }
  return out;
}

TEST(FormCsv, RowsHoldEachBarsValuesExactly) {
  const problem p = cable(3, 3.0, 0.4, 0.1, 1.0 / 3.0);
  const kalvane::form::form_result r = kalvane::form::find_form(p);
  const std::vector<std::string> lines = kalvane_test::lines_of(kalvane::form::form_csv(p, r));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "bar,node1,node2,density,force,length,rest_length");
  for (std::size_t b = 0; b < 3; ++b) {
    const std::vector<std::string> f = fields(lines[b + 1]);
    ASSERT_EQ(f.size(), 7u) << lines[b + 1];
    EXPECT_EQ(f[0], std::to_string(b + 1));
    EXPECT_EQ(f[1], std::to_string(b + 1));
    EXPECT_EQ(f[2], std::to_string(b + 2));
    EXPECT_EQ(f[3], "0.1");  // the shortest text of the density, not 0.1000000000000000055
    EXPECT_EQ(read_back(f[4]), r.force[b]);
    EXPECT_EQ(read_back(f[5]), r.length[b]);
    EXPECT_EQ(f[6], "");
  }
  const std::string with_rest = kalvane::form::form_csv(p, r, {1.5, 2.25, 1e-300});
  EXPECT_EQ(fields(kalvane_test::lines_of(with_rest)[3])[6], "1e-300");
}

}  // namespace
