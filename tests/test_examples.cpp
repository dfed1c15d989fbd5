// Every bundled example, run as a user runs it, must reproduce its checked-in files to
// the byte.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

std::string slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace

TEST(Examples, EveryExampleReproducesItsFilesByteForByte) {
  const fs::path examples = fs::path(KALVANE_SOURCE_DIR) / "examples";
  int checked = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(examples)) {
    const fs::path input = entry.path() / "input.txt";
    if (!fs::exists(input)) continue;
    const std::string name = entry.path().filename().string();
    const fs::path dir = fs::temp_directory_path() / ("kalvane_example_" + name + "_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::copy_file(input, dir / "input.txt");
    const std::string command = "cd '" + dir.string() + "' && '" KALVANE_EXE "' >stdout.log 2>stderr.log";
    const int raw = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << name;
    EXPECT_EQ(slurp(dir / "stdout.log"), "") << name;
    EXPECT_EQ(slurp(dir / "stderr.log"), "") << name;
    for (const char* file : {"abaqusfile.inp", "autocad.scr", "output.txt"})
      EXPECT_EQ(slurp(dir / file), slurp(entry.path() / "expected" / file)) << name << ": " << file;
    fs::remove_all(dir);
    ++checked;
  }
  EXPECT_GE(checked, 4);
}
