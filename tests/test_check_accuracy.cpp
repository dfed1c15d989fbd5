// "Certified" means the numbers are right: the digits each table of the report has right,
// and the gradient tolerance that would give the digits wanted when a table falls short.
#include <gtest/gtest.h>

#include "check/app.hpp"
#include "check_fixture.hpp"
#include "structures.hpp"

namespace {

using kalvane_test::scratch_folder;

kalvane::check::findings check_in_process(const scratch_folder& folder, int digits = 3) {
  kalvane::check::options o;
  o.dir = folder.path;
  o.no_path = true;
  o.digits = digits;
  return kalvane::check::run_check(o);
}

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace

// The generator's settings before they fitted the size: a tolerance of 1e-3 leaves no digit
// right in the displacements of a net. The check says so and estimates the tolerance that
// gives 3; a run at that tolerance is certified.
TEST(CheckAccuracy, ANetAtItsOldSettingsIsNotCertifiedAndAtTheEstimatedToleranceItIs) {
  structures::options net;
  net.bars = 200;
  net.tolerance = 1e-3;
  net.max_iterations = 1000;
  scratch_folder folder;
  ASSERT_EQ(check_test::solve(folder, structures::generate(net)), 0);
  const kalvane::check::findings f = check_in_process(folder);
  EXPECT_EQ(f.status, 2) << f.verdict;
  ASSERT_TRUE(f.accuracy.short_of);
  EXPECT_EQ(f.accuracy.table, "displacements");
  EXPECT_LT(f.accuracy.worst.digits, 3);
  EXPECT_EQ(f.accuracy.worst.digits, f.refinement.displacements.digits);
  EXPECT_GT(f.accuracy.worst.error, 1e-3);
  EXPECT_TRUE(f.accuracy.reachable);
  ASSERT_GT(f.accuracy.estimate, 0.0);
  EXPECT_LT(f.accuracy.estimate, 1e-3);
  const double estimate = f.accuracy.estimate;

  const auto r = check_test::check(folder, {"--no-path"});
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(has(r.out, "verdict: not certified: the run's gradient tolerance leaves the displacements right to " +
                             std::to_string(f.accuracy.worst.digits) + " digit"))
      << r.out;
  EXPECT_TRUE(has(r.out, " of the largest); a tolerance of about 1e-6 would give 3 digits, or kalvane-path gives the "
                         "exact equilibrium\n"))
      << r.out;
  const auto json = check_test::check(folder, {"--no-path", "--json"});
  EXPECT_TRUE(has(json.out, "\"accuracy\": {\"digits_wanted\": 3, \"short\": true, \"table\": \"displacements\", \"digits\": "))
      << json.out;
  EXPECT_TRUE(has(json.out, "\"gradient_tolerance\": 0.001, \"tolerance_estimate\": 9.9999999999999995e-07, "
                            "\"reachable\": true}"))
      << json.out;
  // --digits 0 leaves the digits untested; 1 digit is what the run has right in its reactions.
  EXPECT_EQ(check_in_process(folder, 0).status, 0);

  net.tolerance = estimate;
  scratch_folder again;
  ASSERT_EQ(check_test::solve(again, structures::generate(net)), 0);
  const kalvane::check::findings certified = check_in_process(again);
  EXPECT_EQ(certified.status, 0) << certified.verdict;
  EXPECT_GE(certified.refinement.displacements.digits, 3);
  EXPECT_GE(certified.refinement.reactions.digits, 3);
  EXPECT_GE(certified.refinement.stresses.digits, 3);
  // As the generator now writes it, the net is certified at once.
  net.tolerance.reset();
  net.max_iterations.reset();
  scratch_folder fitted;
  ASSERT_EQ(check_test::solve(fitted, structures::generate(net)), 0);
  EXPECT_EQ(check_in_process(fitted).status, 0);
}

// Digits count against the table's largest entry: a value near zero printed with all its
// own digits wrong is right to the digits of the largest that it differs by.
TEST(CheckAccuracy, DigitsAreCountedAgainstTheTablesLargestEntry) {
  using kalvane::check::digits_right;
  EXPECT_EQ(digits_right(1.234567, 1.234567, 1.234567), 7);
  EXPECT_EQ(digits_right(1.2346, 1.234567, 1.234567), 5);
  EXPECT_EQ(digits_right(1.2, 1.234567, 1.234567), 2);
  EXPECT_EQ(digits_right(1.1, 1.234567, 1.234567), 1);
  EXPECT_EQ(digits_right(2.0, 1.234567, 1.234567), 0);
  // 1e-5 off an entry of 2e-5, in a table whose largest is 3: right to 5 digits of 3.
  EXPECT_EQ(digits_right(3e-5, 2e-5, 3.0), 5);
  EXPECT_EQ(digits_right(NAN, 1.0, 1.0), 0);
}
