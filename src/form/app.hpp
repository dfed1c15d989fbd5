#pragma once
// kalvane-form's run: read the model, find its form, materialise it, and write the analysis
// model, form.csv and form.svg.
#include <string>
#include <vector>

#include "form/find.hpp"
#include "form/options.hpp"
#include "form/problem.hpp"

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

// The analysis model, form.csv and form.svg into `folder`, replacing its own only once all
// three were written; returns their names, in order.
std::vector<std::string> write_form_files(const std::string& folder, const structure& analysis, const problem& p,
                                          const form_result& r, const std::vector<double>& rest,
                                          const std::string& title);

}  // namespace kalvane::form
