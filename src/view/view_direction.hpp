#pragma once
// The direction the picture is seen from: the three planes, the isometric view, or, by
// default, the direction among a few oblique ones in which the fewest bars are seen end-on.
#include <optional>
#include <string>

#include "view/scene.hpp"

namespace kalvane::view {

enum class projection { xy, xz, yz, iso, automatic };

// "xy", "xz", "yz", "iso" or "auto"; nothing for any other text.
std::optional<projection> projection_named(const std::string& name);
const char* name_of(projection p);
// "xy, xz, yz, iso or auto", for messages and the usage text.
const char* projection_names();

// The screen's axes in model coordinates: a point p is drawn at (p . right, p . up), Z up
// in the oblique views. Both are unit vectors at right angles, so the picture keeps lengths
// in the picture plane.
struct screen_axes {
  vec3 right, up;
};

struct view_direction {
  screen_axes axes;
  std::string caption;  // "view xz", "view from azimuth -62°, elevation 34° (...)"
};

// The oblique directions `automatic` chooses from, by azimuth from +X towards +Y and
// elevation above the XY plane, in order of preference. Each stays more than 6° from every
// line of a lattice with steps of up to two cells and from seeing one of its diagonal planes
// (normals such as (1, 1, 0)) edge-on, and more than 20° from seeing an axis plane edge-on;
// the isometric view (1, -1, 1) lies along the legs of a common pyramid and in the planes
// x + y = const.
struct oblique {
  int azimuth, elevation;  // degrees
};
inline constexpr oblique oblique_candidates[] = {{-62, 34}, {-28, 34}, {-53, 23}, {-37, 23}};

screen_axes axes_from(oblique direction);

// A bar drawn shorter than this fraction of its length is seen nearly end-on.
inline constexpr double end_on_fraction = 0.1;

// How many bars of the undeformed shape the axes draw shorter than end_on_fraction of their
// length; bars of zero or non-finite length are not counted.
long long end_on_bars(const scene& s, const screen_axes& axes);

// The axes of projection p for scene s; `automatic` takes the first of oblique_candidates
// with the fewest end-on bars.
view_direction direction_of(projection p, const scene& s);

}  // namespace kalvane::view
