#pragma once
// kalvane.svg: the undeformed structure in light grey under the deformed one, its bars
// coloured by stress band, the supports and loads, node and bar numbers where they fit, a
// title, a legend and a scale bar. Each shape is drawn as a few paths per colour, so a
// model of a million bars stays a file of a few hundred elements.
#include <string>

#include "view/scene.hpp"
#include "view/svg_write.hpp"
#include "view/view_direction.hpp"

namespace kalvane::view {

struct svg_options {
  projection view = projection::automatic;
  bool auto_magnify = false;  // when set, `magnify` is ignored and auto_magnification is used
  double magnify = 1.0;       // factor applied to the displacements for drawing
  colour_by colour = colour_by::stress;
};

// The picture is 1000 x 750 pixels; coordinates are written in tenths of a pixel so that
// they are whole numbers (viewBox 0 0 10000 7500).
inline constexpr int canvas_width = 10000;
inline constexpr int canvas_height = 7500;
// The structure is fitted into this area; the legend stands to its right.
inline constexpr double draw_left = 400, draw_right = 8300, draw_top = 900, draw_bottom = 6800;

// The diverging stress scale, symmetric about zero: compression red, zero neutral grey,
// tension blue, full strength at |stress| >= limit. A stress that is not a number is black.
inline constexpr rgb compression_colour{178, 24, 43};
inline constexpr rgb neutral_colour{136, 136, 136};
inline constexpr rgb tension_colour{33, 102, 172};
inline constexpr rgb undefined_colour{0, 0, 0};
rgb stress_colour(double stress, double limit);

// The value each bar is coloured by: its axial force or the report's stress (the stress also
// where the scene holds no forces).
const std::vector<double>& colour_values(const scene& s, colour_by colour);

// Bars are drawn in bands of equal width over [-limit, limit]: band b in 1..bands_per_sign
// holds tension in ((b - 1) / bands_per_sign, b / bands_per_sign] x limit (and beyond limit
// for the last), band -b the same compression, band 0 a stress of exactly zero, and
// undefined_band a stress that is not a number.
inline constexpr int bands_per_sign = 6;
inline constexpr int undefined_band = bands_per_sign + 1;
int stress_band(double stress, double limit);
// The colour of a band: the scale's colour at the band's outer edge.
rgb band_colour(int band);

// The factor that makes the largest nodal displacement 10% of the diagonal of the
// undeformed structure's bounding box; 1 when either of them is zero.
double auto_magnification(const scene& s);

std::string render_svg(const scene& s, const svg_options& options);

}  // namespace kalvane::view
