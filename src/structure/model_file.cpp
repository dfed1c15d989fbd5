// The model file on disk, and the choice between it and input.txt.
#include "structure/model_file.hpp"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <fstream>

#include "companion/output_files.hpp"
#include "error.hpp"

namespace kalvane {

std::string read_whole_text(const std::string& path) {
  struct stat info {};
  const bool known = ::stat(path.c_str(), &info) == 0;
  if (known && S_ISDIR(info.st_mode)) fail(name_error, path + ": " + std::strerror(EISDIR));
  std::ifstream file(path, std::ios::binary);
  if (!file) fail(name_error, path + ": " + std::strerror(errno));
  std::string text;
  if (known && S_ISREG(info.st_mode)) text.reserve(static_cast<std::size_t>(info.st_size));
  char buffer[1 << 16];
  while (file.read(buffer, sizeof buffer) || file.gcount() > 0) text.append(buffer, static_cast<std::size_t>(file.gcount()));
  if (file.bad()) fail(name_error, path + ": the file cannot be read");
  return text;
}

structure read_model_file(const std::string& path) { return read_model_text(read_whole_text(path), path); }

void write_model_file(const structure& s, const std::string& path) {
  companion::write_output_file(path, model_file_text(s));
}

std::string find_model(const std::string& folder) {
  const std::string prefix = folder.empty() ? "" : folder + "/";
  struct stat info {};
  // A folder that is not there is named as such, not as the input.txt it does not hold.
  if (!folder.empty() && ::stat(folder.c_str(), &info) != 0)
    fail(name_error, "cannot open the folder " + folder + ": " +
                         (errno == ENOENT || errno == ENOTDIR ? "it does not exist" : std::strerror(errno)));
  if (!folder.empty() && !S_ISDIR(info.st_mode)) fail(name_error, folder + " is not a folder");
  if (::stat((prefix + model_file_name).c_str(), &info) == 0) return prefix + model_file_name;
  return prefix + input_file_name;
}

}  // namespace kalvane
