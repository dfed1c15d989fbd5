#pragma once
// The path's step control and predictor: the tangent's prediction a step along the arc, and
// how the step grows and shrinks with the corrector's speed.
#include "newton/continuation.hpp"

namespace kalvane::newton {

// The Euler predictor: x, t a step of `length` along a's tangent.
void predict(const path_state& a, double length, vector& x, double& t);

// The next step after a corrector that converged in `newton_steps`: fourfold when the
// prediction was already an equilibrium, twice when Newton met little curvature, half when
// it needed many steps (the prediction was far off), else the same.
double next_step(const path_settings& settings, double step, int newton_steps);

// True when the straight chord from a (stable) to b crosses ground where the energy curves
// down along it (d.K d < 0, d = b - a, K under b's loading, at the chord's quarters): a long
// step carried the corrector over a limit point and the unstable branch beyond to the far
// branch, with both ends stable and their tangents alike. Slack cables on the way only
// soften the chord; they do not turn it down. Where b is unstable (what a bifurcation
// between them leaves), true when the energy curves down along the chord at b itself: the
// instability is along the path, a limit point passed, not a bifurcation across it.
// Where the chord turns down, the cubic through both ends with their tangents is asked too,
// at `curve_samples` points: a turn the chord's straightness made there is no crossing.
inline constexpr int chord_samples = 4;
inline constexpr int curve_samples = 32;
bool crossed_unstable_ground(path_work& w, const path_state& a, const path_state& b);

// The first bar (from 1; 0 for none), not a cable, whose length passes through nothing over
// the step from a to b: the straight chord between its ends' differences at a and at b comes
// within a hundredth of its rest length of zero, between the two. Past zero length a bar
// would turn inside out, which no bar does; only a law whose push stays finite as the bar
// shortens to nothing (linear elastic, at most E A) lets the path get there at all.
int32_t bar_squeezed_through_a_point(path_work& w, const path_state& a, const path_state& b);

// The step after a failed or refused one: half, or 0 when that is below the shortest.
double halved_step(const path_settings& settings, double step);

}  // namespace kalvane::newton
