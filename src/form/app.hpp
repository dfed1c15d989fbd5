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

// Refuses (usage_error) a folder for the files that would lose the model file read: its own
// model.json overwritten, or an analysis model beside it, which the next run there would read
// in its place. `another` says how to give another folder ("by --out"). A model that is no
// file (one made in memory) has none to lose.
void refuse_folder_of_model(const std::string& input_name, const std::string& folder, const std::string& another);

// The analysis model, form.csv and form.svg into `folder`, replacing its own only once all
// three were written; returns their names, in order.
std::vector<std::string> write_form_files(const std::string& folder, const structure& analysis, const problem& p,
                                          const form_result& r, const std::vector<double>& rest,
                                          const std::string& title);

}  // namespace kalvane::form
