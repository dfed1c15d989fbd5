#include "check/freshness.hpp"

#include <filesystem>

#include "error.hpp"
#include "view/scene.hpp"

namespace kalvane {

void require_newer(const std::string& input_path, const std::string& report_path) {
  namespace fs = std::filesystem;
  std::error_code input_failed, report_failed;
  const auto input_time = fs::last_write_time(input_path, input_failed);
  const auto report_time = fs::last_write_time(report_path, report_failed);
  if (input_failed || report_failed) return;  // opening the files reports what is wrong with them
  // kalvane reads only input.txt; a model file's report is kalvane-path's.
  const bool input_txt = fs::path(input_path).filename() == "input.txt";
  if (report_time < input_time)
    fail(data_error, report_path + ":1: written before " + input_path +
                         " was last changed, so it is not the result of this input (did the last run fail? run " +
                         (input_txt ? "kalvane" : "kalvane-path") + " again)");
}

void require_same_model(const model& m, const view::report& r, const std::string& input_path,
                        const std::string& report_path) {
  // The viewer's join checks the counts and the prescribed displacements; what it builds
  // is not needed here.
  (void)view::match(m, r, input_path, report_path);
}

}  // namespace kalvane
