#pragma once
// A companion's command line, read option by option: "--dir DIR" and "--dir=DIR" alike, and
// every misuse a usage error. Each program keeps its own options and what they mean.
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace kalvane::companion {

struct command_line {
  const std::vector<std::string>& args;
  std::string hint;          // ends every usage message, such as " (see kalvane-form --help)"
  std::size_t at = 0;        // the option being read, once `next` has moved to it
  std::string option;        // its name, without "=VALUE"
  std::string inline_value;  // the VALUE of "--option=VALUE"
  bool has_inline = false;
  bool started = false;

  command_line(const std::vector<std::string>& arguments, std::string usage_hint)
      : args(arguments), hint(std::move(usage_hint)) {}
  // Moves to the next option; false when none is left.
  bool next();
  // The option's value: after its "=", or the argument that follows it.
  std::string value();
  // The same, refused when empty: "--dir needs a folder, not an empty name".
  std::string name_value(const std::string& what);
  // Refuses "--flag=VALUE".
  void no_value() const;
  // The arguments after the option, `count` of them, or the usage error `missing`.
  std::vector<std::string> following(std::size_t count, const std::string& missing);
  [[noreturn]] void refuse(const std::string& what) const;
  [[noreturn]] void unknown() const;
};

}  // namespace kalvane::companion
