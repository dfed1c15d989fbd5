#include "check/freshness.hpp"

#include <filesystem>
#include <optional>

#include "error.hpp"
#include "view/load_path.hpp"
#include "view/scene.hpp"

namespace kalvane {

void require_newer(const std::string& input_path, const std::string& report_path) {
  namespace fs = std::filesystem;
  std::error_code input_failed, report_failed;
  const auto input_time = fs::last_write_time(input_path, input_failed);
  const auto report_time = fs::last_write_time(report_path, report_failed);
  if (input_failed || report_failed) return;  // opening the files reports what is wrong with them
  // kalvane reads only input.txt; a model file's report is kalvane-path's, and so is one that
  // path.csv was written with.
  const bool input_txt = fs::path(input_path).filename() == "input.txt" &&
                         !view::written_with_report((fs::path(report_path).parent_path() / "path.csv").string(), report_path);
  if (report_time < input_time)
    fail(data_error, report_path + ":1: written before " + input_path +
                         " was last changed, so it is not the result of this input (did the last run fail? run " +
                         (input_txt ? "kalvane" : "kalvane-path") + " again)");
}

std::string short_of_full_load(const model& m, const view::report& r, const std::string& report_path) {
  namespace fs = std::filesystem;
  const fs::path csv = fs::path(report_path).parent_path() / "path.csv";
  if (!view::written_with_report(csv.string(), report_path)) return "";
  try {
    const view::load_path path = view::read_load_path(view::read_whole_file(csv.string()), csv.string());
    const std::optional<std::size_t> at = view::point_of_report(path, r, view::alike_displacement(m));
    return at ? view::short_of_full_load(path, *at) : "";
  } catch (const error&) {
    return "";  // a path.csv that does not read says nothing of the report
  }
}

void require_same_model(const model& m, const view::report& r, const std::string& input_path,
                        const std::string& report_path) {
  // The viewer's join checks the counts and the prescribed displacements; what it builds
  // is not needed here.
  try {
    (void)view::match(m, r, input_path, report_path);
  } catch (const error& e) {
    // A report of kalvane-path's that stopped short of full load holds part of the prescribed
    // displacements: it is no earlier run's, and no answer to check either.
    const std::string where = short_of_full_load(m, r, report_path);
    if (where.empty()) throw;
    fail(data_error, report_path + ": kalvane-path wrote there the state it reached short of full load (" + where +
                         ", path.csv), which carries only part of " + input_path +
                         "'s prescribed displacements and is no answer to check: kalvane-path's summary says why the "
                         "path stopped");
  }
}

}  // namespace kalvane
