#include "form/options.hpp"

#include <filesystem>

#include "companion/command_line.hpp"
#include "error.hpp"

namespace kalvane::form {

options parse_options(const std::vector<std::string>& args) {
  options o;
  companion::command_line line{args, " (see kalvane-form --help)"};
  while (line.next()) {
    const std::string& arg = line.option;
    if (arg == "--help" || arg == "-h") line.no_value(), o.help = true;
    else if (arg == "--version") line.no_value(), o.version = true;
    else if (arg == "--dir") o.dir = line.name_value("a folder");
    else if (arg == "--out") o.out = line.name_value("a folder");
    else if (arg == "--model") o.model = line.name_value("a file");
    else line.unknown();
  }
  return o;
}

std::string usage_text() {
  return "Usage: kalvane-form [--dir DIR] [--model FILE] [--out DIR]\n"
         "Finds the equilibrium shape of a cable net or tensegrity from its force densities, or\n"
         "from target forces and lengths (the \"form\" section of the model file), gives each\n"
         "bar the rest length at which its material carries its force there, and writes the\n"
         "analysis model (model.json), the table form.csv and the picture form.svg into the\n"
         "folder form/ beside the model.\n"
         "\n"
         "  --dir DIR         the folder of the model (default: the current directory); its\n"
         "                    model.json when it has one, else its input.txt\n"
         "  --model FILE      the model file (or an input.txt) to read instead\n"
         "  --out DIR         write the files into DIR instead of form/ beside the model\n"
         "  --help            show this text\n"
         "  --version         show the version\n"
         "\n"
         "Exit status: 0 the shape found (every target met); 2 targets not met (the best shape\n"
         "found is written and the worst bars are named); 1 bad input or option.\n";
}

std::string output_folder(const options& o, const std::string& input_name) {
  return o.out.empty() ? (std::filesystem::path(input_name).parent_path() / "form").string() : o.out;
}

}  // namespace kalvane::form
