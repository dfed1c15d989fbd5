#include "view/app.hpp"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "check/freshness.hpp"
#include "error.hpp"
#include "model/input.hpp"
#include "view/html.hpp"
#include "view/report_reader.hpp"
#include "view/scene.hpp"
#include "view/title.hpp"
#include "view/vtk.hpp"

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

void require_readable(const std::string& path) {
  if (!std::ifstream(path)) fail(name_error, "cannot open " + path + " (has kalvane run in this directory?)");
}

// The page's data: the scene, with what only the model and the folder hold.
page page_of(const model& m, const report& r, const scene& s, const std::filesystem::path& dir) {
  page p;
  p.shape = s;
  p.material = material_text(m);
  p.marks = marks_of(s, r);
  const std::string path_csv = (dir / "path.csv").string();
  if (std::filesystem::exists(path_csv)) p.path = read_load_path(read_whole_file(path_csv), path_csv);
  return p;
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
         "Draws the result of a finished kalvane run: reads input.txt and output.txt and\n"
         "writes kalvane.svg (a picture) and kalvane.vtk (for ParaView) in the same directory.\n"
         "\n"
         "  --dir DIR          the run's directory (default: the current directory)\n"
         "  --view V           projection of the picture: xy, xz, yz, iso (from (1, -1, 1)) or\n"
         "                     auto (default: the oblique view that sees the fewest bars end-on)\n"
         "  --magnify K        multiply displacements by K in the picture (default 1);\n"
         "                     'auto' makes the largest one 10% of the structure's size\n"
         "  --svg-only         write only kalvane.svg\n"
         "  --vtk-only         write only kalvane.vtk\n"
         "  --html             write only kalvane.html, a page that shows the result in 3-D\n"
         "                     (with kalvane-path's curve when path.csv is there)\n"
         "  --help             show this text\n"
         "  --version          show the version\n";
}

std::vector<std::string> run_view(const options& o) {
  namespace fs = std::filesystem;
  const fs::path dir(o.dir);
  const std::string input_path = (dir / "input.txt").string();
  const std::string report_path = (dir / "output.txt").string();
  require_readable(input_path);
  require_readable(report_path);
  require_newer(input_path, report_path);

  model m;
  input(m, input_path);
  const report r = read_report_file(report_path);
  scene s = match(m, r, input_path, report_path);
  s.title = read_title(input_path);

  // Both texts are made before either file is written, so a failure leaves no half pair.
  std::vector<std::pair<std::string, std::string>> files;
  if (o.write_svg) files.emplace_back((dir / "kalvane.svg").string(), render_svg(s, o.picture));
  if (o.write_vtk) files.emplace_back((dir / "kalvane.vtk").string(), render_vtk(s));
  if (o.write_html) files.emplace_back((dir / "kalvane.html").string(), render_html(page_of(m, r, s, dir)));
  std::vector<std::string> written;
  for (const auto& [path, text] : files) {
    write_whole_file(path, text);
    written.push_back(path);
  }
  return written;
}

}  // namespace kalvane::view
