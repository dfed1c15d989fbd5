// The loading path: the first step of a pretensioned net, whose unloaded shape holds
// nothing across its plane, and whose prescribed edge moves far.
#include <gtest/gtest.h>

#include "check/path.hpp"
#include "run.hpp"
#include "structures.hpp"
#include "support.hpp"

namespace {

using kalvane_test::scratch_folder;

kalvane::model prepared(const scratch_folder& folder, const std::string& input) {
  kalvane_test::write_file(folder / "input.txt", input);
  kalvane::model m;
  kalvane::run_plan plan;
  plan.last = kalvane::stage::start;
  plan.folder = folder.path;
  kalvane::run(m, plan);
  return m;
}

// From the unloaded shape, Newton at the first load factor stretches only the bars that
// reach the edge, overshoots, and meets bars in compression next to it: each such first
// step was halved on a net this size. Started along the tangent, it is taken whole.
TEST(CheckPath, APretensionedNetTakesItsFirstStepWholeAndReachesFullLoad) {
  scratch_folder folder;
  structures::options o;
  o.bars = 20000;
  const kalvane::model m = prepared(folder, structures::generate(o));
  kalvane::check::stiffness_pattern pattern = kalvane::check::pattern_of(m);
  kalvane::check::factorisation f;
  const kalvane::check::path_finding path = kalvane::check::follow_path(m, pattern, f);
  EXPECT_TRUE(path.reached_full_load);
  EXPECT_EQ(path.halvings, 0);
  EXPECT_GT(path.smallest_pivot, 0.0);
  // At full load the path's end is an equilibrium of the whole model.
  const kalvane::check::state s = kalvane::check::evaluate(m, path.x);
  for (std::size_t p = 0; p < s.gradient.size(); ++p)
    ASSERT_LE(std::fabs(s.gradient[p]), 16.0 * kalvane::check::rounding_of(s.scale[p]) + 1e-12) << p;
}

}  // namespace
