// kalvane-path's command line: every option in both its forms, and what it refuses.
#include <gtest/gtest.h>

#include "error.hpp"
#include "path/options.hpp"

namespace {

using kalvane::path::options;
using kalvane::path::parse_options;

// The usage error's message, or "" when the arguments parse.
std::string refusal(const std::vector<std::string>& args) {
  try {
    parse_options(args);
  } catch (const kalvane::error& e) {
    EXPECT_EQ(e.name, kalvane::usage_error);
    return e.what();
  }
  return "";
}

}  // namespace

TEST(PathOptions, TakesEveryOptionInBothForms) {
  const options plain = parse_options({});
  EXPECT_EQ(plain.dir, ".");
  EXPECT_EQ(kalvane::path::output_folder(plain), "./path");
  EXPECT_EQ(plain.how, kalvane::newton::loading::staged);
  EXPECT_FALSE(plain.watch);
  EXPECT_FALSE(plain.trace);
  EXPECT_TRUE(parse_options({"--trace"}).trace);

  const options spaced = parse_options({"--dir", "run 1", "--loading", "together", "--watch", "12", "z", "--out", "o"});
  EXPECT_EQ(spaced.dir, "run 1");
  EXPECT_EQ(kalvane::path::output_folder(spaced), "o");
  EXPECT_EQ(spaced.how, kalvane::newton::loading::together);
  ASSERT_TRUE(spaced.watch);
  EXPECT_EQ(spaced.watch->node, 12);
  EXPECT_EQ(spaced.watch->component, 3);

  const options joined = parse_options({"--dir=a", "--loading=staged", "--watch=3,Y"});
  EXPECT_EQ(kalvane::path::output_folder(joined), "a/path");
  EXPECT_EQ(joined.how, kalvane::newton::loading::staged);
  EXPECT_EQ(joined.watch->node, 3);
  EXPECT_EQ(joined.watch->component, 2);
  EXPECT_TRUE(parse_options({"--help"}).help);
  EXPECT_TRUE(parse_options({"--version"}).version);
}

TEST(PathOptions, RefusesWhatItCannotTakeAndSaysWhy) {
  EXPECT_NE(refusal({"--frobnicate"}).find("unknown option '--frobnicate'"), std::string::npos);
  EXPECT_NE(refusal({"--loading", "gradual"}).find("staged or together, not 'gradual'"), std::string::npos);
  EXPECT_NE(refusal({"--watch", "2", "W"}).find("not 'W'"), std::string::npos);
  EXPECT_NE(refusal({"--watch", "0", "X"}).find("not '0'"), std::string::npos);
  EXPECT_NE(refusal({"--watch", "2x", "X"}).find("not '2x'"), std::string::npos);
  EXPECT_NE(refusal({"--watch", "2"}).find("needs a node and a component"), std::string::npos);
  EXPECT_NE(refusal({"--watch=2"}).find("NODE,COMPONENT"), std::string::npos);
  EXPECT_NE(refusal({"--dir"}).find("--dir needs a value"), std::string::npos);
  EXPECT_NE(refusal({"--out="}).find("not an empty name"), std::string::npos);
  EXPECT_NE(refusal({"--help=yes"}).find("takes no value"), std::string::npos);
  EXPECT_NE(refusal({"--trace=yes"}).find("takes no value"), std::string::npos);
}
