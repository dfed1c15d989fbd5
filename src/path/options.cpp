#include "path/options.hpp"

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "companion/command_line.hpp"
#include "error.hpp"

namespace kalvane::path {

namespace {

[[noreturn]] void usage_failure(const std::string& what) { fail(usage_error, what + " (see kalvane-path --help)"); }

int32_t node_number(const std::string& text) {
  char* end = nullptr;
  errno = 0;
  const long long value = std::strtoll(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno != 0 || value < 1 || value > INT32_MAX)
    usage_failure("--watch takes a node number of 1 or more, not '" + text + "'");
  return static_cast<int32_t>(value);
}

int component_number(const std::string& text) {
  if (text == "1" || text == "X" || text == "x") return 1;
  if (text == "2" || text == "Y" || text == "y") return 2;
  if (text == "3" || text == "Z" || text == "z") return 3;
  usage_failure("--watch takes a component 1, 2, 3 or X, Y, Z, not '" + text + "'");
}

}  // namespace

options parse_options(const std::vector<std::string>& args) {
  options o;
  companion::command_line line{args, " (see kalvane-path --help)"};
  while (line.next()) {
    const std::string& arg = line.option;
    if (arg == "--help" || arg == "-h") line.no_value(), o.help = true;
    else if (arg == "--version") line.no_value(), o.version = true;
    else if (arg == "--trace") line.no_value(), o.trace = true;
    else if (arg == "--dir") o.dir = line.name_value("a folder");
    else if (arg == "--out") o.out = line.name_value("a folder");
    else if (arg == "--model") o.model = line.name_value("a file");
    else if (arg == "--loading") {
      const std::string how = line.value();
      if (how == "staged") o.how = newton::loading::staged;
      else if (how == "together") o.how = newton::loading::together;
      else usage_failure("--loading takes staged or together, not '" + how + "'");
    } else if (arg == "--watch") {
      // NODE COMPONENT, or --watch=NODE,COMPONENT.
      component_ref w;
      if (line.has_inline) {
        const std::string& value = line.inline_value;
        const std::size_t comma = value.find(',');
        if (comma == std::string::npos) usage_failure("--watch= takes NODE,COMPONENT, not '" + value + "'");
        w.node = node_number(value.substr(0, comma));
        w.component = component_number(value.substr(comma + 1));
      } else {
        const std::vector<std::string> given = line.following(2, "--watch needs a node and a component");
        w.node = node_number(given[0]);
        w.component = component_number(given[1]);
      }
      o.watch = w;
    } else {
      line.unknown();
    }
  }
  return o;
}

std::string usage_line() {
  return "Usage: kalvane-path [--dir DIR] [--model FILE] [--out DIR] [--loading staged|together] [--watch NODE "
         "COMPONENT] [--trace]";
}

std::string usage_text() {
  return usage_line() +
         "\n"
         "Follows the loading path of the structure in the model file (model.json) or input.txt\n"
         "from its unloaded shape to full load, as the structure goes: at a bifurcation point it\n"
         "switches to the bifurcated branch, and where no stable state is left on its branch (a\n"
         "limit point, unstable branches) it jumps at that load to the stable state the structure\n"
         "falls into. It writes the equilibrium it reaches in kalvane's three files (output.txt,\n"
         "autocad.scr, abaqusfile.inp, with a copy of the model), each bar's force in bars.csv,\n"
         "and the load-displacement curve (path.csv, path.svg) into the folder path/ beside the\n"
         "model.\n"
         "\n"
         "  --dir DIR         the folder of the model (default: the current directory); its\n"
         "                    model.json when it has one, else its input.txt\n"
         "  --model FILE      the model file (or an input.txt) to read instead\n"
         "  --out DIR         write the files into DIR instead of path/ beside the model\n"
         "  --loading HOW     staged (default): the prestress first (prescribed displacements\n"
         "                    and rest lengths), with no load, then the self-weight, then the\n"
         "                    loads; together: all rise by one load factor\n"
         "  --watch NODE C    the displacement component the curve follows (C: 1, 2, 3 or\n"
         "                    X, Y, Z; default: the one that moves most at the end)\n"
         "  --trace           follow the branch from the unloaded shape through its limit\n"
         "                    points and along its unstable stretches instead: the complete\n"
         "                    equilibrium curve, with no branch switch and no jump\n"
         "  --help            show this text\n"
         "  --version         show the version\n"
         "\n"
         "Exit status: 0 full load reached on a stable equilibrium, with no event on the way;\n"
         "3 full load reached on a stable equilibrium by a snap-through, a jump or a branch\n"
         "switch; 2 no stable equilibrium found at full load (the files hold the last stable\n"
         "point); 1 bad input or option.\n";
}

std::string output_folder(const options& o) {
  return o.out.empty() ? (std::filesystem::path(o.dir) / "path").string() : o.out;
}

}  // namespace kalvane::path
