#pragma once
// Output text files: created anew, written line by line, closed by the stage that made them.
// Writes collect in a large buffer; a failure of the file (it cannot be created, the disk is
// full) ends the run with the file's name in the report, and whatever was written before
// stays in the file.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "output/layout.hpp"

namespace kalvane {

struct text_file {
  std::string path;
  std::FILE* stream = nullptr;
  std::vector<char> buffer;
  std::size_t used = 0;       // bytes of `buffer` not yet handed to the file
  long long column = 1;       // where the next character goes on the current line
  long long lines_ended = 0;  // line ends written so far

  // Creates (or replaces) the file; throws the name error when it cannot.
  explicit text_file(std::string file_path);
  // A file still open here is being abandoned by an error: hand over what was written and
  // close it, adding nothing.
  ~text_file();
  text_file(const text_file&) = delete;
  text_file& operator=(const text_file&) = delete;
};

void write_text(text_file& file, std::string_view text);
void write_line(text_file& file, std::string_view text);  // the text, then the line end
void write_blanks(text_file& file, int count);
void write_rule(text_file& file, int length);  // `length` hyphens, then the line end
void write_integer(text_file& file, int32_t value, int width);
void write_real(text_file& file, double value, real_layout layout);
void end_line(text_file& file);
// Ends an unfinished last line (or gives an empty file its single line end), then closes.
void close(text_file& file);

}  // namespace kalvane
