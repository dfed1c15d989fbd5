#pragma once
// kalvane-path's run: read input.txt, follow the loading path, and write the equilibrium it
// reaches in kalvane's three files, with the curve in path.csv and path.svg.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "newton/path.hpp"
#include "path/curve.hpp"
#include "path/ending.hpp"
#include "path/options.hpp"
#include "path/states.hpp"
#include "path/summary.hpp"
#include "structure/bar_results.hpp"
#include "structure/structure.hpp"

namespace kalvane::path {

struct outcome {
  int status = 0;  // the exit status (path/ending.hpp)
  std::string summary;
  // The written equilibrium: every component's displacement and whether it is prescribed
  // (3 per node), the reactions and each bar's answer, as the files give them.
  std::vector<double> displacements;
  std::vector<std::uint8_t> prescribed;
  bar_results bars;
  int iterations = 0;     // Newton iterations in all
  double energy = 0.0;    // the total potential the report gives
  double gradient = 0.0;  // the largest gradient component left
};

// Throws kalvane::error for bad input, a bad option value or a file that cannot be written.
outcome run_path(const options& o);
// A structure in the read state started (its unknowns numbered) and prepared (validated, its
// rest lengths and self-weight set).
void start_structure(structure& s);
// The same as run_path on a structure already read, started and prepared; `input_name` and its bytes are
// what is copied beside the results and named in the summary.
outcome run_path_on(structure s, const std::string& input_name, const std::string& input_bytes, const options& o);

// The path followed and the equilibrium it writes, held in memory: everything kalvane-path's
// files say, before any file is written (the Python module writes them only when asked).
struct path_run {
  structure given;      // started and prepared
  structure written;    // at the written state's loads, its unknowns the equilibrium written
  newton::path_finding path;
  ending end;
  curve c;
  newton::results results;
  summary_facts facts;  // its files and folder empty until the run is written
  std::string input_bytes;  // the model's text, copied beside the results
  std::vector<kept_state> kept;  // the states kept for path.states (path/states.hpp)
};

// Told of each converged point once the curve holds it (with what the point applies and its
// free displacements), on the structure's model; it may stop the path there (the path then
// ends `stopped`).
using point_observer =
    std::function<newton::path_control(const model& full, const curve_point& p, const newton::vector& x)>;

// Follows the path of a started and prepared structure, as run_path_on does, writing nothing.
path_run follow_run(structure s, const std::string& input_name, const std::string& input_bytes, const options& o,
                    const point_observer& observer = {});
// Writes the run's files into `folder` (made if missing) in kalvane-path's order: a copy of
// the model as model.json or input.txt (unless `model_there`, the very file already in the
// folder under that name), abaqusfile.inp, autocad.scr,
// output.txt, bars.csv, path.csv, path.svg, path.states. Returns their names, as the summary lists them.
// They replace the folder's files only once all were written (the report last), so a failure
// leaves the earlier run's files as they were.
std::vector<std::string> write_run(const path_run& r, const std::string& folder, bool model_there = false);

// The name the model's copy takes beside the results, whatever the file read was called:
// kalvane-check and kalvane-view look for a folder's model.json, then its input.txt.
std::string copy_name_of(const std::string& input_bytes);
// Only the written equilibrium's four files (abaqusfile.inp to bars.csv), also all or none.
void write_state_files(const path_run& r, const std::string& folder);
// The status, summary and arrays of the run; the summary names the files of `facts`.
outcome outcome_of(const path_run& r, const summary_facts& facts);
// Only the written equilibrium's arrays (status 0, no summary).
outcome state_of(const path_run& r);

// The written state again, without following the path: from the structure (started and
// prepared), what the state applies (the run's end.at), its free displacements and the Newton
// iterations it took. Its state files and arrays are the run's own, bit for bit; its curve,
// events and summary are empty. Throws data_error when x does not fit the structure.
path_run restore_run(structure given, const std::string& input_name, const std::string& input_bytes, applied at,
                     const newton::vector& x, int newton_steps);
// The written state's free displacements, for restore_run.
newton::vector free_displacements(const path_run& r);

}  // namespace kalvane::path
