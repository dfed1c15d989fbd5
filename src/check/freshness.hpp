#pragma once
// Whether output.txt belongs to input.txt as it is now: written after the input's last
// change, with the input's node and bar counts and its prescribed displacements. A pair
// that fails is refused, naming the report's line, before anything is drawn or checked.
#include <string>

#include "model/model.hpp"
#include "view/report_reader.hpp"

namespace kalvane {

// Fails when the report at `report_path` was last written before the input at
// `input_path` was last changed.
void require_newer(const std::string& input_path, const std::string& report_path);

// When kalvane-path wrote the report (its path.csv beside it, written with it) of a state
// short of full load (a collapse, a stall, a mechanism; exit 2): that state in words, "load
// factor 0.2219 of stage 2"; "" otherwise. `m` is the report's model.
std::string short_of_full_load(const model& m, const view::report& r, const std::string& report_path);

// `m` as the reader leaves it (dof_map holding 0/1 flags); fails when the report's tables
// do not fit it.
void require_same_model(const model& m, const view::report& r, const std::string& input_path,
                        const std::string& report_path);

}  // namespace kalvane
