#include "form/options.hpp"

#include <filesystem>

#include "error.hpp"

namespace kalvane::form {

namespace {

[[noreturn]] void usage_failure(const std::string& what) { fail(usage_error, what + " (see kalvane-form --help)"); }

}  // namespace

options parse_options(const std::vector<std::string>& args) {
  options o;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string arg = args[i], value;
    // Both "--dir DIR" and "--dir=DIR".
    const std::size_t eq = arg.find('=');
    const bool inline_value = arg.rfind("--", 0) == 0 && eq != std::string::npos;
    if (inline_value) value = arg.substr(eq + 1), arg = arg.substr(0, eq);
    auto take_value = [&](const char* what) {
      if (!inline_value) {
        if (i + 1 >= args.size()) usage_failure(arg + " needs a value");
        value = args[++i];
      }
      if (value.empty()) usage_failure(arg + " needs " + what + ", not an empty name");
      return value;
    };
    auto no_value = [&]() {
      if (inline_value) usage_failure(arg + " takes no value");
    };
    if (arg == "--help" || arg == "-h") no_value(), o.help = true;
    else if (arg == "--version") no_value(), o.version = true;
    else if (arg == "--dir") o.dir = take_value("a folder");
    else if (arg == "--out") o.out = take_value("a folder");
    else if (arg == "--model") o.model = take_value("a file");
    else usage_failure("unknown option '" + args[i] + "'");
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
