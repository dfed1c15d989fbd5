#pragma once
// kalvane.vtk: the deformed structure as legacy-format VTK polydata for ParaView.
#include <string>

#include "view/scene.hpp"

namespace kalvane::view {

// Points at the final node positions (true scale, no magnification), one line cell per
// bar, point vectors `displacement`, cell scalars `stress` and `area`.
std::string render_vtk(const scene& s);

}  // namespace kalvane::view
