#include "mechanics/element.hpp"

#include <cstdio>
#include <functional>
#include <string>

#include "error.hpp"

namespace kalvane {

void negative_stretch_failure(const model& m, const bar_record& bar, double lambda_squared) {
  // The bar's number, and so its line in the file, when it is one of the model's bars.
  std::string place = m.source_name + ": ";
  const bar_record* first = m.bars.data.data();
  const std::less<const bar_record*> before;
  if (!m.bars.data.empty() && !before(&bar, first) && before(&bar, first + m.bars.data.size()))
    place = bar_place(m, m.bars.first + static_cast<int32_t>(&bar - first));
  char value[32];
  std::snprintf(value, sizeof value, "%.17g", lambda_squared);
  fail(argument_error, place + "square root of the negative stretch squared " + value +
                           " in the bar from node " + std::to_string(bar.node1) + " to node " +
                           std::to_string(bar.node2));
}

}  // namespace kalvane
