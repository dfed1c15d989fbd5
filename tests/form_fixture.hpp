#pragma once
// Small form-finding problems the form tests share: a cable between two supports, a square
// grid held at its edge, the planar cross and the triangular prism of tensegrity.
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "error.hpp"
#include "form/problem.hpp"

namespace form_test {

using kalvane::form::point;
using kalvane::form::problem;

inline int32_t add_node(problem& p, point x) {
  p.nodes.push_back(x);
  if (!p.held.empty()) p.held.push_back({false, false, false});
  if (!p.loads.empty()) p.loads.push_back({0, 0, 0});
  return static_cast<int32_t>(p.nodes.size() - 1);
}

inline void add_bar(problem& p, int32_t a, int32_t b, double q) {
  p.bars.push_back({a, b});
  p.density.push_back(q);
}

inline void load(problem& p, int32_t node, point f) {
  if (p.loads.empty()) p.loads.assign(p.nodes.size(), {0, 0, 0});
  p.loads[static_cast<std::size_t>(node)] = f;
}

// n segments from (0, 0, 0) to (span, 0, rise), both ends held, interior nodes guessed
// anywhere (the force density method needs no first guess) and loaded by (0, 0, -P).
inline problem cable(int n, double span, double rise, double q, double P) {
  problem p;
  for (int i = 0; i <= n; ++i) add_node(p, {0.37 * i * i, std::sin(i * 1.0), std::cos(i * 2.0)});
  p.nodes.front() = {0, 0, 0};
  p.nodes.back() = {span, 0, rise};
  kalvane::form::hold(p, 0);
  kalvane::form::hold(p, n);
  for (int i = 0; i < n; ++i) add_bar(p, i, i + 1, q);
  for (int i = 1; i < n; ++i) load(p, i, {0, 0, -P});
  return p;
}

// An m x m grid of nodes one unit apart in X and Y, bars along both directions, the edge
// held at heights edge(x, y) and the interior guessed at zero.
template <class Height>
problem grid(int m, double q, Height edge) {
  problem p;
  for (int j = 0; j < m; ++j)
    for (int i = 0; i < m; ++i) {
      const bool boundary = i == 0 || j == 0 || i == m - 1 || j == m - 1;
      add_node(p, {double(i), double(j), boundary ? edge(double(i), double(j)) : 0.0});
    }
  for (int j = 0; j < m; ++j)
    for (int i = 0; i < m; ++i) {
      if (i + 1 < m) add_bar(p, j * m + i, j * m + i + 1, q);
      if (j + 1 < m) add_bar(p, j * m + i, (j + 1) * m + i, q);
      if (i == 0 || j == 0 || i == m - 1 || j == m - 1) kalvane::form::hold(p, j * m + i);
    }
  return p;
}

// The regular triangular prism of three struts and nine cables: bottom nodes 1-3 at
// radius 1 in z = 0, top nodes 4-6 at radius 1 in z = h turned by `twist` about Z. Strut
// i joins bottom i to top i, the vertical cable joins bottom i + 1 to top i.
inline point prism_node(int i, bool top, double twist, double h) {
  const double a = 2 * std::numbers::pi * i / 3 + (top ? twist : 0.0);
  return {std::cos(a), std::sin(a), top ? h : 0.0};
}

inline problem prism(double q_ring, double q_vertical, double q_strut, double twist, double h) {
  problem p;
  for (int i = 0; i < 3; ++i) add_node(p, prism_node(i, false, twist, h));
  for (int i = 0; i < 3; ++i) add_node(p, prism_node(i, true, twist, h));
  for (int i = 0; i < 3; ++i) {
    add_bar(p, i, (i + 1) % 3, q_ring);          // bottom ring
    add_bar(p, 3 + i, 3 + (i + 1) % 3, q_ring);  // top ring
    add_bar(p, (i + 1) % 3, 3 + i, q_vertical);
    add_bar(p, i, 3 + i, q_strut);
  }
  return p;
}

// The message of the kalvane::error that `f` throws, with its name; "" when none is thrown.
template <class F>
std::string error_of(F f, std::string* name = nullptr) {
  try {
    f();
  } catch (const kalvane::error& e) {
    if (name) *name = e.name;
    return e.what();
  }
  return "";
}

}  // namespace form_test
