#pragma once
// kalvane-form's checks of the model it reads, before anything is found: the values every
// companion refuses, then the form section's settings and the problem made from the model,
// each refused at the place in the file of the value at fault.
#include "form/find.hpp"
#include "form/problem.hpp"
#include "structure/structure.hpp"

namespace kalvane::form {

struct checked_input {
  form_settings settings;
  problem p;  // problem_of(s, f), validated
};

// Throws `error` naming the file, and the line (a bar's ends) or the line and column (a value
// of the form section) where the reader knows them, else the node or bar.
checked_input check_input(const structure& s, const form_data& f);

}  // namespace kalvane::form
