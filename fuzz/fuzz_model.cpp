// Fuzz target: arbitrary bytes as the text of a model file, through the companions' reader,
// its writer and the reader again, and on small models through what kalvane-form and
// kalvane-path do in memory: the shape found and materialised (when the model asks for a
// form), then the starting point, the rest lengths and self-weight, and the loading path,
// stopped after a few dozen points. A report (kalvane::error) or a refused allocation is a
// normal outcome; a crash, a sanitizer report, another exception, a hang or a written model
// that reads back to another text is a finding.
#include <cstddef>
#include <cstdint>
#include <new>
#include <string>

#include "error.hpp"
#include "form/find.hpp"
#include "form/input_check.hpp"
#include "form/materialise.hpp"
#include "path/app.hpp"
#include "run.hpp"
#include "structure/model_file.hpp"
#include "structure/structure.hpp"

namespace {

// Beyond these the path is left out, so that one execution stays short.
constexpr std::int32_t max_nodes = 12;
constexpr std::int32_t max_bars = 24;
constexpr int max_points = 40;

void follow(kalvane::structure s, const std::string& text) {
  kalvane::run_plan starting;
  starting.first = starting.last = kalvane::stage::start;
  kalvane::run(s.base, starting);
  kalvane::prepare(s);
  kalvane::path::options o;
  int points = 0;
  kalvane::path::follow_run(std::move(s), "model.json", text, o,
                            [&](const kalvane::model&, const kalvane::path::curve_point&, const kalvane::newton::vector&) {
                              return ++points < max_points ? kalvane::newton::path_control::go_on
                                                           : kalvane::newton::path_control::stop;
                            });
}

// What a companion writes reads back as the same structure, so it writes the same text.
void check_round_trip(const kalvane::structure& s) {
  const std::string written = kalvane::model_file_text(s);
  if (kalvane::model_file_text(kalvane::read_model_text(written, "model.json")) != written) __builtin_trap();
}

// kalvane-form's analysis model, which must read back as written; the path then runs on it.
kalvane::structure formed(const kalvane::structure& s) {
  const kalvane::form::checked_input in = kalvane::form::check_input(s, *s.form);
  const kalvane::form::form_result r = kalvane::form::find_form(in.p, in.settings);
  const kalvane::structure analysis = kalvane::form::materialised(s, r, kalvane::form::rest_lengths(s, r));
  check_round_trip(analysis);
  return kalvane::read_model_text(kalvane::model_file_text(analysis), "model.json");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 64 * 1024) return 0;
  const std::string text(reinterpret_cast<const char*>(data), size);
  try {
    kalvane::structure s = kalvane::read_model_text(text, "model.json");
    check_round_trip(s);
    if (s.base.node_count > max_nodes || kalvane::bar_count(s.base) > max_bars) return 0;
    if (s.form) s = formed(s);
    follow(std::move(s), text);
  } catch (const kalvane::error& e) {
    if (e.name.empty() || std::string(e.what()).empty()) __builtin_trap();
  } catch (const std::bad_alloc&) {
  }
  return 0;
}
