#pragma once
// input.txt written from a model in the read state, so that the reader gives back the same
// model: every real is written in a form the reader turns into the very same bits.
#include <string>

#include "model/model.hpp"

namespace kalvane {

// The shortest decimal text of `value` that the reader reads back as `value` exactly; where
// no decimal text of up to 19 digits does (the reader rounds twice), the exact based form
// 16#...#E-k. `value` must be finite.
std::string exact_real_text(double value);

// The whole file: `title` on the first line, then the six sections. `m` is as the reader
// leaves it (dof_map holding 0/1 flags); every prescribed component and every load that is
// not +0.0 gets a line, node by node.
std::string input_text_of(const model& m, const std::string& title);

// Writes input_text_of(m, title) to `path`.
void write_input(const model& m, const std::string& title, const std::string& path);

}  // namespace kalvane
