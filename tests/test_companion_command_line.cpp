// A companion's command line read option by option: both spellings of a value, the refusals
// every program shares, and the program's hint on each.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "companion/command_line.hpp"
#include "error.hpp"

namespace {

using kalvane::companion::command_line;

// The usage error reading all of `args` raises, or "" when none.
std::string refusal(const std::vector<std::string>& args, const std::vector<std::string>& flags,
                    const std::vector<std::string>& valued) {
  command_line line{args, " (see x --help)"};
  try {
    while (line.next()) {
      bool known = false;
      for (const std::string& f : flags)
        if (line.option == f) line.no_value(), known = true;
      for (const std::string& v : valued)
        if (line.option == v) line.name_value("a folder"), known = true;
      if (!known) line.unknown();
    }
  } catch (const kalvane::error& e) {
    EXPECT_EQ(kalvane::usage_error, e.name);
    return e.what();
  }
  return "";
}

}  // namespace

TEST(CompanionCommandLine, ValuesAfterAnEqualsSignOrAsTheNextArgument) {
  const std::vector<std::string> args{"--dir", "a b", "--out=c=d", "-h=1", "--watch", "7", "z", "--last"};
  command_line line{args, ""};
  ASSERT_TRUE(line.next());
  EXPECT_EQ("--dir", line.option);
  EXPECT_EQ("a b", line.value());
  ASSERT_TRUE(line.next());
  EXPECT_EQ("--out", line.option);
  EXPECT_TRUE(line.has_inline);
  EXPECT_EQ("c=d", line.value());  // only the first '=' parts the name from the value
  ASSERT_TRUE(line.next());
  EXPECT_EQ("-h=1", line.option);  // a short option keeps any '=' in its name
  EXPECT_FALSE(line.has_inline);
  ASSERT_TRUE(line.next());
  EXPECT_EQ((std::vector<std::string>{"7", "z"}), line.following(2, "two wanted"));
  ASSERT_TRUE(line.next());
  EXPECT_EQ("--last", line.option);
  EXPECT_FALSE(line.next());
  EXPECT_FALSE(line.next());  // and stays at the end
}

TEST(CompanionCommandLine, MisusesAreUsageErrorsWithTheProgramsHint) {
  const std::vector<std::string> flags{"--help"}, valued{"--dir"};
  EXPECT_EQ("", refusal({"--help", "--dir", "x", "--dir=y"}, flags, valued));
  EXPECT_EQ("unknown option '--fast=1' (see x --help)", refusal({"--fast=1"}, flags, valued));
  EXPECT_EQ("--help takes no value (see x --help)", refusal({"--help=yes"}, flags, valued));
  EXPECT_EQ("--dir needs a value (see x --help)", refusal({"--dir"}, flags, valued));
  EXPECT_EQ("--dir needs a folder, not an empty name (see x --help)", refusal({"--dir="}, flags, valued));
  EXPECT_EQ("--dir needs a folder, not an empty name (see x --help)", refusal({"--dir", ""}, flags, valued));
  const std::vector<std::string> one{"--watch", "7"};
  command_line line{one, ""};
  line.next();
  EXPECT_THROW(line.following(2, "--watch needs a node and a component"), kalvane::error);
}
