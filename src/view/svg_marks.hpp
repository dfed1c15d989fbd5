#pragma once
// What the picture marks on the deformed shape: a glyph at each supported node, an arrow at
// each loaded node, and node and bar numbers where they fit.
#include <optional>
#include <string>
#include <vector>

#include "view/scene.hpp"
#include "view/svg_write.hpp"
#include "view/view_direction.hpp"

namespace kalvane::view {

inline constexpr rgb support_colour{51, 51, 51};
inline constexpr rgb load_colour{27, 120, 55};

// The marks' sizes in tenths of a pixel: full size beside bars drawn 70 pixels long or more,
// smaller in proportion on a denser drawing, and not drawn at all where they would be
// specks that only hide the structure (and swell the file by a path per node).
struct mark_sizes {
  double stub = 110, stub_bar = 55, square = 45;  // a support
  double arrow = 700, head = 130, circle = 50;    // a load: the largest arrow's length
  int stroke = 16, arrow_stroke = 18;
  bool shown = true;
};
mark_sizes sizes_for(double mean_drawn_bar);

// Where node k is drawn, at [k]; nothing when its position is not finite.
using node_pixels = std::vector<std::optional<pixel>>;

// At each supported node, a short stub along each held component's negative axis with a
// bar across its end, like a ground; a component seen end-on gets a small square instead.
// One group, id "supports".
void append_supports(std::string& out, const scene& s, const screen_axes& axes, const node_pixels& at,
                     const mark_sizes& size);

// The largest load's magnitude; 0 when there is none.
double largest_load(const scene& s);

// At each loaded node an arrow whose point is at the node, as long as the load in proportion
// to the largest (mark_sizes::arrow, before the projection shortens it); a load along the
// line of sight is a small circle. One group, id "loads".
void append_loads(std::string& out, const scene& s, const screen_axes& axes, const node_pixels& at,
                  const mark_sizes& size);

// The box that holds every support's and load's mark, in tenths of a pixel; left > right
// when there are none. The marks have fixed sizes on the screen, so the picture makes room
// for them after placing the nodes.
struct marks_box {
  long long left, top, right, bottom;
};
marks_box marks_extent(const scene& s, const screen_axes& axes, const node_pixels& at, const mark_sizes& size);

// Node numbers beside the nodes and bar numbers at the middle of the deformed bars, each
// where it overlaps no number already placed, for models of at most numbered_at_most bars
// and nodes. Groups with ids "node-numbers" and "bar-numbers".
inline constexpr std::size_t numbered_at_most = 400;
void append_numbers(std::string& out, const scene& s, const node_pixels& at);

// The legend's samples at full size: a node held in Z, and an arrow; both end at (x, y).
void append_support_sample(std::string& out, long long x, long long y);
void append_load_sample(std::string& out, long long x, long long y);

}  // namespace kalvane::view
