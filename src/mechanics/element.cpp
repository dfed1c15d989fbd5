#include "mechanics/element.hpp"

#include <string>

#include "error.hpp"

namespace kalvane {

void negative_stretch_failure(const bar_record& bar, double lambda_squared) {
  fail(argument_error, "square root of the negative stretch squared " +
                           std::to_string(lambda_squared) + " in the bar from node " +
                           std::to_string(bar.node1) + " to node " + std::to_string(bar.node2));
}

}  // namespace kalvane
