#include "check/calculix_run.hpp"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <cstdlib>
#include <thread>

namespace kalvane::check {

std::string find_program(const std::string& command) {
  if (command.empty()) return {};
  // Absolute, since ccx is started in another folder.
  auto absolute = [](const std::string& p) { return std::filesystem::absolute(p).string(); };
  if (command.find('/') != std::string::npos) return ::access(command.c_str(), X_OK) == 0 ? absolute(command) : std::string();
  const char* path = std::getenv("PATH");
  std::string rest = path != nullptr ? path : "";
  std::size_t start = 0;
  while (start <= rest.size()) {
    std::size_t end = rest.find(':', start);
    if (end == std::string::npos) end = rest.size();
    std::string dir = rest.substr(start, end - start);
    if (dir.empty()) dir = ".";
    const std::string candidate = dir + "/" + command;
    if (::access(candidate.c_str(), X_OK) == 0) return absolute(candidate);
    start = end + 1;
  }
  return {};
}

int run_ccx(const std::string& program, const std::string& job, const std::string& folder, const std::string& log_path,
            int seconds) {
  const pid_t child = ::fork();
  if (child < 0) return -1;
  if (child == 0) {
    // One thread: the result must not depend on how the solver splits its work.
    ::setenv("OMP_NUM_THREADS", "1", 1);
    const int log = ::open(log_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int nothing = ::open("/dev/null", O_RDONLY);
    if (log < 0 || nothing < 0 || ::chdir(folder.c_str()) != 0) ::_exit(127);
    ::dup2(nothing, 0);
    ::dup2(log, 1);
    ::dup2(log, 2);
    ::execl(program.c_str(), program.c_str(), "-i", job.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  int status = 0;
  while (true) {
    const pid_t done = ::waitpid(child, &status, WNOHANG);
    if (done == child) break;
    if (done < 0) return -1;
    if (std::chrono::steady_clock::now() >= deadline) {
      ::kill(child, SIGKILL);
      ::waitpid(child, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace kalvane::check
