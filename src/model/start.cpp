#include "model/start.hpp"

namespace kalvane {

void start(model&) {}

}  // namespace kalvane
