// The force density method against shapes derived by hand: the funicular polygon of a
// loaded cable, the discrete Laplace equation of a grid held at its edge, and tensegrity
// units, both determinate ones (found) and indeterminate ones (refused).
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "form/density.hpp"
#include "form/find.hpp"
#include "form_fixture.hpp"

namespace {

using namespace form_test;
using kalvane::form::find_form;
using kalvane::form::form_result;
using kalvane::form::shape_of;

void expect_near_point(const point& found, const point& wanted, double tolerance, const std::string& what) {
  for (int c = 0; c < 3; ++c) EXPECT_NEAR(found[c], wanted[c], tolerance) << what << ", component " << c;
}

// Vertical loads P at the interior nodes of a cable of density q: the horizontal pull q h
// is the same in every segment (h the segments' horizontal length), so the nodes stand
// equally spaced and each segment's slope rises by P / (q h) from the one before, since
// q (z_{i+1} - 2 z_i + z_{i-1}) = P: the heights are z_i = rise i / n - P i (n - i) / (2 q).
TEST(FormDensity, LoadedCableIsTheFunicularPolygon) {
  const int n = 6;
  const double span = 6.0, rise = 1.5, q = 2.0, P = 1.2;
  const form_result r = find_form(cable(n, span, rise, q, P));
  ASSERT_EQ(r.outcome, kalvane::form::form_outcome::found);
  EXPECT_EQ(r.iterations, 0);
  const double h = span / n;
  for (int i = 0; i <= n; ++i)
    expect_near_point(r.nodes[i], {i * h, 0.0, rise * i / n - P * i * (n - i) / (2 * q)}, 1e-13, "node " + std::to_string(i + 1));
  for (int i = 0; i < n; ++i) {
    // Slopes rise by P / (q h) from segment to segment; the horizontal pull is q h.
    const double slope = (r.nodes[i + 1][2] - r.nodes[i][2]) / h;
    EXPECT_NEAR(slope, rise / span - P / (q * h) * ((n - 1) / 2.0 - i), 1e-12);
    EXPECT_NEAR(r.force[i] * h / r.length[i], q * h, 1e-12);
    EXPECT_DOUBLE_EQ(r.force[i], r.density[i] * r.length[i]);
  }
  EXPECT_LT(r.largest_residual, 1e-13);
}

// Nodes held in X only keep their X wherever they are; the heights do not depend on X, so
// the polygon's heights are those of the cable above, and Y stays in the supports' plane.
TEST(FormDensity, NodesHeldInSomeComponentsKeepThemAndTheRestIsSolved) {
  const int n = 5;
  const double rise = -0.5, q = 3.0, P = 0.9;
  kalvane::form::problem p = cable(n, 5.0, rise, q, P);
  for (int i = 1; i < n; ++i) {
    p.nodes[i][0] = 0.2 * i * i;
    p.held[i] = {true, false, false};
  }
  kalvane::form::density_solver solver = kalvane::form::solver_for(p);
  ASSERT_EQ(solver.systems.size(), 2u);  // X apart; Y and Z share one factorisation
  const std::vector<point> x = shape_of(p);
  for (int i = 0; i <= n; ++i) {
    expect_near_point(x[i], {i == n ? 5.0 : 0.2 * i * i, 0.0, rise * i / n - P * i * (n - i) / (2 * q)}, 1e-13,
                      "node " + std::to_string(i + 1));
  }
  // The X components are out of balance (the holds take it); the free ones are not.
  EXPECT_LT(kalvane::form::largest_residual(p, p.density, x).largest, 1e-13);
}

// With equal densities each interior node stands at the mean of its four neighbours: the
// discrete Laplace equation. x^2 - y^2, xy and linear functions satisfy it exactly on a
// unit grid, so an edge taken from them gives the interior in closed form. The larger grid
// is factorised in nested dissection order.
TEST(FormDensity, GridInteriorSolvesTheDiscreteLaplaceEquation) {
  const auto harmonic = [](double x, double y) { return 0.03 * (x * x - y * y) + 0.02 * x * y - 0.2 * x + 1.0; };
  for (const int m : {11, 150}) {
    const kalvane::form::problem p = grid(m, 1.5, harmonic);
    const kalvane::form::density_solver solver = kalvane::form::solver_for(p);
    const std::size_t free = static_cast<std::size_t>(m - 2) * static_cast<std::size_t>(m - 2);
    EXPECT_EQ(solver.systems.front().factor.in_elimination_order, free >= kalvane::form::dissected_rows);
    const std::vector<point> x = shape_of(p);
    for (int j = 0; j < m; ++j)
      for (int i = 0; i < m; ++i)
        expect_near_point(x[j * m + i], {double(i), double(j), harmonic(i, j)}, 1e-12 * (1.0 + m * m),
                          "grid node " + std::to_string(i) + "," + std::to_string(j) + " of " + std::to_string(m));
  }
}

// Any other edge: the interior against Gauss-Seidel sweeps run to convergence.
TEST(FormDensity, GridInteriorAgreesWithGaussSeidel) {
  const auto edge = [](double x, double y) { return 2.0 * std::sin(x) * std::cos(0.5 * y) + (y == 0.0 ? 1.0 : 0.0); };
  const int m = 12;
  const kalvane::form::problem p = grid(m, 0.7, edge);
  const std::vector<point> x = shape_of(p);
  std::vector<double> z(m * m);
  for (int k = 0; k < m * m; ++k) z[k] = p.nodes[k][2];
  for (int sweep = 0; sweep < 20000; ++sweep) {
    double change = 0.0;
    for (int j = 1; j < m - 1; ++j)
      for (int i = 1; i < m - 1; ++i) {
        const double mean = (z[j * m + i - 1] + z[j * m + i + 1] + z[(j - 1) * m + i] + z[(j + 1) * m + i]) / 4;
        change = std::max(change, std::fabs(mean - z[j * m + i]));
        z[j * m + i] = mean;
      }
    if (change < 1e-16) break;
  }
  for (int k = 0; k < m * m; ++k) EXPECT_NEAR(x[k][2], z[k], 1e-12) << "node " << k + 1;
}

// The regular triangular prism. At a top node, equilibrium of the two ring cables (density
// q_r), the vertical cable (q_v) and the strut (q_s) gives, in Z, q_v = -q_s for any height,
// and in plan cos(twist) = q_s / (2 q_r), sin(twist) = -q_s / (2 sqrt(3) q_r): so
// q_s = -sqrt(3) q_r and the top turns by 150 degrees. Held at its bottom and at one top
// node, the other two top nodes are determined and stand where the prism puts them.
TEST(FormDensity, TensegrityPrismHeldAtFourNodesStandsAsDerived) {
  const double r3 = std::sqrt(3.0), twist = 5 * std::numbers::pi / 6, h = 1.3;
  kalvane::form::problem p = prism(1.0, r3, -r3, twist, h);
  for (int k = 0; k < 4; ++k) kalvane::form::hold(p, k);
  p.nodes[4] = {0.1, 0.2, 0.3};
  p.nodes[5] = {-0.4, 0.0, 2.0};
  const form_result r = find_form(p);
  for (int i = 0; i < 3; ++i) expect_near_point(r.nodes[3 + i], prism_node(i, true, twist, h), 1e-12, "top node");
  for (int b = 0; b < 12; ++b) EXPECT_EQ(r.force[b] < 0, b % 4 == 3) << "bar " << b + 1;  // only struts push
  EXPECT_LT(r.largest_residual, 1e-12);
}

// Held at its bottom only, the prism's top may turn, shift and rise as a whole with these
// densities: the shape is not unique, and the refusal says so and what is held.
TEST(FormDensity, TensegrityPrismHeldAtItsBottomOnlyIsRefusedAsIndeterminate) {
  const double r3 = std::sqrt(3.0);
  kalvane::form::problem p = prism(1.0, r3, -r3, 5 * std::numbers::pi / 6, 1.0);
  for (int k = 0; k < 3; ++k) kalvane::form::hold(p, k);
  std::string name;
  const std::string message = error_of([&] { shape_of(p); }, &name);
  EXPECT_EQ(name, kalvane::model_error);
  EXPECT_NE(message.find("undetermined"), std::string::npos) << message;
  EXPECT_NE(message.find("singular"), std::string::npos) << message;
  EXPECT_NE(message.find("held: nodes 1, 2, 3, each in every component"), std::string::npos) << message;
}

// The planar cross: a square of cables (q_c) with struts (q_s) on its diagonals, held at
// the ends of one strut (nodes 1 and 3, opposite corners), loads p and -p at the other two.
// Equilibrium of nodes 2 and 4 with x1 + x3 = 0 gives x4 = -x2 and 2 (q_c + q_s) x2 = p.
// q_s = -q_c leaves x2 undetermined (the square's self-stress is a mechanism here);
// other q_s make D regular, definite or not, and the shape unique.
kalvane::form::problem cross(double q_c, double q_s, point p2) {
  kalvane::form::problem p;
  for (point x : {point{1, 1, 0}, point{-1, 1, 0}, point{-1, -1, 0}, point{1, -1, 0}}) add_node(p, x);
  for (int i = 0; i < 4; ++i) add_bar(p, i, (i + 1) % 4, q_c);
  add_bar(p, 0, 2, q_s);
  add_bar(p, 1, 3, q_s);
  kalvane::form::hold(p, 0);
  kalvane::form::hold(p, 2);
  load(p, 1, p2);
  load(p, 3, {-p2[0], -p2[1], -p2[2]});
  return p;
}

// q_s = -3 q_c: D = q_c [[-1, 3], [3, -1]] per axis, eigenvalues 2 and -4.
TEST(FormDensity, PlanarCrossWithIndefiniteDensitiesSolvesAndCountsTheNegativePivot) {
  const double q_c = 1.0, q_s = -3.0;
  const point p2{-3.0, 3.0, 0.5};
  const form_result r = find_form(cross(q_c, q_s, p2));
  const double k = 1 / (2 * (q_c + q_s));
  expect_near_point(r.nodes[1], {k * p2[0], k * p2[1], k * p2[2]}, 1e-13, "node 2");
  expect_near_point(r.nodes[3], {-k * p2[0], -k * p2[1], -k * p2[2]}, 1e-13, "node 4");
  EXPECT_EQ(r.negative_pivots, 1);
  EXPECT_LT(r.largest_residual, 1e-13);
}

// q_s = -2 q_c: the densities at nodes 2 and 4 sum to zero, D = [[0, 2], [2, 0]] is regular
// but has no pivot to start an LDL^T with; the shape is still found.
TEST(FormDensity, PlanarCrossWithZeroDiagonalIsSolvedAllTheSame) {
  const point p2{-3.0, 3.0, 0.5};
  const form_result r = find_form(cross(1.0, -2.0, p2));
  expect_near_point(r.nodes[1], {-p2[0] / 2, -p2[1] / 2, -p2[2] / 2}, 1e-13, "node 2");
  expect_near_point(r.nodes[3], {p2[0] / 2, p2[1] / 2, p2[2] / 2}, 1e-13, "node 4");
  EXPECT_EQ(r.negative_pivots, -1);  // not counted by the QR that solved it
  EXPECT_LT(r.largest_residual, 1e-13);
}

TEST(FormDensity, PlanarCrossInItsMechanismIsRefused) {
  const std::string message = error_of([&] { shape_of(cross(1.0, -1.0, {0, 0, 0})); });
  EXPECT_NE(message.find("singular"), std::string::npos) << message;
  EXPECT_NE(message.find("held: nodes 1, 3, each in every component"), std::string::npos) << message;
}

}  // namespace
