#include "companion/output_files.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "error.hpp"

namespace kalvane::companion {
namespace {

[[noreturn]] void system_failure(const char* name, const std::string& path, int error_number) {
  fail(name, path + ": " + std::strerror(error_number));
}

// Beside the target, hidden, and told apart by the process and a count, so that runs side by
// side (threads or processes) never write to the same temporary file.
std::string temporary_name(const std::string& target, unsigned long count) {
  const std::filesystem::path path(target);
  const std::string name =
      "." + path.filename().string() + "." + std::to_string(::getpid()) + "-" + std::to_string(count) + ".tmp";
  return (path.parent_path() / name).string();
}

// A new temporary file for `target`, open for writing, created as any new file is (0666 less
// the umask), so the renamed file has the permissions a plainly written one would.
int create_temporary(const std::string& target, std::string& temporary) {
  static std::atomic<unsigned long> made{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = temporary_name(target, made++);
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) return fd;
    if (errno != EEXIST) system_failure(name_error, target, errno);
  }
  system_failure(name_error, target, EEXIST);
}

void write_all(int fd, std::string_view text, const std::string& target) {
  while (!text.empty()) {
    const ssize_t written = ::write(fd, text.data(), text.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) system_failure(device_error, target, written < 0 ? errno : EIO);
    text.remove_prefix(static_cast<std::size_t>(written));
  }
}

std::string with_target_named(std::string message, const std::string& temporary, const std::string& target) {
  for (std::size_t at = message.find(temporary); at != std::string::npos; at = message.find(temporary, at + target.size()))
    message.replace(at, temporary.size(), target);
  return message;
}

}  // namespace

output_files::~output_files() {
  for (const pending_file& file : pending)
    if (!file.temporary.empty()) ::unlink(file.temporary.c_str());
}

void add_text(output_files& files, const std::string& target, std::string_view text) {
  std::string temporary;
  const int fd = create_temporary(target, temporary);
  files.pending.push_back({target, temporary});
  try {
    write_all(fd, text, target);
  } catch (...) {
    ::close(fd);
    throw;
  }
  if (::close(fd) != 0) system_failure(device_error, target, errno);
}

void add_written(output_files& files, const std::string& target,
                 const std::function<void(const std::string& temporary)>& write) {
  std::string temporary;
  ::close(create_temporary(target, temporary));
  files.pending.push_back({target, temporary});
  try {
    write(temporary);
  } catch (const error& e) {
    throw error(e.name, with_target_named(e.what(), temporary, target));
  }
}

void put_in_place(output_files& files) {
  // A folder in a target's place would stop the renaming part-way: refused before any.
  for (const pending_file& file : files.pending) {
    struct stat info {};
    if (::lstat(file.target.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) system_failure(name_error, file.target, EISDIR);
  }
  for (pending_file& file : files.pending) {
    if (std::rename(file.temporary.c_str(), file.target.c_str()) != 0) system_failure(name_error, file.target, errno);
    file.temporary.clear();
  }
  files.pending.clear();
}

void write_output_file(const std::string& target, std::string_view text) {
  output_files files;
  add_text(files, target, text);
  put_in_place(files);
}

}  // namespace kalvane::companion
