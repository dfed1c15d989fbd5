#include "support.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <gtest/gtest.h>

extern char** environ;

namespace kalvane_test {

namespace fs = std::filesystem;

scratch_folder::scratch_folder() {
  std::string pattern = (fs::path(::testing::TempDir()) / "kalvane-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed: " + pattern);
  path = pattern;
}

scratch_folder::~scratch_folder() {
  std::error_code ignored;
  fs::remove_all(path, ignored);
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void write_file(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::vector<std::string> folder_entries(const std::string& path) {
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(path)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

bool file_exists(const std::string& path) {
  std::error_code ignored;
  return fs::exists(path, ignored);
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(text.substr(start, end - start));
  if (start != text.size()) lines.push_back(text.substr(start));
  return lines;
}

namespace {

// Reads both pipes to their end while the child runs, so that neither can fill and stall it.
void drain(int out_fd, int err_fd, int in_fd, const std::string& input, program_result& r,
           std::chrono::steady_clock::time_point deadline, pid_t child) {
  std::size_t written = 0;
  if (in_fd >= 0 && input.empty()) ::close(in_fd), in_fd = -1;
  char buffer[1 << 15];
  while (out_fd >= 0 || err_fd >= 0) {
    pollfd fds[3];
    int count = 0;
    if (out_fd >= 0) fds[count++] = {out_fd, POLLIN, 0};
    if (err_fd >= 0) fds[count++] = {err_fd, POLLIN, 0};
    if (in_fd >= 0) fds[count++] = {in_fd, POLLOUT, 0};
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      ::kill(child, SIGKILL);
      r.status = 124;
      break;
    }
    if (::poll(fds, static_cast<nfds_t>(count), static_cast<int>(std::min<long long>(left.count(), 1000))) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (int k = 0; k < count; ++k) {
      if (fds[k].revents == 0) continue;
      if (fds[k].fd == in_fd) {
        const ssize_t n = ::write(in_fd, input.data() + written, input.size() - written);
        if (n > 0) written += static_cast<std::size_t>(n);
        if (n < 0 || written == input.size()) ::close(in_fd), in_fd = -1;
        continue;
      }
      const ssize_t n = ::read(fds[k].fd, buffer, sizeof buffer);
      std::string& sink = fds[k].fd == out_fd ? r.out : r.err;
      if (n > 0) {
        sink.append(buffer, static_cast<std::size_t>(n));
      } else if (n == 0 || errno != EINTR) {
        ::close(fds[k].fd);
        (fds[k].fd == out_fd ? out_fd : err_fd) = -1;
      }
    }
  }
  for (int fd : {out_fd, err_fd, in_fd})
    if (fd >= 0) ::close(fd);
}

}  // namespace

program_result run_program(const program_run& run) {
  int out_pipe[2], err_pipe[2], in_pipe[2];
  if (::pipe(out_pipe) != 0 || ::pipe(err_pipe) != 0 || ::pipe(in_pipe) != 0) throw std::runtime_error("pipe failed");
  std::vector<std::string> env_text;
  // An extra entry replaces an inherited one of its name: with both, getenv finds the first.
  auto named = [](const std::string& entry, const std::string& other) {
    const std::size_t equals = other.find('=');
    return entry.compare(0, equals + 1, other, 0, equals + 1) == 0;
  };
  for (char** e = environ; *e != nullptr; ++e) {
    bool replaced = false;
    for (const std::string& extra : run.environment) replaced = replaced || named(*e, extra);
    if (!replaced) env_text.emplace_back(*e);
  }
  for (const std::string& extra : run.environment) env_text.push_back(extra);
  std::vector<char*> env;
  for (std::string& e : env_text) env.push_back(e.data());
  env.push_back(nullptr);
  std::vector<std::string> argv_text{run.program};
  argv_text.insert(argv_text.end(), run.args.begin(), run.args.end());
  std::vector<char*> argv;
  for (std::string& a : argv_text) argv.push_back(a.data());
  argv.push_back(nullptr);

  const pid_t child = ::fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    ::dup2(in_pipe[0], 0);
    ::dup2(out_pipe[1], 1);
    ::dup2(err_pipe[1], 2);
    for (int fd : {in_pipe[0], in_pipe[1], out_pipe[0], out_pipe[1], err_pipe[0], err_pipe[1]}) ::close(fd);
    if (!run.folder.empty() && ::chdir(run.folder.c_str()) != 0) ::_exit(126);
    if (run.file_size_limit > 0) {
      const rlimit limit{static_cast<rlim_t>(run.file_size_limit), static_cast<rlim_t>(run.file_size_limit)};
      if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(126);
      ::signal(SIGXFSZ, SIG_IGN);  // kept across execve
    }
    ::execve(run.program.c_str(), argv.data(), env.data());
    ::_exit(127);
  }
  ::close(in_pipe[0]);
  ::close(out_pipe[1]);
  ::close(err_pipe[1]);
  // A child that stops reading its input must not end this process.
  ::signal(SIGPIPE, SIG_IGN);
  program_result r;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(run.seconds);
  drain(out_pipe[0], err_pipe[0], in_pipe[1], run.input, r, deadline, child);
  int raw = 0;
  while (::waitpid(child, &raw, 0) < 0 && errno == EINTR) {
  }
  if (r.status != 124) r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + (WIFSIGNALED(raw) ? WTERMSIG(raw) : 0);
  return r;
}

program_result run_kalvane(const std::string& folder) {
  program_run run;
  run.program = kalvane_exe();
  run.folder = folder;
  return run_program(run);
}

bool parse_error_report(const std::string& err, std::string& name, std::string& message) {
  const std::string prefix = "\nraised ";
  if (err.rfind(prefix, 0) != 0 || err.back() != '\n') return false;
  const std::string line = err.substr(prefix.size(), err.size() - prefix.size() - 1);
  if (line.find('\n') != std::string::npos) return false;
  const std::size_t colon = line.find(" : ");
  if (colon == std::string::npos || colon == 0) return false;
  name = line.substr(0, colon);
  message = line.substr(colon + 3);
  return !message.empty() && name.find(' ') == std::string::npos;
}

std::string kalvane_exe() { return KALVANE_EXE; }
std::string view_exe() { return KALVANE_VIEW_EXE; }
program_result run_on_a_terminal(const std::string& program, const std::string& folder) {
  program_run run;
  run.program = "/usr/bin/script";
  run.args = {"-qec", "'" + program + "'", "/dev/null"};
  run.folder = folder;
  run.environment = {"KALVANE_PROGRESS_AFTER_MS=0"};
  return run_program(run);
}

std::string check_exe() { return KALVANE_CHECK_EXE; }
std::string path_exe() { return KALVANE_PATH_EXE; }
std::string form_exe() { return KALVANE_FORM_EXE; }
std::string source_path(const std::string& relative) { return std::string(KALVANE_SOURCE_DIR) + "/" + relative; }

}  // namespace kalvane_test
