#pragma once
// The load-displacement curve: every converged point of the path with the displacement of
// one watched component and the largest displacement of any node, and its text in path.csv.
#include <optional>
#include <string>
#include <vector>

#include "model/model.hpp"
#include "newton/path.hpp"
#include "path/applied.hpp"
#include "path/options.hpp"

namespace kalvane::path {

struct curve_point {
  newton::path_point point;
  applied at;
  double watched = 0.0;  // displacement of the watched component
  double largest = 0.0;  // largest displacement of a node
};

struct curve {
  component_ref watch;
  std::vector<curve_point> points;
};

// Told of every converged point by the path. Until the watched component is known (by
// default the one that moves most at the end), it keeps every point's free displacements.
struct curve_recorder {
  const model& full;
  std::vector<newton::load_stage> stages;  // of the path followed
  std::optional<component_ref> watch;
  std::vector<curve_point> points;
  std::vector<newton::vector> states;

  void operator()(const newton::path_point& p, const newton::vector& x);
};

// The free or prescribed component of largest displacement at x (the first of equals);
// free components are preferred, since a prescribed one only follows its stage's factor.
component_ref moving_most(const model& full, applied a, const newton::vector& x);

// The curve, watching `watch`. The points are those the path ends with, since it may name a
// point's kind only after the steps that follow it; the recorder gave their displacements.
curve finish(curve_recorder& recorder, const std::vector<newton::path_point>& path_points, component_ref watch);

const char* kind_name(newton::point_kind kind);
const char* axis_name(int component);  // "X", "Y", "Z"

// path.csv: a header, then one row per point; numbers in their shortest exact form.
std::string csv_of(const curve& c);

}  // namespace kalvane::path
