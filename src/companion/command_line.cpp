#include "companion/command_line.hpp"

#include "error.hpp"

namespace kalvane::companion {

bool command_line::next() {
  if (started) ++at;
  started = true;
  if (at >= args.size()) return false;
  option = args[at];
  inline_value.clear();
  const std::size_t eq = option.find('=');
  has_inline = option.rfind("--", 0) == 0 && eq != std::string::npos;
  if (has_inline) inline_value = option.substr(eq + 1), option = option.substr(0, eq);
  return true;
}

std::string command_line::value() {
  if (has_inline) return inline_value;
  if (at + 1 >= args.size()) refuse(option + " needs a value");
  return args[++at];
}

std::string command_line::name_value(const std::string& what) {
  std::string name = value();
  if (name.empty()) refuse(option + " needs " + what + ", not an empty name");
  return name;
}

void command_line::no_value() const {
  if (has_inline) refuse(option + " takes no value");
}

std::vector<std::string> command_line::following(std::size_t count, const std::string& missing) {
  if (at + count >= args.size()) refuse(missing);
  std::vector<std::string> values(args.begin() + static_cast<std::ptrdiff_t>(at + 1),
                                  args.begin() + static_cast<std::ptrdiff_t>(at + 1 + count));
  at += count;
  return values;
}

void command_line::refuse(const std::string& what) const { fail(usage_error, what + hint); }

void command_line::unknown() const { refuse("unknown option '" + args[at] + "'"); }

}  // namespace kalvane::companion
