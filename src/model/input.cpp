#include "model/input.hpp"

namespace kalvane {

void input(model&, const std::string&) {}
void input_text(model&, const std::string&, const std::string&) {}

}  // namespace kalvane
