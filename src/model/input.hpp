#pragma once
// The reader of input.txt: six sections introduced by marker lines, fixed order.
#include <string>

#include "model/model.hpp"

namespace kalvane {

// Reads the file at `path` into a freshly created model. Errors name `name` (the file's
// name as the user knows it) with the line and column where they arise.
void input(model& m, const std::string& path = "input.txt");

// Reads a model from text already in memory; `name` is used in messages.
void input_text(model& m, const std::string& text, const std::string& name);

}  // namespace kalvane
