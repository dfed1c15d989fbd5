#include <gtest/gtest.h>

#include "test_view_fixture.hpp"
#include "view/load_path.hpp"

using namespace kalvane::view;

namespace {

const std::string header =
    "stage,load_factor,displacement node 3 Z,largest_displacement,total_potential,smallest_pivot,negative_pivots,kind\n";

report report_moving_node3_z(double z) {
  return read_report(view_test::report_text(4, -1.0, {{0, 0, 0}, {0, 0, 0}, {0.5, 0.25, z}}, {}, {1.0, 2.0}),
                     "output.txt");
}

}  // namespace

TEST(ViewLoadPath, TheWatchedComponentIsReadFromTheLabel) {
  load_path p;
  for (const auto& [label, node, component] : std::vector<std::tuple<std::string, int, int>>{
           {"displacement node 3 Z", 3, 3}, {"displacement node 12 X", 12, 1}, {"displacement node 1 Y", 1, 2}}) {
    p.displacement_label = label;
    const auto w = watched_of(p);
    ASSERT_TRUE(w) << label;
    EXPECT_EQ(w->node, node);
    EXPECT_EQ(w->component, component);
  }
  for (const char* label : {"displacement node 3 W", "displacement node Z", "displacement node 3 ZZ", "displacement node 3"}) {
    p.displacement_label = label;
    EXPECT_FALSE(watched_of(p)) << label;
  }
}

// After a snap-through the path passes the report's displacement on its unstable stretch
// too; the report holds a stable state, the later one of two alike.
TEST(ViewLoadPath, TheReportsPointIsTheNearestStableOne) {
  const load_path p = read_load_path(header +
                                         "2,0,0,0,0,1,0,regular\n"
                                         "2,0.8,-0.4,0.4,-1,0.1,0,limit\n"
                                         "2,0.3,-0.8,0.8,-1,-0.2,1,regular\n"
                                         "2,0.9,-1.5,1.5,-2,0.4,0,regular\n"
                                         "2,1,-1.5,1.5,-2,0.4,0,regular\n",
                                     "path.csv");
  EXPECT_EQ(point_of_report(p, report_moving_node3_z(-0.8), 0.0), 1u);
  EXPECT_EQ(point_of_report(p, report_moving_node3_z(-1.4), 0.0), 4u);
  EXPECT_EQ(point_of_report(p, report_moving_node3_z(0.0), 0.0), 0u);
  // A path of unstable points only still names one; a path of none, or a watched node the
  // report does not have, names none.
  const load_path unstable = read_load_path(header + "1,0.5,-2,2,0,-1,2,regular\n1,0.25,-3,3,0,-1,2,regular\n", "path.csv");
  EXPECT_EQ(point_of_report(unstable, report_moving_node3_z(-2.9), 0.0), 1u);
  EXPECT_FALSE(point_of_report(read_load_path(header, "path.csv"), report_moving_node3_z(0.0), 0.0));
  load_path elsewhere = p;
  elsewhere.displacement_label = "displacement node 4 Z";
  EXPECT_FALSE(point_of_report(elsewhere, report_moving_node3_z(0.0), 0.0));
}

// A form-found net raised together with its loads stays in its drawn shape: every point of
// its path moves by rounding only, and the watched displacement tells none from another.
// Its report is the full load's, the last point, not the one whose rounding happens to lie
// nearest (here load factor 0.03125), which would caption it short of full load.
TEST(ViewLoadPath, DisplacementsAtRoundingLevelAreAlikeAndTheReportIsTheLaterPoint) {
  const load_path p = read_load_path(header +
                                         "1,0,0,0,0,0,0,regular\n"
                                         "1,0.015625,-2.0007991937386546e-15,2.5e-15,7.1e-07,1.2e-06,0,regular\n"
                                         "1,0.03125,-1.791121787664451e-15,2.2e-15,2.8e-06,2.5e-06,0,regular\n"
                                         "1,0.34375,-1.3777695403896139e-15,1.8e-15,3.4e-04,2.7e-05,0,regular\n"
                                         "1,1,-2.083137367399992e-15,2.6e-15,2.9e-03,8.0e-05,0,regular\n",
                                     "path.csv");
  const report r = report_moving_node3_z(-1.770457e-15);
  EXPECT_EQ(point_of_report(p, r, 0.0), 2u);  // nearest to the last digit
  // A structure 8 long: displacements of 1e-15 are rounding.
  const double alike = 8.0 * 1e-10;
  ASSERT_EQ(point_of_report(p, r, alike), 4u);
  EXPECT_EQ(short_of_full_load(p, 4), "");
}
