#pragma once
// The run sequence: read, start, deck, minimise, script, report.
#include "model/model.hpp"

namespace kalvane {

// Runs every stage on the files of the current directory; throws `error` on failure.
void run();

}  // namespace kalvane
