// Every bundled example, run as a user runs it, must reproduce its checked-in files to
// the byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support.hpp"

using namespace kalvane_test;
namespace fs = std::filesystem;

TEST(Examples, EveryExampleReproducesItsFilesByteForByte) {
  int checked = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(source_path("examples"))) {
    const fs::path input = entry.path() / "input.txt";
    if (!fs::exists(input)) continue;
    const std::string name = entry.path().filename().string();
    scratch_folder dir;
    fs::copy_file(input, dir / "input.txt");
    const program_result r = run_kalvane(dir.path);
    EXPECT_EQ(r.status, 0) << name;
    EXPECT_EQ(r.out, "") << name;
    EXPECT_EQ(r.err, "") << name;
    for (const char* file : {"abaqusfile.inp", "autocad.scr", "output.txt"})
      EXPECT_EQ(read_file(dir / file), read_file((entry.path() / "expected" / file).string())) << name << ": " << file;
    ++checked;
  }
  EXPECT_GE(checked, 4);
}
