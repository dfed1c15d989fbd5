// The files of a finished run, as kalvane-check and kalvane-view find them: a missing file is
// refused saying which run makes it, and never asks for kalvane's run where only
// kalvane-path's can make it.
#include <gtest/gtest.h>

#include <filesystem>

#include "companion/run_folder.hpp"
#include "error.hpp"
#include "support.hpp"

namespace {

using kalvane_test::scratch_folder;
namespace kc = kalvane::companion;

template <class Call>
std::string refusal(Call call) {
  try {
    call();
  } catch (const kalvane::error& e) {
    return e.what();
  }
  return "";
}

}  // namespace

TEST(CompanionRunFolder, AMissingFileNamesTheRunThatMakesIt) {
  scratch_folder folder;
  const std::string report = folder / "output.txt";
  EXPECT_EQ(refusal([&] { kc::require_model((folder / "input.txt"), false); }),
            "cannot open " + (folder / "input.txt") +
                " (the folder holds no model.json, and input.txt cannot be read)");
  EXPECT_NE(refusal([&] { kc::require_model((folder / "net.json"), true); }).find("(named by --model)"),
            std::string::npos);
  EXPECT_NE(refusal([&] { kc::require_report(report, folder.path, false, "kalvane-check"); })
                .find("(has kalvane run in this directory?)"),
            std::string::npos);
  // A model file's report is kalvane-path's: where it wrote one, the hint names that folder.
  const std::string none = refusal([&] { kc::require_report(report, folder.path, true, "kalvane-check"); });
  EXPECT_NE(none.find("has kalvane-path run? it writes a model file's report into path/"), std::string::npos) << none;
  EXPECT_EQ(none.find("has kalvane run"), std::string::npos) << none;
  std::filesystem::create_directories(folder / "path");
  kalvane_test::write_file(folder / "path/output.txt", "");
  const std::string there = refusal([&] { kc::require_report(report, folder.path, true, "kalvane-check"); });
  EXPECT_NE(there.find("kalvane-path wrote this model's report into " + (folder / "path") +
                       ": kalvane-check --dir " + (folder / "path")),
            std::string::npos)
      << there;
  kalvane_test::write_file(report, "");
  EXPECT_EQ(refusal([&] { kc::require_report(report, folder.path, true, "kalvane-check"); }), "");
}
