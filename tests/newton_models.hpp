#pragma once
// Small structures for the Newton library's tests, written as input.txt and prepared by the
// run's own stages up to `start`: a steel two-bar truss, a chain hanging from slack, a flat
// net, and a free bar.
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "model/model.hpp"
#include "run.hpp"
#include "structure/structure.hpp"
#include "support.hpp"

namespace newton_models {

struct node_line { double x, y, z; };
struct bar_line { int node1, node2; double area; };
struct value_line { int node, component; double value; };

// A structure as input.txt spells it; nodes and bars numbered from 1 in their order.
struct structure {
  std::string title = "test structure";
  double c1 = 70000.0;  // Neo-Hooke in N/mm^2: steel's 210 000 N/mm^2 is 3 c1 at small strain
  std::vector<node_line> nodes;
  std::vector<bar_line> bars;
  std::vector<value_line> prescribed, loads;
};

inline std::string input_text(const structure& s) {
  std::ostringstream out;
  out.precision(17);
  out << s.title << "\n: settings\n0.9  20  1e-06  0.0  50000  7\n: material\n1  " << s.c1 << "\n: nodes\n"
      << s.nodes.size() << "\nnode x y z\n";
  for (std::size_t i = 0; i < s.nodes.size(); ++i)
    out << i + 1 << "  " << s.nodes[i].x << "  " << s.nodes[i].y << "  " << s.nodes[i].z << "\n";
  out << ": bars\n" << s.bars.size() << "\nbar node1 node2 area\n";
  for (std::size_t b = 0; b < s.bars.size(); ++b)
    out << b + 1 << "  " << s.bars[b].node1 << "  " << s.bars[b].node2 << "  " << s.bars[b].area << "\n";
  auto values = [&out](const char* marker, const std::vector<value_line>& lines) {
    out << marker << lines.size() << "\n";
    if (!lines.empty()) out << "node component value\n";
    for (const value_line& v : lines) out << v.node << "  " << v.component << "  " << v.value << "\n";
  };
  values(": prescribed displacements\n", s.prescribed);
  values(": loads\n", s.loads);
  return out.str();
}

// The companions' structure of a model prepared by `start`: its one material, its bars at
// their drawn lengths.
inline kalvane::structure structured(kalvane::model m) {
  kalvane::structure s = kalvane::structure_of(std::move(m));
  kalvane::prepare(s);
  return s;
}

// The model as `start` leaves it, from input.txt written into `folder`.
inline kalvane::model prepared(const kalvane_test::scratch_folder& folder, const std::string& input) {
  kalvane_test::write_file(folder / "input.txt", input);
  kalvane::model m;
  kalvane::run_plan plan;
  plan.last = kalvane::stage::start;
  plan.folder = folder.path;
  kalvane::run(m, plan);
  return m;
}

inline kalvane::model prepared(const kalvane_test::scratch_folder& folder, const structure& s) {
  return prepared(folder, input_text(s));
}

inline void hold(structure& s, int node, int first = 1, int last = 3) {
  for (int c = first; c <= last; ++c) s.prescribed.push_back({node, c, 0.0});
}

// Two bars from supports at (-half_span, 0, 0) and (half_span, 0, 0) to an apex at (0, 0,
// rise), in mm; the apex held in Y and loaded downward by `load` N.
inline structure two_bar_truss(double load, double half_span = 2000.0, double rise = 100.0, double area = 1000.0) {
  structure s;
  s.title = "steel two-bar truss";
  s.nodes = {{-half_span, 0.0, 0.0}, {0.0, 0.0, rise}, {half_span, 0.0, 0.0}};
  s.bars = {{1, 2, area}, {2, 3, area}};
  hold(s, 1);
  hold(s, 3);
  s.prescribed.push_back({2, 2, 0.0});
  s.loads.push_back({2, 3, -load});
  return s;
}

// A chain of `links` equal bars between supports at (0, 0, 0) and (span, 0, height),
// stress-free on a circular arc that sags below its chord by `sag` at the middle, with
// `weight` N hanging at every joint between two links.
inline structure hanging_chain(int links, double span, double height, double sag, double weight, double area = 100.0) {
  structure s;
  s.title = "chain hanging from slack";
  const double chord = std::hypot(span, height);
  // The circle through both ends with the given sagitta: radius and half angle.
  const double radius = (chord * chord / 4.0 + sag * sag) / (2.0 * sag);
  const double half_angle = std::asin(chord / (2.0 * radius));
  const double ux = span / chord, uz = height / chord;  // along the chord
  const double nx = uz, nz = -ux;                         // across it, downward
  for (int k = 0; k <= links; ++k) {
    const double angle = -half_angle + 2.0 * half_angle * k / links;
    const double along = chord / 2.0 + radius * std::sin(angle);
    const double below = radius * std::cos(angle) - (radius - sag);
    s.nodes.push_back({along * ux + below * nx, 0.0, along * uz + below * nz});
  }
  s.nodes.front() = {0.0, 0.0, 0.0};
  s.nodes.back() = {span, 0.0, height};
  for (int k = 1; k <= links; ++k) s.bars.push_back({k, k + 1, area});
  hold(s, 1);
  hold(s, links + 1);
  for (int k = 2; k <= links; ++k) s.loads.push_back({k, 3, -weight});
  return s;
}

// A flat square net of `cells` by `cells` bars of `spacing` in the XY plane, its edge nodes
// pulled outward by `pull` times their distance from the centre and held in Z; `load` N
// pushes every interior node along Z.
inline structure flat_net(int cells, double spacing, double pull, double load, double area = 10.0) {
  structure s;
  s.title = "flat net";
  const int side = cells + 1;
  auto node = [side](int i, int j) { return i * side + j + 1; };
  const double centre = cells * spacing / 2.0;
  for (int i = 0; i < side; ++i)
    for (int j = 0; j < side; ++j) {
      const double x = i * spacing, y = j * spacing;
      s.nodes.push_back({x, y, 0.0});
      const bool edge = i == 0 || j == 0 || i == cells || j == cells;
      if (edge) {
        s.prescribed.push_back({node(i, j), 1, pull * (x - centre)});
        s.prescribed.push_back({node(i, j), 2, pull * (y - centre)});
        s.prescribed.push_back({node(i, j), 3, 0.0});
      } else if (load != 0.0) {
        s.loads.push_back({node(i, j), 3, load});
      }
      if (i + 1 < side && j > 0 && j < cells) s.bars.push_back({node(i, j), node(i + 1, j), area});
      if (j + 1 < side && i > 0 && i < cells) s.bars.push_back({node(i, j), node(i, j + 1), area});
    }
  return s;
}

// A saddle net, z = rise (x^2 - y^2) / span^2, of nx by ny nodes `spacing` apart: cables
// along X sag (they carry a downward load in tension), cables along Y hog. The edge is
// pulled outward by `pull` times each node's place (the pretension) and held there; every
// interior node carries `load` N along Z.
inline structure saddle_net(int nx, int ny, double spacing, double rise, double pull, double load, double area = 50.0) {
  structure s;
  s.title = "saddle net";
  auto node = [ny](int i, int j) { return i * ny + j + 1; };
  const double span = spacing * (nx - 1) / 2.0;
  for (int i = 0; i < nx; ++i)
    for (int j = 0; j < ny; ++j) {
      const double x = (i - (nx - 1) / 2.0) * spacing, y = (j - (ny - 1) / 2.0) * spacing;
      s.nodes.push_back({x, y, rise * (x * x - y * y) / (span * span)});
      if (i == 0 || j == 0 || i == nx - 1 || j == ny - 1) {
        s.prescribed.push_back({node(i, j), 1, pull * x});
        s.prescribed.push_back({node(i, j), 2, pull * y});
        s.prescribed.push_back({node(i, j), 3, 0.0});
      } else {
        s.loads.push_back({node(i, j), 3, load});
      }
    }
  // Sagging cables first (along X), then hogging ones (along Y), each between interior lines.
  for (int j = 1; j + 1 < ny; ++j)
    for (int i = 0; i + 1 < nx; ++i) s.bars.push_back({node(i, j), node(i + 1, j), area});
  for (int i = 1; i + 1 < nx; ++i)
    for (int j = 0; j + 1 < ny; ++j) s.bars.push_back({node(i, j), node(i, j + 1), area});
  return s;
}

// A shallow star dome of 24 bars: a crown at `crown` above a ring of six nodes at radius
// `ring` and height `ring_height`, each ring node tied to the crown, to its neighbours and
// to the two of the six supports (radius 2 ring, height 0) beside it. `load` N on the crown.
inline structure star_dome(double load, double ring = 2500.0, double crown = 821.6, double ring_height = 621.6,
                           double area = 100.0) {
  structure s;
  s.title = "24-bar star dome";
  const double pi = 3.14159265358979323846;
  s.nodes.push_back({0.0, 0.0, crown});
  for (int k = 0; k < 6; ++k) s.nodes.push_back({ring * std::cos(k * pi / 3.0), ring * std::sin(k * pi / 3.0), ring_height});
  for (int k = 0; k < 6; ++k)
    s.nodes.push_back({2.0 * ring * std::cos((k + 0.5) * pi / 3.0), 2.0 * ring * std::sin((k + 0.5) * pi / 3.0), 0.0});
  for (int k = 0; k < 6; ++k) {
    const int ring_node = 2 + k, next = 2 + (k + 1) % 6;
    s.bars.push_back({1, ring_node, area});
    s.bars.push_back({ring_node, next, area});
    s.bars.push_back({ring_node, 8 + k, area});
    s.bars.push_back({ring_node, 8 + (k + 5) % 6, area});
    hold(s, 8 + k);
  }
  s.loads.push_back({1, 3, -load});
  return s;
}

}  // namespace newton_models
