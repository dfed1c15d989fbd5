// The loading path: the first step of a pretensioned net, whose unloaded shape holds
// nothing across its plane, and whose prescribed edge moves far; and of a saddle net,
// whose unloaded shape holds almost nothing across its surface.
#include <gtest/gtest.h>

#include <sstream>

#include "newton/path.hpp"
#include "newton_models.hpp"
#include "run.hpp"
#include "structures.hpp"
#include "support.hpp"

namespace {

using kalvane_test::scratch_folder;

using newton_models::prepared;
namespace nm = newton_models;

// The path reaches full load without halving a step, on a stable branch, and its end is an
// equilibrium of the whole model.
void expect_whole_steps_to_an_equilibrium_at_full_load(const kalvane::model& m) {
  kalvane::newton::stiffness_pattern pattern = kalvane::newton::pattern_of(m);
  kalvane::newton::factorisation f;
  const kalvane::newton::path_finding path = kalvane::newton::follow_path(nm::structured(m), pattern, f);
  EXPECT_TRUE(reached_full_load(path));
  EXPECT_EQ(path.halvings, 0);
  EXPECT_GT(path.smallest_pivot, 0.0);
  const kalvane::newton::state s = kalvane::newton::evaluate(nm::structured(m), path.x);
  for (std::size_t p = 0; p < s.gradient.size(); ++p)
    ASSERT_LE(std::fabs(s.gradient[p]), 16.0 * kalvane::newton::rounding_of(s.scale[p]) + 1e-12) << p;
}

// From the unloaded shape, Newton at the first load factor stretches only the bars that
// reach the edge, overshoots, and meets bars in compression next to it: each such first
// step was halved on a net this size. Started along the tangent, it is taken whole.
TEST(CheckPath, APretensionedNetTakesItsFirstStepWholeAndReachesFullLoad) {
  scratch_folder folder;
  structures::options o;
  o.bars = 20000;
  const kalvane::model m = prepared(folder, structures::generate(o));
  expect_whole_steps_to_an_equilibrium_at_full_load(m);
}

// A saddle (hyperbolic paraboloid) of bars along a grid, 8 by 6 nodes: the edge pulled
// outward and lifted in proportion to its place, two interior nodes loaded downward.
std::string saddle_net() {
  const int nx = 8, ny = 6;
  const double spacing = 0.6, rise = 0.1;
  auto node = [ny](int i, int j) { return i * ny + j + 1; };
  std::ostringstream nodes, bars, prescribed;
  nodes.precision(17);
  prescribed.precision(17);
  int bar_count = 0, prescribed_count = 0;
  for (int i = 0; i < nx; ++i)
    for (int j = 0; j < ny; ++j) {
      const double x = (i - (nx - 1) / 2.0) * spacing, y = (j - (ny - 1) / 2.0) * spacing;
      const double z = rise * (x * x - y * y);
      nodes << node(i, j) << "  " << x << "  " << y << "  " << z << "\n";
      if (i == 0 || i == nx - 1 || j == 0 || j == ny - 1) {
        prescribed << node(i, j) << " 1 " << 0.01 * x << "\n" << node(i, j) << " 2 " << 0.01 * y << "\n"
                   << node(i, j) << " 3 " << 0.03 * z << "\n";
        prescribed_count += 3;
      }
      if (j + 1 < ny) bars << ++bar_count << "  " << node(i, j) << "  " << node(i, j + 1) << "  0.0008\n";
    }
  for (int i = 0; i + 1 < nx; ++i)
    for (int j = 0; j < ny; ++j) bars << ++bar_count << "  " << node(i, j) << "  " << node(i + 1, j) << "  0.0008\n";
  return "saddle net\n: settings\n0.9  20  1e-06  0.0  50000  7\n: material\n1  20000000.0\n: nodes\n" +
         std::to_string(nx * ny) + "\nnode x y z\n" + nodes.str() + ": bars\n" + std::to_string(bar_count) +
         "\nbar node1 node2 area\n" + bars.str() + ": prescribed displacements\n" +
         std::to_string(prescribed_count) + "\nnode component value\n" + prescribed.str() +
         ": loads\n2\nnode component value\n" + std::to_string(node(2, 1)) + " 3 -50.0\n" +
         std::to_string(node(nx - 3, ny - 2)) + " 3 -50.0\n";
}

}  // namespace

// Unloaded and unstressed, the saddle's interior holds across its surface only through the
// small tilt of its bars, so the unloaded stiffness is not positive definite to rounding:
// a tangent from it points anywhere, and a first step along it could not start the path.
// The path starts from the unloaded shape instead and reaches full load.
TEST(CheckPath, ASaddleNetNearlySingularUnloadedStillReachesFullLoad) {
  scratch_folder folder;
  const kalvane::model m = prepared(folder, saddle_net());
  ASSERT_EQ(m.free_count, 3 * 6 * 4);
  expect_whole_steps_to_an_equilibrium_at_full_load(m);
}
