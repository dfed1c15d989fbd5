#pragma once
// The companions' output files, whole or not at all. Each is written to a temporary file in
// its own folder, handed to the system and closed with every error checked, and renamed over
// its name only once every file of its set was written: a full disk, a file-size limit or a
// name taken by a folder then leaves the files of the last good run as they were, and no
// file cut short.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kalvane::companion {

struct pending_file {
  std::string target;     // the name it is to have
  std::string temporary;  // where it is written meanwhile, beside the target
};

struct output_files {
  std::vector<pending_file> pending;  // in the order they go in place

  output_files() = default;
  // A set abandoned by an error leaves no temporary file behind.
  ~output_files();
  output_files(const output_files&) = delete;
  output_files& operator=(const output_files&) = delete;
};

// `text` written for `target`. Throws naming `target` and the system's reason.
void add_text(output_files& files, const std::string& target, std::string_view text);

// The file `write` makes for `target`, for writers that open a file by its name: it is given
// the temporary file's. Its errors are told with the target's name in the temporary's place.
void add_written(output_files& files, const std::string& target,
                 const std::function<void(const std::string& temporary)>& write);

// Every pending file renamed over its target, in order. Nothing is renamed when a target is a
// folder, which a file cannot replace.
void put_in_place(output_files& files);

// One file, whole or not at all.
void write_output_file(const std::string& target, std::string_view text);

}  // namespace kalvane::companion
