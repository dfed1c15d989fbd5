#include "run.hpp"

namespace kalvane {

void run() {}

}  // namespace kalvane
