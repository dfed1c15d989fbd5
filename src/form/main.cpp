// kalvane-form: the shape of a cable net or tensegrity from its forces, and the analysis
// model that starts in equilibrium there.
#include "companion/main.hpp"
#include "form/app.hpp"

int main(int argc, char** argv) {
  namespace form = kalvane::form;
  return kalvane::companion::companion_main(argc, argv, "kalvane-form " KALVANE_VERSION, form::bad_input,
                                            form::parse_options, form::usage_text,
                                            [](const form::options& o) { return form::run_form(o); });
}
