#include "error.hpp"

namespace kalvane {

void fail(const char* name, const std::string& message) { throw error(name, message); }

}  // namespace kalvane
