#pragma once
// kalvane.svg: the undeformed structure in light grey under the deformed one, each
// deformed bar coloured by its stress, with a title, a colour bar and a scale bar.
#include <optional>
#include <string>

#include "view/scene.hpp"

namespace kalvane::view {

enum class projection { xy, xz, yz, iso };

// "xy", "xz", "yz" or "iso"; nothing for any other text.
std::optional<projection> projection_named(const std::string& name);
const char* name_of(projection p);

struct svg_options {
  projection view = projection::iso;
  bool auto_magnify = false;  // when set, `magnify` is ignored and auto_magnification is used
  double magnify = 1.0;       // factor applied to the displacements for drawing
};

// The picture is 1000 x 750 pixels; coordinates are written in tenths of a pixel so that
// they are whole numbers (viewBox 0 0 10000 7500).
inline constexpr int canvas_width = 10000;
inline constexpr int canvas_height = 7500;

struct rgb {
  int red = 0, green = 0, blue = 0;
  bool operator==(const rgb&) const = default;
};

// The diverging stress scale, symmetric about zero: compression red, zero neutral grey,
// tension blue, full strength at |stress| >= limit. A stress that is not a number is black.
inline constexpr rgb compression_colour{178, 24, 43};
inline constexpr rgb neutral_colour{136, 136, 136};
inline constexpr rgb tension_colour{33, 102, 172};
inline constexpr rgb undefined_colour{0, 0, 0};
rgb stress_colour(double stress, double limit);

// The factor that makes the largest nodal displacement 10% of the diagonal of the
// undeformed structure's bounding box; 1 when either of them is zero.
double auto_magnification(const scene& s);

std::string render_svg(const scene& s, const svg_options& options);

}  // namespace kalvane::view
