#include "path/app.hpp"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "companion/output_files.hpp"
#include "error.hpp"
#include "mechanics/element.hpp"
#include "mechanics/objective.hpp"
#include "newton/loading.hpp"
#include "newton/newton.hpp"
#include "nlp/norm.hpp"
#include "output/writers.hpp"
#include "path/curve.hpp"
#include "path/curve_svg.hpp"
#include "path/ending.hpp"
#include "path/states.hpp"
#include "path/summary.hpp"
#include "progress.hpp"
#include "run.hpp"
#include "structure/files.hpp"
#include "structure/model_file.hpp"
#include "view/title.hpp"

namespace kalvane::path {

namespace {

namespace fs = std::filesystem;

std::string whole_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) fail(name_error, "cannot open " + path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void make_folder(const std::string& folder) {
  std::error_code failed;
  fs::create_directories(folder, failed);
  if (failed || !fs::is_directory(folder)) fail(name_error, "cannot create the folder " + folder);
}

void check_watch(const options& o, const model& m) {
  if (o.watch && o.watch->node > m.node_count)
    fail(usage_error, "--watch names node " + std::to_string(o.watch->node) + ", but the model has " +
                          std::to_string(m.node_count) + " nodes (see kalvane-path --help)");
}

// The progress line on a terminal: the step, the stage and the load factor reached and the
// time so far, redrawn at converged points as often as kalvane redraws its own; erased
// before the summary, also when the run ends by an error.
struct path_progress {
  bool enabled = false;
  std::chrono::steady_clock::time_point started, next_draw;
  bool shown = false;

  explicit path_progress(bool enable) : enabled(enable) {
    started = std::chrono::steady_clock::now();
    next_draw = started + progress_first_draw_after();
  }
  ~path_progress() { erase(); }
  path_progress(const path_progress&) = delete;
  path_progress& operator=(const path_progress&) = delete;

  void show(const newton::path_point& p, int step, newton::loading how) {
    const auto now = std::chrono::steady_clock::now();
    if (!enabled || now < next_draw) return;
    next_draw = now + progress_redraw_every;
    const double elapsed = std::chrono::duration<double>(now - started).count();
    char text[160];
    if (how == newton::loading::staged)
      std::snprintf(text, sizeof text, "kalvane-path: step %d, stage %d, load factor %.4f, %.1f s", step, p.stage,
                    p.load_factor, elapsed);
    else
      std::snprintf(text, sizeof text, "kalvane-path: step %d, load factor %.4f, %.1f s", step, p.load_factor,
                    elapsed);
    draw_progress_line(text);
    shown = true;
  }
  void erase() {
    if (shown) erase_progress_line();
    shown = false;
  }
};

// The written state to rounding level. The path refines its end at full load; the last
// stable point of a collapse, or any end left short of that, is refined here from where it
// lies, to the equilibrium it approximates. Returns the Newton iterations this took.
int refine(const structure& w, newton::vector& x, newton::stiffness_pattern& pattern, newton::factorisation& factor) {
  if (newton::within(newton::evaluate(w, x), 0.0)) return 0;
  newton::vector trial = x;
  const newton::newton_result r = newton::newton_solve(w, trial, pattern, factor, {});
  if (r.converged) x.swap(trial);
  return r.steps;
}

// The written state into the model, with the frame of the report: Newton iterations in
// all, the total potential (as kalvane's objective gives it, where kalvane could run the
// structure; else the structure's own, above its unstressed bars) and the largest gradient
// component reached. Returns that component.
double settle(structure& s, const newton::vector& x, int newton_steps) {
  model& w = s.base;
  for (int32_t p = 1; p <= w.free_count; ++p) w.unknowns(p) = x[static_cast<std::size_t>(p - 1)];
  w.iteration_count = newton_steps;
  if (kalvane_can_hold(s)) {
    w.objective_value = objective(w, w.free_count, w.unknowns, w.gradient);
    w.allowable_gradient = nlp::norm(w.free_count, w.gradient);
  } else {
    const newton::state at = newton::evaluate(s, x);
    w.objective_value = at.energy;
    w.allowable_gradient = newton::max_abs(at.gradient);
  }
  return w.allowable_gradient;
}

// The written state at x, its loads applied: settled into the model with the report's
// frame, its bars' answers, and kalvane's own check of it before any file is written.
void hold_state(path_run& held, const newton::vector& x, int newton_steps) {
  structure& written = held.written;
  held.facts.gradient = settle(written, x, newton_steps);
  held.results = newton::results_at(written, x);
  if (kalvane_can_hold(written)) {
    run_plan checking;
    checking.first = checking.last = stage::check;
    checking.write_files = false;
    run(written.base, checking);
  }
}

// The structure of the model file (or input.txt), read and prepared: its unknowns, its
// bars' rest lengths, its self-weight.
structure read_prepared(const std::string& path) {
  structure s = read_structure(path);
  start_structure(s);
  return s;
}

// The row of path.csv whose state the report holds: the last point at the path's final
// stage and load factor (full load, or the last stable point). None for a mechanism, whose
// files hold the unloaded shape.
std::optional<written_state> written_row(const newton::path_finding& path, const ending& e, const curve& c,
                                         const std::vector<double>& displacements, const bar_results& bars) {
  if (e.kind == end_kind::mechanism) return std::nullopt;
  for (std::size_t row = c.points.size(); row-- > 0;) {
    const newton::path_point& p = c.points[row].point;
    if (p.stage == path.stage && p.load_factor == path.load_factor) return written_state{row, displacements, &bars};
  }
  return std::nullopt;
}

}  // namespace

void start_structure(structure& s) {
  run_plan starting;
  starting.first = starting.last = stage::start;
  run(s.base, starting);
  prepare(s);
}

outcome run_path(const options& o) {
  const std::string input_name = o.model.empty() ? find_model(o.dir) : o.model;
  return run_path_on(read_prepared(input_name), input_name, whole_file(input_name), o);
}

std::string copy_name_of(const std::string& input_bytes) {
  return is_model_file_text(input_bytes) ? model_file_name : "input.txt";
}

outcome run_path_on(structure given, const std::string& input_name, const std::string& input_bytes,
                    const options& o) {
  check_watch(o, given.base);
  const std::string out = output_folder(o);
  // The programs that read the results read a folder's model.json before its input.txt: an
  // input.txt copied beside a model.json would be passed over for it.
  const fs::path other = fs::path(out) / model_file_name;
  const std::string copy_name = copy_name_of(input_bytes);
  std::error_code unknown;
  if (copy_name != model_file_name && fs::exists(other, unknown))
    fail(usage_error, "--out " + out + " holds " + model_file_name +
                          ", which kalvane-check and kalvane-view would read there in place of " + input_name +
                          ": write the results into another folder");
  // Before the path, so that a folder that cannot be made fails at once.
  make_folder(out);
  const path_run r = follow_run(std::move(given), input_name, input_bytes, o);
  std::error_code same_failed;
  const bool model_there = fs::equivalent(input_name, fs::path(out) / copy_name, same_failed);
  summary_facts facts = r.facts;
  facts.out_folder = out;
  facts.files = write_run(r, out, model_there);
  return outcome_of(r, facts);
}

path_run follow_run(structure given, const std::string& input_name, const std::string& input_bytes,
                    const options& o, const point_observer& observer) {
  path_run followed;
  followed.given = std::move(given);
  followed.input_bytes = input_bytes;
  const structure& s = followed.given;
  const model& m = s.base;
  check_watch(o, m);

  newton::stiffness_pattern pattern = newton::pattern_of(m);
  newton::factorisation factor;
  newton::path_settings settings;
  settings.how = o.how;
  settings.trace = o.trace;
  curve_recorder recorder{m, newton::stages_of(s, o.how), o.watch, {}, {}};
  state_keeper keeper;
  keeper.most = states_within(o.states_budget, static_cast<std::uint32_t>(m.node_count),
                              static_cast<std::uint32_t>(bar_count(m)));
  newton::path_finding& path = followed.path;
  {
    path_progress progress(o.progress);
    int step = 0;
    path = newton::follow_path(s, pattern, factor, settings, [&](const newton::path_point& p, const newton::vector& x) {
      recorder(p, x);
      keeper(p, x);
      progress.show(p, ++step, o.how);
      return observer ? observer(m, recorder.points.back(), x) : newton::path_control::go_on;
    });
  }
  followed.kept = std::move(keeper.kept);
  const ending e = ending_of(path, recorder.stages);
  followed.end = e;
  newton::vector x = path.x;
  if (e.kind == end_kind::mechanism || x.size() != static_cast<std::size_t>(m.free_count))
    x.assign(static_cast<std::size_t>(m.free_count), 0.0);
  const component_ref watch = o.watch ? *o.watch : moving_most(m, e.at, x);
  followed.c = finish(recorder, path.points, watch);

  // The state written carries the loads, self-weight, prescribed displacements and rest
  // lengths it stands at: full load, or short of it the last stable point's.
  followed.written = s;
  apply(followed.written, s, e.at);
  const int refinement = refine(followed.written, x, pattern, factor);
  hold_state(followed, x, path.newton_steps + refinement);

  summary_facts& facts = followed.facts;
  facts.input_name = input_name;
  facts.how = o.how;
  for (const newton::load_stage& stage : recorder.stages) facts.stages.push_back(stage.kind);
  for (const newton::load_stage& stage : newton::stages_of(s, newton::loading::staged)) facts.raised.push_back(stage.kind);
  for (int32_t k = 1; k <= m.node_count && !s.weight_loads.data.empty(); ++k)
    for (int c = 1; c <= 3; ++c)
      if (m.dof_map(k, c) <= m.free_count) facts.weight[static_cast<std::size_t>(c - 1)] += s.weight_loads(k, c);
  facts.watched = displacement_at(m, e.at, x, watch.node, watch.component);
  facts.extremes = extreme_forces(followed.results);
  for (const member& b : s.members) facts.cables += b.behaviour == bar_behaviour::cable ? 1 : 0;
  facts.slack_cables = slack_cables_of(followed.results);
  facts.prestress_needs_loads = e.kind == end_kind::stalled && o.how == newton::loading::staged && path.stage <= 1 &&
                                !recorder.stages.empty() && recorder.stages.front().kind == newton::stage_kind::prestress &&
                                newton::balanced_only_with_loads(s, settings.corrector_tolerance);
  return followed;
}

namespace {

std::string in_folder(const std::string& out, const char* name) { return (fs::path(out) / name).string(); }

// The written equilibrium's four files. Where input.txt can hold the structure, its script
// and report come from kalvane's own writers, as its run's stages call them (the state was
// checked as kalvane checks it when it was held).
void add_state_files(companion::output_files& files, const path_run& followed, const std::string& out) {
  using companion::add_written;
  add_written(files, in_folder(out, "abaqusfile.inp"),
              [&](const std::string& path) { write_structure_deck(followed.given, path); });
  const structure& w = followed.written;
  if (kalvane_can_hold(w)) {
    add_written(files, in_folder(out, "autocad.scr"), [&](const std::string& path) { write_script(w.base, path); });
    add_written(files, in_folder(out, "output.txt"), [&](const std::string& path) { write_report(w.base, path); });
  } else {
    add_written(files, in_folder(out, "autocad.scr"),
                [&](const std::string& path) { write_structure_script(w, followed.results, path); });
    add_written(files, in_folder(out, "output.txt"),
                [&](const std::string& path) { write_structure_report(w, followed.results, path); });
  }
  companion::add_text(files, in_folder(out, "bars.csv"), bars_csv(w, followed.results));
}

}  // namespace

void write_state_files(const path_run& followed, const std::string& out) {
  make_folder(out);
  companion::output_files files;
  add_state_files(files, followed, out);
  companion::put_in_place(files);
}

std::vector<std::string> write_run(const path_run& followed, const std::string& out, bool model_there) {
  make_folder(out);
  // The model beside the results makes the folder a whole run that kalvane-check and
  // kalvane-view read; it is written first, since they refuse a report older than its input.
  companion::output_files files;
  std::vector<std::string> names;
  const std::string model_name = copy_name_of(followed.input_bytes);
  if (!model_there) {
    companion::add_text(files, (fs::path(out) / model_name).string(), followed.input_bytes);
    names.push_back(model_name);
  }
  add_state_files(files, followed, out);
  names.insert(names.end(), {"abaqusfile.inp", "autocad.scr", "output.txt", "bars.csv"});
  companion::add_text(files, in_folder(out, "path.csv"), csv_of(followed.c));
  companion::add_text(files, in_folder(out, "path.svg"),
                      render_curve_svg(followed.c, followed.given.base, followed.facts.how, followed.given.title));
  // The states kept along the path, the last of them the report's own.
  const model& at = followed.written.base;
  std::vector<double> written_displacements;
  for (int32_t k = 1; k <= at.node_count; ++k)
    for (int j = 1; j <= 3; ++j) written_displacements.push_back(displacement(at, at.unknowns, k, j));
  const auto row = written_row(followed.path, followed.end, followed.c, written_displacements, followed.results);
  companion::add_text(files, in_folder(out, "path.states"),
                      encode_path_states(states_of(followed.given, followed.c, followed.kept, row)));
  names.insert(names.end(), {"path.csv", "path.svg", "path.states"});
  // The report goes in place last: should the renaming stop before it, the old report stays,
  // older than the model copied beside it, a pair kalvane-check and kalvane-view refuse.
  const std::string report = in_folder(out, "output.txt");
  std::stable_partition(files.pending.begin(), files.pending.end(),
                        [&](const companion::pending_file& f) { return f.target != report; });
  companion::put_in_place(files);
  return names;
}

path_run restore_run(structure given, const std::string& input_name, const std::string& input_bytes, applied at,
                     const newton::vector& x, int newton_steps) {
  path_run restored;
  restored.given = std::move(given);
  restored.input_bytes = input_bytes;
  restored.facts.input_name = input_name;
  restored.end.at = at;
  if (x.size() != static_cast<std::size_t>(restored.given.base.free_count))
    fail(data_error, input_name + ": a path's state of " + std::to_string(x.size()) +
                         " free displacements does not fit the model's " +
                         std::to_string(restored.given.base.free_count));
  restored.written = restored.given;
  apply(restored.written, restored.given, at);
  hold_state(restored, x, newton_steps);
  return restored;
}

newton::vector free_displacements(const path_run& held) {
  const model& w = held.written.base;
  newton::vector x;
  for (int32_t p = 1; p <= w.free_count; ++p) x.push_back(w.unknowns(p));
  return x;
}

outcome outcome_of(const path_run& followed, const summary_facts& facts) {
  outcome done = state_of(followed);
  done.status = followed.end.status;
  done.summary = summary_text(followed.given.base, followed.path, followed.c, followed.end, facts);
  return done;
}

outcome state_of(const path_run& followed) {
  outcome done{0, {}, {}, {}, followed.results};
  const model& at = followed.written.base;
  for (int32_t k = 1; k <= at.node_count; ++k)
    for (int j = 1; j <= 3; ++j) {
      done.displacements.push_back(displacement(at, at.unknowns, k, j));
      done.prescribed.push_back(at.dof_map(k, j) > at.free_count ? 1 : 0);
    }
  done.iterations = at.iteration_count;
  done.energy = at.objective_value;
  done.gradient = at.allowable_gradient;
  return done;
}

}  // namespace kalvane::path
