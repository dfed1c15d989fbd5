#pragma once
// form.svg: the shape found, its bars coloured by force (tension blue, compression red, in
// bands of equal width up to the largest force), the held nodes and the loads marked as
// kalvane-view marks them, a title, a summary line and a legend.
#include <string>

#include "form/find.hpp"
#include "form/problem.hpp"
#include "view/view_direction.hpp"

namespace kalvane::form {

// `title` is the model's own words: made printable and escaped here.
std::string render_form_svg(const problem& p, const form_result& r, const std::string& title,
                            view::projection direction = view::projection::automatic);

}  // namespace kalvane::form
