#pragma once
// What many tests need: a scratch folder that goes away however the test ends, whole files
// read and written, and a program started with its status and streams captured.
#include <string>
#include <vector>

namespace kalvane_test {

// A fresh folder under the test temporary directory, removed with everything in it when
// the object goes, also when a failed assertion ends the test early.
struct scratch_folder {
  std::string path;
  scratch_folder();
  ~scratch_folder();
  scratch_folder(const scratch_folder&) = delete;
  scratch_folder& operator=(const scratch_folder&) = delete;
  // The path of `name` inside the folder.
  std::string operator/(const std::string& name) const { return path + "/" + name; }
};

// The names in a folder, sorted; hidden ones too.
std::vector<std::string> folder_entries(const std::string& path);

// The whole file; an empty string when it cannot be read (see file_exists).
std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& text);
bool file_exists(const std::string& path);
// The lines of a text, without their line feeds.
std::vector<std::string> lines_of(const std::string& text);

struct program_result {
  int status = -1;  // exit status; 128 + n after signal n; 124 when the time limit ended it
  std::string out, err;
};

struct program_run {
  std::string program;             // path of the executable
  std::vector<std::string> args;   // its arguments, passed as they are (no shell)
  std::string folder;              // working folder; empty for the test's own
  std::string input;               // standard input
  std::vector<std::string> environment;  // extra NAME=value entries
  // The largest file the program may write, in bytes (0: no limit). A write past it fails
  // as on a full disk (EFBIG) instead of ending the program.
  long long file_size_limit = 0;
  // Only a guard against a hang: far above any run of the tests on the slowest machine
  // (a sanitizer build under load), so that no outcome depends on speed.
  int seconds = 900;
};

// Starts the program and waits for it, its standard streams captured.
program_result run_program(const program_run& run);
// kalvane as a user runs it: in `folder`, with no arguments.
program_result run_kalvane(const std::string& folder);
// `program` in `folder` on a pseudo-terminal of script(1), which copies what it shows (both
// streams) to `out`; the progress lines drawn from the first moment on.
program_result run_on_a_terminal(const std::string& program, const std::string& folder);

// A failed run's report on standard error: an empty line, then "raised NAME : message" and
// a line end, nothing more. Gives NAME and the message, or false for any other form.
bool parse_error_report(const std::string& err, std::string& name, std::string& message);

// The programs of this build.
std::string kalvane_exe();
std::string view_exe();
std::string check_exe();
std::string path_exe();
std::string form_exe();
// A file of the source tree, e.g. source_path("examples/single_bar/input.txt").
std::string source_path(const std::string& relative);

}  // namespace kalvane_test
