// kalvane-generate: writes input.txt for a generated structure.
//   kalvane-generate net|tower BARS [--iterations K] [--memory M] [-o FILE]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "structures.hpp"

namespace {

int usage() {
  std::fprintf(stderr,
               "usage: kalvane-generate net|tower BARS [--iterations K] [--memory M] [-o FILE]\n"
               "  net    pretensioned square cable net, boundary pulled outward, normal loads\n"
               "  tower  braced space-frame tower of unit cubes, base held, top loaded\n"
               "  BARS   wanted number of bars (the nearest structure of that kind is built)\n"
               "  FILE   output file, input.txt by default; - for standard output\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return usage();
  structures::options o;
  if (std::strcmp(argv[1], "net") == 0)
    o.shape = structures::kind::net;
  else if (std::strcmp(argv[1], "tower") == 0)
    o.shape = structures::kind::tower;
  else
    return usage();
  char* end = nullptr;
  o.bars = std::strtoll(argv[2], &end, 10);
  if (*end != '\0' || o.bars < 1 || o.bars > 100000000) return usage();
  std::string path = "input.txt";
  for (int i = 3; i < argc; ++i) {
    const std::string arg = argv[i];
    if (i + 1 >= argc) return usage();
    if (arg == "--iterations")
      o.max_iterations = std::atoi(argv[++i]);
    else if (arg == "--memory")
      o.memory_size = std::atoi(argv[++i]);
    else if (arg == "-o")
      path = argv[++i];
    else
      return usage();
  }
  structures::summary info;
  const std::string text = structures::generate(o, &info);
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
  std::fprintf(stderr, "%lld nodes, %lld bars, %lld prescribed components, %lld loads, %zu bytes\n", info.nodes,
               info.bars, info.prescribed, info.loads, text.size());
  return 0;
}
