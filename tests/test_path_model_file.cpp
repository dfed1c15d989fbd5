// kalvane-path on a model file against kalvane-path on the input.txt it was made from: every
// bundled example and every case of the conformance set beside the source tree (when it is
// there) that kalvane reads gives the same run, its equilibrium to the bit.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "error.hpp"
#include "model/input.hpp"
#include "path/app.hpp"
#include "structure/model_file.hpp"
#include "support.hpp"

namespace {

namespace fs = std::filesystem;
using kalvane_test::scratch_folder;

// The input.txt files of the examples and of the conformance cases, in a stable order.
std::vector<fs::path> inputs() {
  std::vector<fs::path> found;
  for (const char* where : {"examples", "../shared/conformance/cases"}) {
    const fs::path root = kalvane_test::source_path(where);
    if (!fs::is_directory(root)) continue;
    for (const fs::directory_entry& entry : fs::directory_iterator(root))
      if (fs::exists(entry.path() / "input.txt")) found.push_back(entry.path() / "input.txt");
  }
  std::sort(found.begin(), found.end());
  return found;
}

// Larger models add time, not cases the smaller ones lack.
constexpr int32_t most_unknowns = 3000;

}  // namespace

TEST(PathModelFile, EveryInputTxtSolvedAsItsModelFileGivesTheSameEquilibriumToTheBit) {
  int compared = 0;
  for (const fs::path& input : inputs()) {
    SCOPED_TRACE(input.string());
    kalvane::structure s;
    try {
      s = kalvane::read_structure(input.string());
      kalvane::path::start_structure(s);
    } catch (const kalvane::error&) {
      continue;  // a case of bad input: nothing to solve either way
    }
    if (s.base.free_count > most_unknowns) continue;
    scratch_folder folder;
    fs::copy_file(input, folder / "input.txt");
    kalvane::write_model_file(kalvane::read_structure(input.string()), folder / "model.json");
    kalvane::path::options from_input, from_model;
    from_input.model = folder / "input.txt";
    from_input.out = folder / "from_input";
    from_model.model = folder / "model.json";
    from_model.out = folder / "from_model";
    kalvane::path::outcome a, b;
    try {
      a = kalvane::path::run_path(from_input);
    } catch (const kalvane::error& e) {
      // The structure kalvane-path refuses from input.txt it refuses from the model file too.
      EXPECT_THROW(kalvane::path::run_path(from_model), kalvane::error) << e.what();
      continue;
    }
    b = kalvane::path::run_path(from_model);
    EXPECT_EQ(a.status, b.status);
    ASSERT_EQ(a.displacements.size(), b.displacements.size());
    for (std::size_t k = 0; k < a.displacements.size(); ++k)
      ASSERT_EQ(std::bit_cast<std::uint64_t>(a.displacements[k]), std::bit_cast<std::uint64_t>(b.displacements[k]))
          << "component " << k;
    ASSERT_EQ(a.bars.force.size(), b.bars.force.size());
    for (std::size_t e = 0; e < a.bars.force.size(); ++e)
      ASSERT_EQ(std::bit_cast<std::uint64_t>(a.bars.force[e]), std::bit_cast<std::uint64_t>(b.bars.force[e])) << "bar " << e + 1;
    // The summary names the file it read first and the files it wrote last; between, the same run.
    const auto body = [](const std::string& text) {
      const std::size_t first = text.find('\n');
      return text.substr(first, text.find("Wrote into") - first);
    };
    EXPECT_EQ(body(a.summary), body(b.summary));
    ++compared;
  }
  EXPECT_GE(compared, 4);
  std::printf("  %d models solved from input.txt and from their model files\n", compared);
}
