#include "companion/run_folder.hpp"

#include <fstream>

#include "error.hpp"

namespace kalvane::companion {

void require_model(const std::string& path, bool named) {
  if (!std::ifstream(path))
    fail(name_error, "cannot open " + path +
                         (named ? " (named by --model)" : " (the folder holds no model.json, and input.txt cannot be read)"));
}

void require_report(const std::string& report_path, const std::filesystem::path& dir, bool model_file,
                    const std::string& program) {
  if (std::ifstream(report_path)) return;
  if (!model_file) fail(name_error, "cannot open " + report_path + " (has kalvane run in this directory?)");
  // kalvane reads only input.txt: a model file's report is kalvane-path's, in path/ beside
  // it, which the failure names when it is there.
  const std::filesystem::path theirs = dir / "path";
  std::error_code failed;
  fail(name_error, "cannot open " + report_path +
                       (std::filesystem::exists(theirs / "output.txt", failed)
                            ? " (kalvane-path wrote this model's report into " + theirs.string() + ": " + program +
                                  " --dir " + theirs.string() + ")"
                            : " (has kalvane-path run? it writes a model file's report into path/, or the folder --out "
                              "names)"));
}

}  // namespace kalvane::companion
