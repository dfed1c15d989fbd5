#pragma once
// path.svg: the load-displacement curve of the watched component. The load factor of the
// loads rises up the left axis and the watched displacement runs along the bottom, in the
// model's own length unit; a right axis gives the load in the model's force unit. Stable
// stretches are solid, unstable ones (a negative pivot) dashed, the pretension of stage 1
// grey; limit and bifurcation points are marked. Each point carries its values as data
// attributes and a tooltip.
#include <string>

#include "model/model.hpp"
#include "path/curve.hpp"

namespace kalvane::path {

// `title` is the model's title (made printable here; any markup in it is escaped).
std::string render_curve_svg(const curve& c, const model& full, newton::loading how, const std::string& title);

}  // namespace kalvane::path
