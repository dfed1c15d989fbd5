// kalvane-generate: writes input.txt for a generated structure.
//   kalvane-generate net|tower BARS [--tolerance T] [--iterations K] [--memory M] [-o FILE]
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "structures.hpp"

namespace {

const char* const usage_line =
    "usage: kalvane-generate net|tower BARS [--tolerance T] [--iterations K] [--memory M] [-o FILE]\n";

const char* const help_text =
    "\n"
    "Writes the input.txt of a generated structure for kalvane, and a line of its counts to\n"
    "standard error.\n"
    "\n"
    "  net             pretensioned square cable net, boundary pulled outward, normal loads\n"
    "  tower           braced space-frame tower of unit cubes, base held, top loaded\n"
    "  BARS            wanted number of bars, 1 to 100000000 (the nearest structure of that\n"
    "                  kind is built)\n"
    "  --tolerance T   the gradient tolerance written into the settings (default: below)\n"
    "  --iterations K  the iteration limit written into the settings (default: below)\n"
    "  --memory M      the number of correction pairs written into the settings (default 5)\n"
    "  -o FILE         the output file, input.txt by default; - for standard output\n"
    "  --help          print this text\n"
    "  --version       print the version\n"
    "\n"
    "The settings line is: line-search sigma 0.9, 20 line-search steps, the gradient\n"
    "tolerance, gradient reference 0 (so that the tolerance is relative to the largest\n"
    "gradient component at the start), the iteration limit, 5 correction pairs. By default\n"
    "the tolerance and the\n"
    "limit fit the size, so that kalvane converges and kalvane-check certifies the report\n"
    "right to 3 digits: a net takes 1e-6 up to 100 000 bars and 1e-7 beyond; a tower 1e-4\n"
    "up to 20 000 bars, 1e-5 up to 200 000 and 1e-6 beyond. The limit is the square root\n"
    "of the bars times 24 for a net and 100 for a tower, in whole thousands, at least 1000\n"
    "(about four times what they need).\n";

// A refused command line: why, on one line, then the usage line; nothing is written.
int refuse(const std::string& why) {
  std::fprintf(stderr, "kalvane-generate: %s\n%s", why.c_str(), usage_line);
  return 2;
}

// The whole of `text` as a decimal integer in low..high.
bool integer_in(const char* text, long long low, long long high, long long& value) {
  char* end = nullptr;
  errno = 0;
  value = std::strtoll(text, &end, 10);
  return end != text && *end == '\0' && errno == 0 && value >= low && value <= high;
}

int write(const std::string& path, const std::string& text) {
  std::FILE* out = path == "-" ? stdout : std::fopen(path.c_str(), "wb");
  if (out == nullptr) {
    std::perror(path.c_str());
    return 1;
  }
  const bool ok = std::fwrite(text.data(), 1, text.size(), out) == text.size();
  if ((out != stdout ? std::fclose(out) : std::fflush(out)) != 0 || !ok) {
    std::perror(path.c_str());
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  structures::options o;
  std::string path = "input.txt";
  const char* shape = nullptr;
  const char* bars = nullptr;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help") {
      std::fputs(usage_line, stdout);
      std::fputs(help_text, stdout);
      return std::fflush(stdout) == 0 ? 0 : 1;
    }
    if (arg == "--version") {
      std::fputs("kalvane-generate " KALVANE_VERSION "\n", stdout);
      return std::fflush(stdout) == 0 ? 0 : 1;
    }
    if (arg == "--tolerance" || arg == "--iterations" || arg == "--memory" || arg == "-o") {
      if (i + 1 >= argc) return refuse(arg + " needs a value");
      const char* value = argv[++i];
      long long number = 0;
      if (arg == "-o") {
        path = value;
      } else if (arg == "--tolerance") {
        char* end = nullptr;
        errno = 0;
        const double tolerance = std::strtod(value, &end);
        if (end == value || *end != '\0' || errno != 0 || !(tolerance > 0.0) || !(tolerance < 1.0))
          return refuse(std::string("--tolerance takes a number above 0 and below 1, not '") + value + "'");
        o.tolerance = tolerance;
      } else if (arg == "--iterations") {
        if (!integer_in(value, 0, INT32_MAX, number))
          return refuse(std::string("--iterations takes an integer from 0 to 2147483647, not '") + value + "'");
        o.max_iterations = static_cast<int32_t>(number);
      } else {
        if (!integer_in(value, 1, INT32_MAX, number))
          return refuse(std::string("--memory takes an integer from 1 to 2147483647, not '") + value + "'");
        o.memory_size = static_cast<int32_t>(number);
      }
    } else if (arg.size() > 1 && arg[0] == '-') {
      return refuse("unknown option '" + arg + "'");
    } else if (shape == nullptr) {
      shape = argv[i];
    } else if (bars == nullptr) {
      bars = argv[i];
    } else {
      return refuse("unexpected argument '" + arg + "'");
    }
  }
  if (shape == nullptr) return refuse("the structure (net or tower) is missing");
  const std::string shape_name = shape;
  if (shape_name == "net")
    o.shape = structures::kind::net;
  else if (shape_name == "tower")
    o.shape = structures::kind::tower;
  else
    return refuse("the structure is net or tower, not '" + shape_name + "'");
  if (bars == nullptr) return refuse("the number of bars is missing");
  if (!integer_in(bars, 1, 100000000, o.bars))
    return refuse(std::string("the number of bars is an integer from 1 to 100000000, not '") + bars + "'");

  structures::summary info;
  const std::string text = structures::generate(o, &info);
  if (write(path, text) != 0) return 1;
  std::fprintf(stderr, "%lld nodes, %lld bars, %lld prescribed components, %lld loads, %zu bytes\n", info.nodes,
               info.bars, info.prescribed, info.loads, text.size());
  return 0;
}
