#include "view/view_direction.hpp"

#include <cmath>

namespace kalvane::view {

namespace {

double dot(const vec3& a, const vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

constexpr projection all_projections[] = {projection::xy, projection::xz, projection::yz, projection::iso,
                                          projection::automatic};

}  // namespace

std::optional<projection> projection_named(const std::string& name) {
  for (projection p : all_projections)
    if (name == name_of(p)) return p;
  return std::nullopt;
}

const char* name_of(projection p) {
  switch (p) {
    case projection::xy: return "xy";
    case projection::xz: return "xz";
    case projection::yz: return "yz";
    case projection::iso: return "iso";
    case projection::automatic: break;
  }
  return "auto";
}

const char* projection_names() { return "xy, xz, yz, iso or auto"; }

screen_axes axes_from(oblique direction) {
  const double pi = std::acos(-1.0);
  const double a = direction.azimuth * pi / 180, e = direction.elevation * pi / 180;
  // Right is horizontal, at right angles to the line of sight; up completes the frame.
  return {{-std::sin(a), std::cos(a), 0.0},
          {-std::sin(e) * std::cos(a), -std::sin(e) * std::sin(a), std::cos(e)}};
}

long long end_on_bars(const scene& s, const screen_axes& axes) {
  long long count = 0;
  for (const bar_ends& bar : s.bars) {
    const vec3& a = s.initial[static_cast<std::size_t>(bar.first)];
    const vec3& b = s.initial[static_cast<std::size_t>(bar.second)];
    const vec3 d{b.x - a.x, b.y - a.y, b.z - a.z};
    const double length = std::sqrt(dot(d, d));
    if (!(length > 0) || !std::isfinite(length)) continue;
    const double drawn = std::hypot(dot(d, axes.right), dot(d, axes.up));
    if (drawn < end_on_fraction * length) ++count;
  }
  return count;
}

view_direction direction_of(projection p, const scene& s) {
  switch (p) {
    case projection::xy: return {{{1, 0, 0}, {0, 1, 0}}, "view xy"};
    case projection::xz: return {{{1, 0, 0}, {0, 0, 1}}, "view xz"};
    case projection::yz: return {{{0, 1, 0}, {0, 0, 1}}, "view yz"};
    case projection::iso: {
      // Seen from (1, -1, 1) with Z up: X runs right and down, Y right and up.
      const double r2 = std::sqrt(2.0), r6 = std::sqrt(6.0);
      return {{{1 / r2, 1 / r2, 0}, {-1 / r6, 1 / r6, 2 / r6}}, "view iso, from (1, -1, 1)"};
    }
    case projection::automatic: break;
  }
  const oblique* best = nullptr;
  long long fewest = 0;
  for (const oblique& candidate : oblique_candidates) {
    const long long count = end_on_bars(s, axes_from(candidate));
    if (!best || count < fewest) best = &candidate, fewest = count;
  }
  return {axes_from(*best), "view from azimuth " + std::to_string(best->azimuth) + "\xC2\xB0, elevation " +
                                std::to_string(best->elevation) + "\xC2\xB0"};
}

}  // namespace kalvane::view
