#pragma once
// The tangent stiffness of one bar, from the same law that gives its end forces (the
// member's state, structure/law.hpp). With n the deformed unit vector, N the axial force and
// l the current length, the node2-node2 block is K = k_m n n^T + (N / l) (I - n n^T): the
// material term along the bar and the geometric term across it, k_m = dN/dl. The other
// blocks are -K (node1-node2) and K (node1-node1).
#include "structure/law.hpp"

namespace kalvane::newton {

// The node2-node2 block, symmetric.
void tangent_block(const member_state& bar, double block[3][3]);

}  // namespace kalvane::newton
