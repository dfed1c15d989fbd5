// autocad.scr: an AutoCAD script drawing every bar as a 3-D polyline, once in the initial
// shape and once in the equilibrium shape coloured by the sign of its stress. AutoCAD reads
// a blank like the Enter key, so every blank and line end below is part of the command.
#include <cmath>

#include "mechanics/element.hpp"
#include "output/text_file.hpp"
#include "output/writers.hpp"

namespace kalvane {
namespace {

struct point {
  double x, y, z;
};

point initial_point(const model& m, int32_t node) { return {m.x0(node), m.y0(node), m.z0(node)}; }

point final_point(const model& m, int32_t node) {
  return {m.x0(node) + displacement(m, m.unknowns, node, 1),
          m.y0(node) + displacement(m, m.unknowns, node, 2),
          m.z0(node) + displacement(m, m.unknowns, node, 3)};
}

void write_point(text_file& out, const point& p) {
  write_real(out, p.x, point_real);
  write_text(out, ",");
  write_real(out, p.y, point_real);
  write_text(out, ",");
  write_real(out, p.z, point_real);
}

// The blank after the second point enters it; the line end ends the polyline command.
void write_bar_line(text_file& out, const point& a, const point& b) {
  write_text(out, "3dpoly ");
  write_point(out, a);
  write_text(out, " ");
  write_point(out, b);
  write_text(out, " ");
  end_line(out);
}

// Blue in tension, red in compression, white unstressed; none for a stress that is not a number.
const char* colour_of(double stress) {
  if (stress > 0.0) return "blue";
  if (stress < 0.0) return "red";
  if (stress == 0.0) return "white";
  return nullptr;
}

template <class StressOf>
void write_script_with(const model& m, const std::string& path, StressOf stress_of) {
  text_file out(path);
  write_line(out, "osmode 0");  // no object snapping: points are taken as written
  const int32_t bars = bar_count(m);
  if (bars > 0) {
    write_line(out, "layer make Initial_1 ");
    for (int32_t e = 1; e <= bars; ++e) {
      const bar_record& bar = m.bars(e);
      write_bar_line(out, initial_point(m, bar.node1), initial_point(m, bar.node2));
    }
    write_line(out, "layer make Final_1 ");
    for (int32_t e = 1; e <= bars; ++e) {
      const bar_record& bar = m.bars(e);
      const char* colour = colour_of(stress_of(e));
      if (colour != nullptr) {
        write_line(out, "-color");
        write_line(out, colour);
      }
      write_bar_line(out, final_point(m, bar.node1), final_point(m, bar.node2));
    }
    write_line(out, "-color");
    write_line(out, "white");
    write_line(out, "layer off Initial_1 ");
  }
  write_line(out, "layer set 0 ");
  write_line(out, "zoom ext ext");
  close(out);
}

}  // namespace

void write_script(const model& m, const std::string& path) {
  double end_forces[6];
  write_script_with(m, path, [&](int32_t e) { return element1(m, m.bars(e), m.unknowns, end_forces).stress; });
}

void write_script(const model& m, const std::vector<double>& stress, const std::string& path) {
  write_script_with(m, path, [&](int32_t e) { return stress[static_cast<std::size_t>(e - 1)]; });
}

}  // namespace kalvane
