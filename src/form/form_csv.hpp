#pragma once
// form.csv: one row per bar of the shape found, for spreadsheets and scripts.
#include <string>
#include <vector>

#include "form/find.hpp"
#include "form/problem.hpp"

namespace kalvane::form {

// "bar,node1,node2,density,force,length,rest_length", then one row per bar numbered from 1,
// reals in their shortest form that reads back to the same double. `rest_length` holds one
// per bar once the bars' materials have given them; empty, the column is left blank.
std::string form_csv(const problem& p, const form_result& r, const std::vector<double>& rest_length = {});

}  // namespace kalvane::form
