#include "view/svg_marks.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "view/svg.hpp"

namespace kalvane::view {

namespace {


double dot(const vec3& a, const vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

pixel offset(pixel p, double dx, double dy) { return {p.x + std::llround(dx), p.y + std::llround(dy)}; }

std::string group_tag(const char* id, rgb colour, int width) {
  return std::string("<g id=\"") + id + "\" fill=\"none\" stroke=\"" + hex(colour) +
         "\" stroke-linecap=\"round\" stroke-linejoin=\"round\" stroke-width=\"" + std::to_string(width) + "\">\n";
}

// A stub from `node` along the screen direction (dx, dy), a unit vector, with its cross bar.
void add_stub(path_batch& batch, pixel node, double dx, double dy, const mark_sizes& size) {
  const pixel end = offset(node, dx * size.stub, dy * size.stub);
  const double bar = size.stub_bar;
  add_line(batch, node, end);
  add_line(batch, offset(end, -dy * bar, dx * bar), offset(end, dy * bar, -dx * bar));
}

void add_square(path_batch& batch, pixel centre, double half) {
  std::string piece = "M";
  const pixel corner = offset(centre, -half, -half);
  const long long side = std::llround(2 * half);
  append_int(piece, corner.x);
  piece += ' ';
  append_int(piece, corner.y);
  piece += 'h';
  append_int(piece, side);
  piece += 'v';
  append_int(piece, side);
  piece += 'h';
  append_int(piece, -side);
  piece += 'z';
  add_piece(batch, piece);
}

void add_circle(path_batch& batch, pixel centre, double radius) {
  const long long r = std::llround(radius);
  std::string piece = "M";
  append_int(piece, centre.x - r);
  piece += ' ';
  append_int(piece, centre.y);
  for (long long sign : {1, -1}) {
    piece += 'a';
    for (long long v : {r, r, 0LL, 1LL, 0LL, 2 * r * sign, 0LL}) {
      append_int(piece, v);
      piece += ' ';
    }
    piece.pop_back();
  }
  add_piece(batch, piece);
}

// An arrow from `tail` to `point`, with a head of two strokes at the point.
void add_arrow(path_batch& batch, pixel tail, pixel point, const mark_sizes& size) {
  const double dx = static_cast<double>(point.x - tail.x), dy = static_cast<double>(point.y - tail.y);
  const double length = std::hypot(dx, dy);
  add_line(batch, tail, point);
  const double head = std::min(size.head, 0.5 * length);
  const double c = std::cos(0.45), s = std::sin(0.45);  // the head's half angle, about 26°
  const double ux = -dx / length, uy = -dy / length;
  add_line(batch, point, offset(point, (ux * c - uy * s) * head, (ux * s + uy * c) * head));
  add_line(batch, point, offset(point, (ux * c + uy * s) * head, (-ux * s + uy * c) * head));
}

// The shaft of a load's arrow on the screen, from its tail to the node; a load nearly along
// the line of sight, whose arrow would be a dot under its head, is marked by a circle.
struct arrow_shaft {
  double dx = 0, dy = 0;
  bool along_sight = false;
};

std::optional<arrow_shaft> shaft_of(const nodal_load& load, double largest, const screen_axes& axes,
                                    const mark_sizes& size) {
  if (!(largest > 0)) return std::nullopt;
  const double dx = dot(load.force, axes.right) / largest * size.arrow;
  const double dy = -dot(load.force, axes.up) / largest * size.arrow;
  if (!std::isfinite(dx) || !std::isfinite(dy)) return std::nullopt;
  const double length = std::sqrt(dot(load.force, load.force)) / largest * size.arrow;
  return arrow_shaft{dx, dy, std::hypot(dx, dy) < 0.15 * length};
}

struct box {
  long long left, top, right, bottom;
  bool overlaps(const box& o) const { return left < o.right && o.left < right && top < o.bottom && o.top < bottom; }
};

// About the width of a number in a font of `size`.
long long label_width(int size, const std::string& text) {
  return static_cast<long long>(0.62 * size * static_cast<double>(text.size()));
}

// A label's box for `text` in a font of `size`, its start at (x, y) on the baseline.
box label_box(long long x, long long y, int size, const std::string& text) {
  return {x - 10, y - size, x + label_width(size, text) + 10, y + size / 4};
}

}  // namespace

mark_sizes sizes_for(double mean_drawn_bar) {
  const mark_sizes full;
  const double k = std::clamp(mean_drawn_bar / full.arrow, 0.0, 1.0);
  mark_sizes size;
  size.stub = std::max(35.0, full.stub * k), size.stub_bar = size.stub / 2;
  size.square = std::max(25.0, full.square * k);
  size.arrow = full.arrow * k, size.head = std::max(40.0, full.head * k), size.circle = std::max(25.0, full.circle * k);
  size.stroke = static_cast<int>(std::lround(std::max(5.0, full.stroke * k)));
  size.arrow_stroke = static_cast<int>(std::lround(std::max(5.0, full.arrow_stroke * k)));
  size.shown = size.arrow >= 80;
  return size;
}

void append_supports(std::string& out, const scene& s, const screen_axes& axes, const node_pixels& at,
                     const mark_sizes& size) {
  if (!size.shown) return;
  out += group_tag("supports", support_colour, size.stroke);
  path_batch batch = start_paths(out);
  const vec3 axis[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  for (const support& held : s.supports) {
    const std::optional<pixel>& node = at[static_cast<std::size_t>(held.node)];
    if (!node) continue;
    bool square = false;
    for (int c = 0; c < 3; ++c) {
      if (!held.held[c]) continue;
      // The negative axis on the screen, whose y runs down.
      const double dx = -dot(axis[c], axes.right), dy = dot(axis[c], axes.up);
      const double drawn = std::hypot(dx, dy);
      if (drawn < 0.25) square = true;
      else add_stub(batch, *node, dx / drawn, dy / drawn, size);
    }
    if (square) add_square(batch, *node, size.square);
  }
  finish_paths(batch);
  out += "</g>\n";
}

double largest_load(const scene& s) {
  double largest = 0.0;
  for (const nodal_load& load : s.loads) {
    const double size = std::sqrt(dot(load.force, load.force));
    if (std::isfinite(size)) largest = std::max(largest, size);
  }
  return largest;
}

void append_loads(std::string& out, const scene& s, const screen_axes& axes, const node_pixels& at,
                  const mark_sizes& size) {
  if (!size.shown) return;
  const double largest = largest_load(s);
  out += group_tag("loads", load_colour, size.arrow_stroke);
  path_batch batch = start_paths(out);
  for (const nodal_load& load : s.loads) {
    const std::optional<pixel>& node = at[static_cast<std::size_t>(load.node)];
    if (!node) continue;
    const std::optional<arrow_shaft> shaft = shaft_of(load, largest, axes, size);
    if (!shaft) continue;
    if (shaft->along_sight) add_circle(batch, *node, size.circle);
    else add_arrow(batch, offset(*node, -shaft->dx, -shaft->dy), *node, size);
  }
  finish_paths(batch);
  out += "</g>\n";
}

marks_box marks_extent(const scene& s, const screen_axes& axes, const node_pixels& at, const mark_sizes& size) {
  constexpr long long far = std::numeric_limits<long long>::max();
  marks_box extent{far, far, -far, -far};  // left > right until a mark is taken
  if (!size.shown) return extent;
  auto take = [&](pixel p, double reach) {
    const long long r = std::llround(reach);
    extent = {std::min(extent.left, p.x - r), std::min(extent.top, p.y - r), std::max(extent.right, p.x + r),
              std::max(extent.bottom, p.y + r)};
  };
  for (const support& held : s.supports)
    if (const auto& node = at[static_cast<std::size_t>(held.node)]) take(*node, size.stub + size.stub_bar);
  const double largest = largest_load(s);
  for (const nodal_load& load : s.loads) {
    const std::optional<pixel>& node = at[static_cast<std::size_t>(load.node)];
    const std::optional<arrow_shaft> shaft = shaft_of(load, largest, axes, size);
    if (!node || !shaft) continue;
    if (shaft->along_sight) take(*node, size.circle);
    else take(offset(*node, -shaft->dx, -shaft->dy), 0);
  }
  return extent;
}

void append_numbers(std::string& out, const scene& s, const node_pixels& at) {
  if (s.bars.size() > numbered_at_most || s.initial.size() > numbered_at_most) return;
  std::vector<box> placed;
  auto place = [&](long long x, long long y, int size, const std::string& text) {
    const box b = label_box(x, y, size, text);
    if (b.left < 0 || b.top < draw_top - 200 || b.right > draw_right + 300 || b.bottom > draw_bottom + 200) return false;
    for (const box& other : placed)
      if (b.overlaps(other)) return false;
    placed.push_back(b);
    return true;
  };
  const std::string halo = "<g stroke=\"#fff\" stroke-width=\"28\" stroke-linejoin=\"round\" paint-order=\"stroke\"";
  out += halo + " id=\"node-numbers\" fill=\"#000\">\n";
  for (std::size_t k = 0; k < at.size(); ++k) {
    if (!at[k]) continue;
    const std::string text = std::to_string(k + 1);
    const pixel p = offset(*at[k], 50, -50);
    if (place(p.x, p.y, 115, text)) append_text(out, p.x, p.y, 115, text);
  }
  out += "</g>\n" + halo + " id=\"bar-numbers\" fill=\"#555\" font-style=\"italic\">\n";
  for (std::size_t e = 0; e < s.bars.size(); ++e) {
    const std::optional<pixel>& a = at[static_cast<std::size_t>(s.bars[e].first)];
    const std::optional<pixel>& b = at[static_cast<std::size_t>(s.bars[e].second)];
    if (!a || !b) continue;
    const std::string text = std::to_string(e + 1);
    const long long x = (a->x + b->x) / 2 - label_width(100, text) / 2;
    const long long y = (a->y + b->y) / 2 + 35;
    if (place(x, y, 100, text)) append_text(out, x, y, 100, text);
  }
  out += "</g>\n";
}

void append_support_sample(std::string& out, long long x, long long y) {
  const mark_sizes full;
  out += group_tag("support-sample", support_colour, full.stroke);
  path_batch batch = start_paths(out);
  add_stub(batch, {x, y - static_cast<long long>(full.stub)}, 0, 1, full);
  finish_paths(batch);
  out += "</g>\n";
}

void append_load_sample(std::string& out, long long x, long long y) {
  const mark_sizes full;
  out += group_tag("load-sample", load_colour, full.arrow_stroke);
  path_batch batch = start_paths(out);
  add_arrow(batch, {x, y - 300}, {x, y}, full);
  finish_paths(batch);
  out += "</g>\n";
}

}  // namespace kalvane::view
