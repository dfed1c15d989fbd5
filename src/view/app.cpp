#include "view/app.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "check/freshness.hpp"
#include "companion/output_files.hpp"
#include "companion/printable.hpp"
#include "companion/run_folder.hpp"
#include "error.hpp"
#include "model/input.hpp"
#include "run.hpp"
#include "structure/model_file.hpp"
#include "structure/structure.hpp"
#include "view/bar_forces.hpp"
#include "view/model_bars.hpp"
#include "view/html.hpp"
#include "view/report_reader.hpp"
#include "view/scene.hpp"
#include "view/series.hpp"
#include "view/title.hpp"
#include "view/vtu.hpp"

namespace kalvane::view {

namespace {

[[noreturn]] void usage_failure(const std::string& what) {
  fail(argument_error, what + " (see kalvane-view --help)");
}

double magnification(const std::string& text) {
  char* end = nullptr;
  const double k = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || !std::isfinite(k) || k < 0)
    usage_failure("--magnify takes 'auto' or a number of zero or more, not '" + text + "'");
  return k;
}

// The page's data: the scene, with what only the model and the folder hold.
page page_of(const model& m, const report& r, const scene& s, const std::optional<load_path>& path,
             colour_by colour) {
  page p;
  p.shape = s;
  p.material = s.materials.empty() ? material_text(m) : "";
  p.colour = colour;
  p.marks = marks_of(s, r);
  p.path = path;
  return p;
}

// The folder's path.states, checked against its curve and model: none when it has none, or
// when it is older than the report (a later run of kalvane in the folder), which is said.
std::optional<path_states> folder_states(const std::filesystem::path& dir, const scene& s, const load_path& curve,
                                         view_run& done) {
  namespace fs = std::filesystem;
  const fs::path file = dir / "path.states";
  std::error_code failed;
  if (!fs::exists(file, failed)) return std::nullopt;
  if (fs::last_write_time(file, failed) < fs::last_write_time(dir / "output.txt", failed) || failed) {
    done.notes.push_back(file.string() + " is older than output.txt, so its states were left out (run kalvane-path again)");
    return std::nullopt;
  }
  return read_states(read_whole_file(file.string()), file.string(), s, curve);
}

// The page's states from path.states (`all`, when read already), when the folder has one,
// starting at the report's.
void add_states(page& p, const std::filesystem::path& dir, const scene& s, const report& r, double alike,
                view_run& done, std::optional<path_states> all) {
  if (!p.path) return;
  if (!all) all = folder_states(dir, s, *p.path, done);
  if (!all) return;
  const std::filesystem::path file = dir / "path.states";
  const std::optional<std::size_t> report_row = point_of_report(*p.path, r, alike);
  p.states = animation_of(std::move(*all), *p.path, report_row.value_or(p.path->points.size()), page_states_budget);
  const std::vector<path_state_record>& states = p.states->states;
  p.start = states.empty() ? 0 : states.size() - 1;
  for (std::size_t i = 0; i < states.size(); ++i)
    if (report_row && states[i].row == *report_row) p.start = i;
  if (states.size() < p.states->in_file)
    done.notes.push_back("the page plays " + std::to_string(states.size()) + " of the " +
                         std::to_string(p.states->in_file) + " states of " + file.string() + ", all it holds in " +
                         std::to_string(page_states_budget >> 20) + " MB");
}

// The report's reactions as a vector per node, zero where it reports none.
std::vector<vec3> reactions_of(const scene& s, const report& r) {
  std::vector<vec3> out(s.initial.size());
  for (const reaction_entry& e : r.reactions) {
    vec3& v = out[static_cast<std::size_t>(e.node - 1)];
    (e.component == 1 ? v.x : e.component == 2 ? v.y : v.z) = e.value;
  }
  return out;
}

// kalvane.vtu, and in kalvane-path's folder kalvane.pvd, the series ParaView plays: every
// state of path.states, or where the folder has none the one state its report holds.
void add_vtk_files(std::vector<std::pair<std::string, std::string>>& files, const std::filesystem::path& dir,
                   const scene& s, const report& r, const std::optional<load_path>& path, double alike,
                   colour_by colour, view_run& done) {
  const std::vector<vec3> reactions = reactions_of(s, r);
  grid_state state{s.initial, s.displacement, s.bars, {{"reaction", reactions}},
                   {{"stress", std::span<const double>(s.stress)},
                    {"axial_force", std::span<const double>(s.force)},
                    {"area", std::span<const double>(s.area)},
                    {"stretch", std::span<const double>(s.stretch)}},
                   {}, s.title, {}};
  // A model file's bars: the colouring quantity first (ParaView's active scalar), the
  // material by index (named in the file's comments) and the state by code.
  std::vector<int32_t> states;
  if (!s.materials.empty()) {
    if (colour == colour_by::force) std::swap(state.bar_data[0], state.bar_data[1]);
    for (bar_state b : s.state) states.push_back(static_cast<int32_t>(b));
    state.bar_data.push_back({"material", std::span<const int32_t>(s.material)});
    state.bar_data.push_back({"state", std::span<const int32_t>(states)});
    for (std::size_t i = 0; i < s.materials.size(); ++i)
      state.notes.push_back("material " + std::to_string(i) + ": " + s.materials[i].name + " (" + s.materials[i].law + ")");
    state.notes.push_back("state 0: tension (a taut cable), 1: compression, 2: slack cable");
  }
  std::optional<std::size_t> point;
  if (path) {
    point = point_of_report(*path, r, alike);
    if (!point)
      fail(data_error, (dir / "path.csv").string() + ": no point of the path matches " + (dir / "output.txt").string() +
                           " (is it from another run? run kalvane-path again)");
    const path_point& p = path->points[*point];
    state.field_data = {{"load_factor", p.load_factor}, {"stage", p.stage}};
  }
  files.emplace_back((dir / "kalvane.vtu").string(), render_vtu(state));
  if (!path) return;
  if (const std::optional<path_states> all = folder_states(dir, s, *path, done)) {
    for (auto& file : series_files(dir.string(), s, *all, colour)) files.push_back(std::move(file));
  } else {
    files.emplace_back((dir / "kalvane.pvd").string(), render_pvd({{path->points[*point].load_factor, "kalvane.vtu"}}, s.title));
  }
}

}  // namespace

options parse_options(const std::vector<std::string>& args) {
  options o;
  bool svg_only = false, vtk_only = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string arg = args[i], value;
    // Both "--dir DIR" and "--dir=DIR".
    std::size_t eq = arg.find('=');
    bool inline_value = arg.rfind("--", 0) == 0 && eq != std::string::npos;
    if (inline_value) value = arg.substr(eq + 1), arg = arg.substr(0, eq);
    auto take_value = [&]() {
      if (inline_value) return value;
      if (i + 1 >= args.size()) usage_failure(arg + " needs a value");
      return args[++i];
    };
    auto no_value = [&]() {
      if (inline_value) usage_failure(arg + " takes no value");
    };
    if (arg == "--help" || arg == "-h") no_value(), o.help = true;
    else if (arg == "--version") no_value(), o.version = true;
    else if (arg == "--svg-only") no_value(), svg_only = true;
    else if (arg == "--vtk-only") no_value(), vtk_only = true;
    else if (arg == "--html") no_value(), o.write_html = true;
    else if (arg == "--dir") o.dir = take_value();
    else if (arg == "--model") {
      o.model = take_value();
      if (o.model.empty()) usage_failure("--model needs a file name");
    } else if (arg == "--colour" || arg == "--color") {
      const std::string by = take_value();
      if (by == "stress") o.colour = colour_by::stress;
      else if (by == "force") o.colour = colour_by::force;
      else usage_failure(arg + " takes stress or force, not '" + by + "'");
    }
    else if (arg == "--view") {
      std::string name = take_value();
      auto p = projection_named(name);
      if (!p) usage_failure(std::string("--view takes ") + projection_names() + ", not '" + name + "'");
      o.picture.view = *p;
    } else if (arg == "--magnify") {
      std::string k = take_value();
      o.picture.auto_magnify = k == "auto";
      if (!o.picture.auto_magnify) o.picture.magnify = magnification(k);
    } else {
      usage_failure("unknown argument '" + args[i] + "'");
    }
  }
  if (svg_only && vtk_only) usage_failure("--svg-only and --vtk-only exclude each other");
  if (o.write_html && (svg_only || vtk_only))
    usage_failure(std::string("--html and ") + (svg_only ? "--svg-only" : "--vtk-only") + " exclude each other");
  o.write_svg = !vtk_only && !o.write_html;
  o.write_vtk = !svg_only && !o.write_html;
  return o;
}

std::string usage_text() {
  return "Usage: kalvane-view [options]\n"
         "Draws the result of a finished run: reads the model (model.json when the directory\n"
         "has one, else input.txt) and output.txt, and writes kalvane.svg (a picture) and\n"
         "kalvane.vtu (for ParaView and Python mesh tools) in the same directory; in\n"
         "kalvane-path's folder also kalvane.pvd, the time series of the path's states\n"
         "(one .vtu each in kalvane_states/, from path.states).\n"
         "\n"
         "  --dir DIR          the run's directory (default: the current directory)\n"
         "  --model FILE       read the model from FILE (a model file or an input.txt)\n"
         "  --colour C         colour the bars by 'force' (axial force; the default for a\n"
         "                     model file) or 'stress' (the default for input.txt)\n"
         "  --view V           projection of the picture: xy, xz, yz, iso (from (1, -1, 1)) or\n"
         "                     auto (default: the oblique view that sees the fewest bars end-on)\n"
         "  --magnify K        multiply displacements by K in the picture (default 1);\n"
         "                     'auto' makes the largest one 10% of the structure's size\n"
         "  --svg-only         write only kalvane.svg\n"
         "  --vtk-only         write only kalvane.vtu (and kalvane.pvd with its states)\n"
         "  --html             write only kalvane.html, a page that shows the result in 3-D\n"
         "                     (with kalvane-path's curve when path.csv is there, and its\n"
         "                     states played by a slider when path.states is)\n"
         "  --help             show this text\n"
         "  --version          show the version\n";
}

namespace {

// A model file: the structure matched with the report, and its bars' forces, stretches and
// states from kalvane-path's bars.csv of the same state when it is there (full precision,
// and the rest lengths of the state reached), else from the structure's own laws at the
// report's displacements (whose seven digits leave a stiff cable's force about four).
scene scene_of_model_file(structure st, const std::string& model_path, const report& r,
                          const std::string& report_path, const prescribed_share& share, model& kept) {
  scene s = match(st.base, r, model_path, report_path, share);
  s.title = companion::printable(st.title);
  kept = st.base;
  run_plan starting;
  starting.first = starting.last = stage::start;
  run(st.base, starting);
  prepare(st);
  add_model_bars(s, st);
  namespace fs = std::filesystem;
  const fs::path table = fs::path(report_path).parent_path() / "bars.csv";
  std::error_code failed;
  if (fs::exists(table, failed) && fs::last_write_time(table, failed) >= fs::last_write_time(report_path, failed) && !failed)
    (void)take_bars_csv(s, read_whole_file(table.string()));
  return s;
}

// kalvane-path writes a state short of full load (exit 2) under the prescribed displacements
// it carried: in stage 1, where they rise (staged or together), the point's load factor of
// them, after it all of them.
prescribed_share share_of(const std::optional<load_path>& curve, const report& r, double alike) {
  const std::optional<std::size_t> point = curve ? point_of_report(*curve, r, alike) : std::nullopt;
  if (!point) return {};
  const path_point& p = curve->points[*point];
  if (p.stage != 1 || p.load_factor == 1.0) return {};
  return {p.load_factor, "at " + short_of_full_load(*curve, *point)};
}

// A report of kalvane-path's state short of full load (exit 2) is said so, and its loads are
// drawn at the share of them that state carries (none in a stage before the loads), which
// path.states records; without it they are drawn whole, and the caption says so.
void mark_short_of_full_load(scene& s, const load_path& curve, const report& r, double alike,
                             const std::filesystem::path& dir, std::optional<path_states>& states, view_run& done) {
  const std::optional<std::size_t> point = point_of_report(curve, r, alike);
  const std::string where = point ? short_of_full_load(curve, *point) : "";
  if (where.empty()) return;
  s.reached = "short of full load, at " + where;
  states = folder_states(dir, s, curve, done);
  const path_state_record* state = nullptr;
  if (states)
    for (const path_state_record& record : states->states)
      if (record.row == *point) state = &record;
  if (!state) {
    if (!s.loads.empty()) s.reached += " (its loads drawn whole)";
    return;
  }
  std::vector<nodal_load> carried;
  for (nodal_load load : s.loads) {
    load.force = {load.force.x * state->loads, load.force.y * state->loads, load.force.z * state->loads};
    if (state->loads != 0.0) carried.push_back(load);
  }
  s.loads = std::move(carried);
}

}  // namespace

view_run run_view(const options& o) {
  namespace fs = std::filesystem;
  const fs::path dir(o.dir);
  view_run done;
  done.model = o.model.empty() ? find_model(o.dir) : o.model;
  const std::string report_path = (dir / "output.txt").string();
  companion::require_model(done.model, !o.model.empty());
  const std::string text = read_whole_text(done.model);
  const bool model_file = is_model_file_text(text);
  companion::require_report(report_path, dir, model_file, "kalvane-view");
  require_newer(done.model, report_path);

  model m;
  const report r = read_report_file(report_path);
  // kalvane-path's folder: its curve for the page, the load factor of its state for the
  // series, and the share of the prescribed displacements its report carries.
  std::optional<load_path> curve;
  const std::string path_csv = (dir / "path.csv").string();
  if (fs::exists(path_csv)) curve = read_load_path(read_whole_file(path_csv), path_csv);
  const bool curve_of_report = curve && written_with_report(path_csv, report_path);
  scene s;
  double alike = 0.0;
  if (model_file) {
    structure st = read_model_text(text, done.model);
    alike = alike_displacement(st.base);
    const prescribed_share share = curve_of_report ? share_of(curve, r, alike) : prescribed_share{};
    s = scene_of_model_file(std::move(st), done.model, r, report_path, share, m);
  } else {
    input_text(m, text, done.model);
    alike = alike_displacement(m);
    const prescribed_share share = curve_of_report ? share_of(curve, r, alike) : prescribed_share{};
    // kalvane draws what it solved, but a picture of a negative area or modulus is no
    // structure's: refused, naming the bar or material, as every companion refuses it.
    validate(structure_of(m));
    s = match(m, r, done.model, report_path, share);
    // Started as kalvane starts it: a bar without a length is refused, naming it (its
    // stretch and force would be NaN). After the join, which needs the read flags.
    run_plan starting;
    starting.first = starting.last = stage::start;
    run(m, starting);
    s.title = read_title(done.model);
    s.stretch = stretches(s);
    s.force = axial_forces(s, s.stretch);
  }
  std::optional<path_states> states;  // read once, for the loads of a state short of full load and the page
  if (curve_of_report) {
    s.solver = "kalvane-path";
    mark_short_of_full_load(s, *curve, r, alike, dir, states, done);
  }
  const colour_by colour = o.colour ? *o.colour : model_file ? colour_by::force : colour_by::stress;
  svg_options picture = o.picture;
  picture.colour = colour;

  // Every text is made before any file is written, so a failure leaves no half set.
  std::vector<std::pair<std::string, std::string>> files;
  if (o.write_svg) files.emplace_back((dir / "kalvane.svg").string(), render_svg(s, picture));
  if (o.write_vtk) add_vtk_files(files, dir, s, r, curve, alike, colour, done);
  if (o.write_html) {
    page p = page_of(m, r, s, curve, colour);
    add_states(p, dir, s, r, alike, done, std::move(states));
    files.emplace_back((dir / "kalvane.html").string(), render_html(p));
  }
  // And every file is written before any replaces the folder's own.
  companion::output_files staged;
  for (const auto& [path, file_text] : files) {
    // The states' folder beside the series.
    if (const fs::path folder = fs::path(path).parent_path(); !folder.empty() && !fs::is_directory(folder)) {
      std::error_code failed;
      fs::create_directories(folder, failed);
      if (failed) fail(name_error, "cannot create the folder " + folder.string() + ": " + failed.message());
    }
    companion::add_text(staged, path, file_text);
  }
  companion::put_in_place(staged);
  if (o.write_vtk && curve) remove_old_states(dir.string(), files);
  for (const auto& file : files) done.written.push_back(file.first);
  return done;
}

}  // namespace kalvane::view
