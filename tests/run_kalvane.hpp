#pragma once
// Runs the kalvane executable in a directory of its own and collects what it leaves.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

namespace kalvane_test {

namespace fs = std::filesystem;

inline std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline void write_file(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

// A fresh directory, removed with everything in it when the object goes.
struct scratch_dir {
  fs::path root;   // holds the run's directory and its captured streams
  fs::path path;   // the run's working directory
  scratch_dir() {
    std::string pattern = (fs::path(::testing::TempDir()) / "kalvane-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    root = pattern;
    path = root / "run";
    fs::create_directory(path);
  }
  ~scratch_dir() {
    std::error_code ignored;
    fs::remove_all(root, ignored);
  }
  scratch_dir(const scratch_dir&) = delete;
  scratch_dir& operator=(const scratch_dir&) = delete;
};

struct run_result {
  int status = -1;  // exit status; 124 when the time limit ended it, 128 + n after signal n
  std::string out, err;
};

// Runs kalvane in `dir.path` under a time limit, standard streams captured.
inline run_result run_kalvane(const scratch_dir& dir, int seconds = 120) {
  const std::string command = "cd '" + dir.path.string() + "' && timeout -k 5 " + std::to_string(seconds) + " '" +
                              KALVANE_EXE + "' >'" + (dir.root / "stdout").string() + "' 2>'" +
                              (dir.root / "stderr").string() + "'";
  const int raw = std::system(command.c_str());
  run_result r;
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + (WIFSIGNALED(raw) ? WTERMSIG(raw) : 0);
  r.out = read_file(dir.root / "stdout");
  r.err = read_file(dir.root / "stderr");
  return r;
}

// The report's form: an empty line, then "raised NAME : message" and a line end, nothing
// more. Gives NAME and the message, or false when the text has another form.
inline bool parse_report(const std::string& err, std::string& name, std::string& message) {
  const std::string prefix = "\nraised ";
  if (err.rfind(prefix, 0) != 0 || err.empty() || err.back() != '\n') return false;
  const std::string line = err.substr(prefix.size(), err.size() - prefix.size() - 1);
  if (line.find('\n') != std::string::npos) return false;
  const std::size_t colon = line.find(" : ");
  if (colon == std::string::npos || colon == 0) return false;
  name = line.substr(0, colon);
  message = line.substr(colon + 3);
  return !message.empty() && name.find(' ') == std::string::npos;
}

}  // namespace kalvane_test
