#pragma once
// kalvane-form's run: read the model, find its form, materialise it, and write the analysis
// model, form.csv and form.svg.
#include <string>

#include "form/options.hpp"

namespace kalvane::form {

// The exit statuses.
inline constexpr int form_found = 0;
inline constexpr int bad_input = 1;
inline constexpr int targets_missed = 2;

struct outcome {
  int status = form_found;
  std::string summary;
};

// Throws kalvane::error for bad input, a bad option value or a file that cannot be written.
outcome run_form(const options& o);

}  // namespace kalvane::form
