#include "output/text_file.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "error.hpp"

namespace kalvane {
namespace {

constexpr std::size_t buffer_size = std::size_t{1} << 20;

[[noreturn]] void device_failure(const text_file& file, int error_number) {
  fail(device_error, file.path + ": " + std::strerror(error_number));
}

void hand_over(text_file& file) {
  if (file.used == 0) return;
  errno = 0;
  const std::size_t written = std::fwrite(file.buffer.data(), 1, file.used, file.stream);
  const int error_number = errno;
  if (written != file.used) {
    // Keep only what the file did not take, so the destructor does not write it twice.
    file.buffer.erase(file.buffer.begin(), file.buffer.begin() + static_cast<std::ptrdiff_t>(written));
    file.used -= written;
    device_failure(file, error_number != 0 ? error_number : EIO);
  }
  file.used = 0;
}

// Room for `count` more bytes at buffer[used].
char* room(text_file& file, std::size_t count) {
  if (file.buffer.size() - file.used < count) {
    hand_over(file);
    if (file.buffer.size() < count) file.buffer.resize(count);
  }
  return file.buffer.data() + file.used;
}

void advance(text_file& file, const char* start, const char* end) {
  const auto count = static_cast<std::size_t>(end - start);
  file.used += count;
  file.column += static_cast<long long>(count);
}

}  // namespace

text_file::text_file(std::string file_path) : path(std::move(file_path)) {
  buffer.resize(buffer_size);  // before opening, so a failed allocation leaves no open file
  stream = std::fopen(path.c_str(), "wb");
  if (stream == nullptr) fail(name_error, path + ": " + std::strerror(errno));
  std::setvbuf(stream, nullptr, _IONBF, 0);  // our own buffer is the only one
}

text_file::~text_file() {
  if (stream == nullptr) return;
  if (used != 0) std::fwrite(buffer.data(), 1, used, stream);
  std::fclose(stream);
}

void write_text(text_file& file, std::string_view text) {
  char* out = room(file, text.size());
  std::memcpy(out, text.data(), text.size());
  advance(file, out, out + text.size());
}

void write_line(text_file& file, std::string_view text) {
  write_text(file, text);
  end_line(file);
}

void write_blanks(text_file& file, int count) {
  if (count <= 0) return;
  char* out = room(file, static_cast<std::size_t>(count));
  std::memset(out, ' ', static_cast<std::size_t>(count));
  advance(file, out, out + count);
}

void write_rule(text_file& file, int length) {
  char* out = room(file, static_cast<std::size_t>(std::max(length, 0)));
  if (length > 0) std::memset(out, '-', static_cast<std::size_t>(length));
  advance(file, out, out + std::max(length, 0));
  end_line(file);
}

void write_integer(text_file& file, int32_t value, int width) {
  char* out = room(file, integer_field_limit(width));
  advance(file, out, put_integer_field(out, value, width));
}

void write_real(text_file& file, double value, real_layout layout) {
  char* out = room(file, real_field_limit(layout));
  advance(file, out, put_real_field(out, value, layout));
}

void end_line(text_file& file) {
  char* out = room(file, 1);
  *out = '\n';
  ++file.used;
  file.column = 1;
  ++file.lines_ended;
}

void close(text_file& file) {
  if (file.stream == nullptr) return;
  if (file.column != 1 || file.lines_ended == 0) end_line(file);
  hand_over(file);
  std::FILE* stream = std::exchange(file.stream, nullptr);
  errno = 0;
  if (std::fclose(stream) != 0) device_failure(file, errno != 0 ? errno : EIO);
}

}  // namespace kalvane
