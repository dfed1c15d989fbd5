#pragma once
// The axial law of one companion bar: its force, the force's slope and its stored energy as
// functions of the stretch lambda = l / L0 (current over rest length). The tangent, the
// residual, the energy, the certificate, the CalculiX table and the pictures all take the
// law from here.
//
// With A the area of the unstressed section and s(lambda) the nominal stress (force per
// unstressed area), N = A s(lambda):
//   Neo-Hooke        s = c1 (lambda - 1/lambda^2)
//   Mooney-Rivlin    s = 2 (lambda - 1/lambda^2) (c1 + c2 / lambda)
//   linear elastic   s = E (lambda - 1)
// and a cable shorter than its rest length carries nothing.
#include <optional>

#include "structure/structure.hpp"

namespace kalvane {

struct axial_response {
  double force = 0.0;     // N, positive in tension
  double slope = 0.0;     // dN/dlambda
  double energy = 0.0;    // A L0 (W(lambda) - W(1)): stored energy above the unstressed bar
  double stress = 0.0;    // true stress for the rubber laws (N lambda / A), N / A for steel
  bool slack = false;     // a cable shorter than its rest length
};

// The response at stretch lambda, with lambda - 1 given without cancellation.
axial_response respond(const material& mat, bar_behaviour behaviour, double area, double rest, double lambda,
                       double lambda_less_one);

// The stretch at which a bar of this law and behaviour carries `force` (for its area), or
// none when the law cannot give that force (a cable pushed, steel squeezed to nothing).
// A safeguarded Newton on the stretch for the rubber laws.
std::optional<double> stretch_for_force(const material& mat, bar_behaviour behaviour, double area, double force);

// "Neo-Hooke", "Mooney-Rivlin" or "linear elastic".
const char* law_name(axial_law law);

}  // namespace kalvane

namespace kalvane {

// One bar of a structure at the end displacement difference u = u(node2) - u(node1).
struct member_state {
  double lambda = 1.0;     // l / L0
  double strain = 0.0;     // lambda - 1, formed without cancellation
  double drawn_stretch = 1.0;  // l / drawn length
  double drawn_stretch2 = 1.0; // its square, as formed from the displacements
  double force = 0.0;      // axial force N
  double slope = 0.0;      // dN/dlambda
  // The tangent's node2-node2 block is (along - across / drawn_stretch^2) axis axis^T +
  // across I: along = (dN/dl) / drawn_stretch^2 and across = N / l.
  double along = 0.0;
  double across = 0.0;
  double energy = 0.0;     // above the unstressed bar
  double stress = 0.0;
  double end_force[3] = {0.0, 0.0, 0.0};  // on node2, N times the deformed unit vector; node1's is its negation
  double axis[3] = {0.0, 0.0, 0.0};       // c + u / drawn length: the deformed bar per drawn length
  bool slack = false;
};

// A rubber bar at its drawn length is kalvane's own element, to the bit; every other bar
// takes `respond` with its stretch on the rest length.
member_state member_at(const bar_record& bar, const material& mat, const member& mem, const double u[3]);

}  // namespace kalvane
