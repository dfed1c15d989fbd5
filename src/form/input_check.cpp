#include "form/input_check.hpp"

#include <algorithm>

#include "error.hpp"
#include "form/materialise.hpp"

namespace kalvane::form {

namespace {

// "model.json:103:16: ", or "model.json: " for a value the file did not give.
std::string placed(const std::string& file, text_place at) {
  if (at.line <= 0) return file + ": ";
  return file + ":" + std::to_string(at.line) + ":" + std::to_string(at.column) + ": ";
}

// Where the value a fault is about was given: the bar's line for its ends; the form group
// that gives the bar its density or target, or the form's own density; else the file.
std::string place_of(const structure& s, const form_data& f, const problem_fault& fault) {
  const std::string& file = s.base.source_name;
  const auto b = static_cast<int32_t>(fault.index + 1);
  switch (fault.subject) {
    case fault_subject::ends: return bar_place(s.base, b);
    case fault_subject::density:
    case fault_subject::target_force:
    case fault_subject::target_length:
      for (std::size_t i = 0; i < f.groups.size(); ++i) {
        const form_group& g = f.groups[i];
        const bool gives = fault.subject == fault_subject::density ? g.density.has_value()
                           : fault.subject == fault_subject::target_force ? g.force.has_value()
                                                                          : g.length.has_value();
        if (!gives || std::find(g.bars.begin(), g.bars.end(), b) == g.bars.end()) continue;
        const text_place at = fault.subject == fault_subject::density ? g.density_at
                              : fault.subject == fault_subject::target_force ? g.force_at
                                                                             : g.length_at;
        return placed(file, at) + "form: groups[" + std::to_string(i) + "]: ";
      }
      if (fault.subject == fault_subject::density && f.density_at.line > 0) return placed(file, f.density_at) + "form: ";
      return file + ": ";
    default: return file + ": ";
  }
}

form_settings settings_in(const structure& s, const form_data& f) {
  const std::string& file = s.base.source_name;
  if (const std::string why = tolerance_fault(f.tolerance); !why.empty())
    fail(data_error, placed(file, f.tolerance_at) + "form: " + why);
  if (const std::string why = iteration_limit_fault(f.max_iterations); !why.empty())
    fail(data_error, placed(file, f.max_iterations_at) + "form: " + why);
  return settings_of(f.tolerance, f.max_iterations);
}

}  // namespace

checked_input check_input(const structure& s, const form_data& f) {
  // An input.txt is read as kalvane takes it, values without physical sense and all; a
  // companion refuses them, as kalvane-path and kalvane-check do.
  validate_without_shape(s);
  checked_input in{settings_in(s, f), problem_of(s, f)};
  if (const std::optional<problem_fault> fault = fault_of(in.p))
    fail(fault->name, place_of(s, f, *fault) + fault->message);
  return in;
}

}  // namespace kalvane::form
