#include "view/vtk.hpp"

#include <charconv>

namespace kalvane::view {

namespace {

// The shortest text that reads back as the same double, so values survive the trip.
void append_real(std::string& out, double value) {
  char buffer[32];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, end);
}

void append_int(std::string& out, long long value) {
  char buffer[24];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, end);
}

void append_triple(std::string& out, double a, double b, double c) {
  append_real(out, a);
  out += ' ';
  append_real(out, b);
  out += ' ';
  append_real(out, c);
  out += '\n';
}

void append_values(std::string& out, const std::vector<double>& values) {
  for (double v : values) {
    append_real(out, v);
    out += '\n';
  }
}

}  // namespace

std::string render_vtk(const scene& s) {
  const std::size_t nodes = s.initial.size(), bars = s.bars.size();
  std::string out;
  out.reserve(128 + 80 * nodes + 40 * bars);
  // The second line is a free title of at most 255 characters.
  out += "# vtk DataFile Version 3.0\nkalvane result: " + std::to_string(s.iterations) +
         " minor iterations, deformed structure\nASCII\nDATASET POLYDATA\nPOINTS ";
  append_int(out, static_cast<long long>(nodes));
  out += " double\n";
  for (std::size_t k = 0; k < nodes; ++k) {
    const vec3& p = s.initial[k];
    const vec3& d = s.displacement[k];
    append_triple(out, p.x + d.x, p.y + d.y, p.z + d.z);
  }
  out += "LINES ";
  append_int(out, static_cast<long long>(bars));
  out += ' ';
  append_int(out, 3 * static_cast<long long>(bars));
  out += '\n';
  for (const bar_ends& b : s.bars) {  // VTK numbers points from zero
    out += "2 ";
    append_int(out, b.first);
    out += ' ';
    append_int(out, b.second);
    out += '\n';
  }
  out += "POINT_DATA ";
  append_int(out, static_cast<long long>(nodes));
  out += "\nVECTORS displacement double\n";
  for (const vec3& d : s.displacement) append_triple(out, d.x, d.y, d.z);
  out += "CELL_DATA ";
  append_int(out, static_cast<long long>(bars));
  out += '\n';
  // Stress is the active scalar that ParaView colours by; area goes in a field array,
  // because readers that take only the first SCALARS block still read every field array.
  out += "SCALARS stress double 1\nLOOKUP_TABLE default\n";
  append_values(out, s.stress);
  out += "FIELD FieldData 1\narea 1 ";
  append_int(out, static_cast<long long>(bars));
  out += " double\n";
  append_values(out, s.area);
  return out;
}

}  // namespace kalvane::view
