#include "form/app.hpp"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "companion/output_files.hpp"
#include "error.hpp"
#include "form/find.hpp"
#include "form/form_csv.hpp"
#include "form/form_svg.hpp"
#include "form/input_check.hpp"
#include "form/materialise.hpp"
#include "progress.hpp"
#include "structure/files.hpp"
#include "structure/model_file.hpp"

namespace kalvane::form {

namespace {

namespace fs = std::filesystem;

// The progress line on a terminal: the density updates and the worst target error so far,
// drawn after the usual wait and erased before the summary, also when the run ends by an error.
struct form_progress {
  bool enabled = false;
  std::chrono::steady_clock::time_point started, next_draw;
  bool shown = false;

  explicit form_progress(bool enable) : enabled(enable) {
    started = std::chrono::steady_clock::now();
    next_draw = started + progress_first_draw_after();
  }
  ~form_progress() {
    if (shown) erase_progress_line();
  }
  form_progress(const form_progress&) = delete;
  form_progress& operator=(const form_progress&) = delete;

  void operator()(int step, double worst) {
    if (!enabled) return;
    const auto now = std::chrono::steady_clock::now();
    if (now < next_draw) return;
    next_draw = now + progress_redraw_every;
    char text[160];
    std::snprintf(text, sizeof text, "kalvane-form: %d density updates, worst target error %.3g, %.1f s", step, worst,
                  std::chrono::duration<double>(now - started).count());
    draw_progress_line(text);
    shown = true;
  }
};

// The folder for the files, made before the form is found so that one that cannot be made
// fails at once. The folders it made are removed again when the run ends with them still
// empty: a run refused leaves no empty folder behind.
struct output_folder_made {
  std::vector<fs::path> made;  // deepest first

  explicit output_folder_made(const std::string& folder) {
    fs::path at = fs::absolute(folder).lexically_normal();
    if (at.filename().empty()) at = at.parent_path();
    std::error_code failed;
    // Only what is surely not there: a folder that cannot be looked at is left alone.
    while (!fs::exists(at, failed) && !failed && at != at.parent_path()) {
      made.push_back(at);
      at = at.parent_path();
    }
    fs::create_directories(folder, failed);
    if (failed || !fs::is_directory(folder)) {
      remove_empty();
      fail(name_error, "cannot create the folder " + folder);
    }
  }
  ~output_folder_made() { remove_empty(); }
  void remove_empty() {
    std::error_code not_empty;
    for (const fs::path& folder : made) fs::remove(folder, not_empty);
  }
  output_folder_made(const output_folder_made&) = delete;
  output_folder_made& operator=(const output_folder_made&) = delete;
};

std::string real(double v) { return shortest_real(v); }

std::string summary_of(const std::string& input_name, const problem& p, const form_result& r, double seconds,
                       const std::string& out, const std::vector<std::string>& files) {
  std::string s = "kalvane-form: " + input_name + ": " + std::to_string(p.nodes.size()) + " nodes, " +
                  std::to_string(p.bars.size()) + " bars; held: " + held_summary(p) + "\n";
  s += "form: " + std::string(outcome_name(r.outcome)) + "\n";
  s += "  density updates:         " + std::to_string(r.iterations) + "\n";
  s += "  largest force error:     " + real(r.largest_force_error) + " (relative, bars with a target force)\n";
  s += "  largest length error:    " + real(r.largest_length_error) + " (relative, bars with a target length)\n";
  s += "  largest residual:        " + real(r.largest_residual) + "\n";
  if (r.negative_pivots > 0)
    s += "  negative pivots:         " + std::to_string(r.negative_pivots) +
         " (struts outweigh the cables somewhere: the shape's stiffness comes from its prestress)\n";
  else if (r.negative_pivots < 0)
    s += "  negative pivots:         not counted (D's LDLT met a zero pivot and a QR solved it: whether struts "
         "outweigh the cables somewhere is not known)\n";
  char time[64];
  std::snprintf(time, sizeof time, "  time:                    %.3f s\n", seconds);
  s += time;
  if (r.outcome == form_outcome::targets_not_met) {
    s += "stopped: " + r.stop + "\n";
    s += "worst bars (the best shape found is written):\n";
    for (const unmet_target& u : r.unmet)
      s += "  " + bar_name(u.bar) + ": " + (u.kind == target_kind::force ? "force " : "length ") + real(u.reached) +
           ", wanted " + real(u.wanted) + ": " + u.why + "\n";
  }
  s += "written to " + out + ":";
  for (const std::string& f : files) s += " " + f;
  s += "\n";
  return s;
}

}  // namespace

outcome run_form(const options& o) {
  const auto started = std::chrono::steady_clock::now();
  const std::string input_name = o.model.empty() ? find_model(o.dir) : o.model;
  const structure s = read_structure(input_name);
  const form_data data = s.form ? *s.form : form_data{};
  const checked_input in = check_input(s, data);
  const problem& p = in.p;

  const std::string out = output_folder(o, input_name);
  refuse_folder_of_model(input_name, out, "by --out");
  output_folder_made folder(out);

  form_result r;
  {
    form_progress progress(o.progress);
    r = find_form(p, in.settings, [&](int step, double worst) { progress(step, worst); });
  }
  const std::vector<double> rest = rest_lengths(s, r);
  const structure analysis = materialised(s, r, rest);
  const std::vector<std::string> files = write_form_files(out, analysis, p, r, rest, s.title);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  return {r.outcome == form_outcome::found ? form_found : targets_missed,
          summary_of(input_name, p, r, seconds, out, files)};
}

void refuse_folder_of_model(const std::string& input_name, const std::string& folder, const std::string& another) {
  std::error_code no_such;
  if (!fs::is_regular_file(input_name, no_such)) return;
  // The analysis model must never overwrite the model it comes from, nor lie beside it: a
  // model.json beside an input.txt is what the next run in that folder would read.
  if (fs::equivalent(input_name, fs::path(folder) / model_file_name, no_such))
    fail(usage_error, "the analysis model would overwrite " + input_name + ": give another folder " + another);
  if (fs::equivalent(fs::absolute(input_name).parent_path(), folder, no_such))
    fail(usage_error, "the folder " + folder + " holds the model read, " + input_name +
                          ": the analysis model goes into a folder of its own; give another " + another);
}

std::vector<std::string> write_form_files(const std::string& folder, const structure& analysis, const problem& p,
                                          const form_result& r, const std::vector<double>& rest,
                                          const std::string& title) {
  companion::output_files files;
  companion::add_text(files, (fs::path(folder) / model_file_name).string(), model_file_text(analysis));
  companion::add_text(files, (fs::path(folder) / "form.csv").string(), form_csv(p, r, rest));
  companion::add_text(files, (fs::path(folder) / "form.svg").string(), render_form_svg(p, r, title));
  companion::put_in_place(files);
  return {model_file_name, "form.csv", "form.svg"};
}

}  // namespace kalvane::form
