#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include <nlohmann/json.hpp>

#include "check/lint.hpp"
#include "check_fixture.hpp"

namespace {

using kalvane::check::lint;
using kalvane::check::lint_warning;

const std::string clean = check_test::input_text(
    "Two bars", "0.9 20 1E-6 0.0 1000 5", "1 10.0",
    "3\nnode x y z\n1 0.0 0.0 0.0\n2 1.0 0.0 -0.2\n3 2.0 0.0 0.0\n",
    "2\nbar n1 n2 area\n1 1 2 0.01\n2 2 3 0.01\n",
    "7\nnode c v\n1 1 0\n1 2 0\n1 3 0\n2 2 0\n3 1 0\n3 2 0\n3 3 0\n", "1\nnode c v\n2 3 -1.0\n");

// `clean` with the line that starts with `old_line` replaced.
std::string with_line(const std::string& old_line, const std::string& new_line) {
  std::string text = clean;
  const std::size_t at = text.find("\n" + old_line) + 1;
  text.replace(at, text.find('\n', at) - at, new_line);
  return text;
}

// The one warning on `text`, as "line:column: message".
std::string only_warning(const std::string& text) {
  const std::vector<lint_warning> w = lint(text);
  if (w.size() != 1) {
    std::string all = std::to_string(w.size()) + " warnings:";
    for (const auto& each : w) all += " [" + std::to_string(each.line) + ":" + std::to_string(each.column) + ": " + each.message + "]";
    return all;
  }
  return std::to_string(w[0].line) + ":" + std::to_string(w[0].column) + ": " + w[0].message;
}

}  // namespace

TEST(CheckLint, ACleanFileHasNoWarnings) {
  EXPECT_TRUE(lint(clean).empty());
  // Remarks after values, values spread over lines and CR LF line ends are all ordinary.
  std::string spread = clean;
  spread.replace(spread.find("0.9 20 1E-6 0.0 1000 5"), 22, "0.9 20\n1E-6 0.0 1000 5   settings");
  EXPECT_TRUE(lint(spread).empty());
}

// Each slip the reader takes without a word, on its own.
TEST(CheckLint, ValuesTheReaderCutsShort) {
  // The count 3O00 is read as 3, the rest is a remark.
  EXPECT_EQ(only_warning(with_line("3\nnode", "3O00\nnode")),
            "7:2: 'O00' is glued to the value '3': the reader takes '3' and skips the rest of the line as a remark");
  // 30.00.0 as the last value is 30.00; a second point glued to the first value is the next value.
  EXPECT_EQ(only_warning(with_line("2 1.0 0.0 -0.2", "2 1.0 0.0 -0.20.0")),
            "10:16: '.0' is glued to the value '-0.20': the reader takes '-0.20' and skips the rest of the line as a remark");
  EXPECT_EQ(only_warning(with_line("2 1.0 0.0 -0.2", "2 1.00.5 0.0")).substr(0, 52),
            "10:7: '.5' follows the value before it without a bla");
  // -100 000 is read as -100, and 1 500.0 as 1.
  EXPECT_EQ(only_warning(with_line("2 3 -1.0", "2 3 -100 000")),
            "30:10: '-100 000' looks like one number with its digits grouped by a blank: the reader takes '-100' and "
            "skips the rest of the line as a remark");
  EXPECT_EQ(only_warning(with_line("2 3 -1.0", "2 3 1 500.0  ")).substr(0, 34), "30:7: '1 500.0' looks like one num");
  EXPECT_EQ(only_warning(with_line("2 3 -1.0", "2 3 -1 000 000")).substr(0, 37), "30:8: '-1 000 000' looks like one num");
  // A decimal comma: 0,01 is read as 0.
  const std::string comma = only_warning(with_line("1 1 2 0.01", "1 1 2 0,01"));
  EXPECT_NE(comma.find("15:8: ',01' is glued to the value '0'"), std::string::npos) << comma;
}

TEST(CheckLint, EntriesTheCountsOrTheNumbersLeaveOut) {
  // A count smaller than its lines: the third bar line is passed over, and so is a
  // load line after the last section's count.
  EXPECT_EQ(only_warning(with_line("2 2 3 0.01", "2 2 3 0.01\n3 1 3 0.01")),
            "17:1: this line looks like an entry of the bars, but the count 2 ends the section before it: the reader "
            "skips it");
  EXPECT_EQ(only_warning(clean + "2 1 0.5\n"),
            "31:1: this line looks like an entry of the loads, but the count 1 ends the section before it: the reader "
            "never reads it");
  // A node number written twice: the later line wins, and node 3 is never given.
  const std::vector<lint_warning> twice = lint(with_line("3 2.0 0.0 0.0", "2 2.0 0.0 0.0"));
  ASSERT_EQ(twice.size(), 2u);
  EXPECT_EQ(twice[0].line, 7);
  EXPECT_EQ(twice[0].message, "no line names node 3: the reader leaves it at the origin");
  EXPECT_EQ(twice[1].line, 11);
  EXPECT_EQ(twice[1].message, "node 2 is given again (first on line 10): the later line wins");
  // Duplicate supports and loads, where the later value wins (loads are not added).
  EXPECT_EQ(only_warning(with_line("3 3 0", "3 2 0")).substr(0, 80),
            "26:1: the prescribed displacement of node 3 in component 2 is given again (first");
  const std::string load = only_warning(check_test::input_text(
      "Two bars", "0.9 20 1E-6 0.0 1000 5", "1 10.0", "3\nnode x y z\n1 0 0 0\n2 1 0 -0.2\n3 2 0 0\n",
      "2\nbar n1 n2 area\n1 1 2 0.01\n2 2 3 0.01\n", "7\nnode c v\n1 1 0\n1 2 0\n1 3 0\n2 2 0\n3 1 0\n3 2 0\n3 3 0\n",
      "2\nnode c v\n2 3 -1.0\n2 3 -2.0\n"));
  EXPECT_EQ(load, "31:1: the load of node 2 in component 3 is given again (first on line 30): the later line wins");
  // A heading line that is an entry, so that the first entry is lost.
  EXPECT_EQ(only_warning(with_line("bar n1 n2 area", "1 1 2 0.01")).substr(0, 59),
            "14:1: the heading line of the bars looks like an entry: the");
}

TEST(CheckLint, AreasAndConstantsThatCannotBeMeant) {
  EXPECT_EQ(only_warning(with_line("2 2 3 0.01", "2 2 3 -0.01")),
            "16:7: the area of bar 2 is -0.01: the reader takes it as it stands");
  EXPECT_EQ(only_warning(with_line("1 10.0", "1 0.0")), "5:3: the Neo-Hooke constant c1 is 0.0: the reader takes it as it stands");
  EXPECT_EQ(only_warning(with_line("1 10.0", "2 1.0 -1.5")),
            "5:7: the Mooney-Rivlin constants c1 + c2 come to -0.5: no stiffness at small strain, but the reader takes "
            "them as they stand");
  // c2 of 0 is the Neo-Hooke law; a negative c2 with a positive sum is a fitted rubber.
  EXPECT_EQ(only_warning(with_line("1 10.0", "2 1.0 0.0")), "0 warnings:");
  EXPECT_EQ(only_warning(with_line("1 10.0", "2 1.0 -0.2")), "0 warnings:");
}

// Warnings go to standard error with the file, line and column; they change the exit
// status only under --strict.
TEST(CheckLint, WarningsInTheCheckAndUnderStrict) {
  kalvane_test::scratch_folder folder;
  ASSERT_EQ(check_test::solve(folder, with_line("2 3 -1.0", "2 3 -1 000")), 0);
  const auto plain = check_test::check(folder);
  EXPECT_EQ(plain.status, 0) << plain.out;
  EXPECT_EQ(plain.err, "./input.txt:30:8: warning: '-1 000' looks like one number with its digits grouped by a blank: "
                       "the reader takes '-1' and skips the rest of the line as a remark\n");
  const auto strict = check_test::check(folder, {"--strict"});
  EXPECT_EQ(strict.status, 1);
  EXPECT_NE(strict.out.find("verdict: not certified: 1 warning about ./input.txt (--strict)"), std::string::npos) << strict.out;
  const auto json = check_test::check(folder, {"--json"});
  EXPECT_NE(json.out.find("\"warnings\": [{\"line\": 30, \"column\": 8, \"message\": \"'-1 000' looks"), std::string::npos)
      << json.out;
}

// What engineers write after their values and between sections: units, load names,
// dimensions, dates, counts of things. None of it is a slip.
TEST(CheckLint, RemarksOfUnitsLoadsAndDimensionsAreNotWarnedAbout) {
  EXPECT_EQ(only_warning(with_line("2 3 -1.0", "2 3 -100000  100 kN down")), "0 warnings:");
  EXPECT_EQ(only_warning(with_line("2 3 -1.0", "2 3 -100 100 kN down")), "0 warnings:");
  EXPECT_EQ(only_warning(with_line("2 3 -1.0", "2 3 -1.0 5 kN, load case 2")), "0 warnings:");
  EXPECT_EQ(only_warning(with_line("2 3 -1.0", "2 3 -1.0 500")), "0 warnings:");  // no digit group after a point
  EXPECT_EQ(only_warning(with_line("2 3 -1.0", "2 3 -1000 500")), "0 warnings:");  // nor after four digits
  EXPECT_EQ(only_warning(with_line("2 3 -1.0", "2 3 -10kN")), "0 warnings:");
  EXPECT_EQ(only_warning(with_line("2 3 -1.0", "2 3 -10lbf")), "0 warnings:");
  EXPECT_EQ(only_warning(with_line("1 1 2 0.01", "1 1 2 0.01m2")), "0 warnings:");
  EXPECT_EQ(only_warning(with_line("1 10.0", "1 10.0MPa  E = 30 000 MPa")), "0 warnings:");
  EXPECT_EQ(only_warning(with_line("3\nnode", "3 nodes, 2 of them 100 mm apart\nnode")), "0 warnings:");
  // Lines of remarks before a marker: a dimension, a date, a count of loads.
  std::string text = clean;
  text.insert(text.find(": bars"), "span 6.0 x 4.0 m\n");
  text.insert(text.find(": prescribed"), "2024-05-01 checked\n3 loads of 10 kN\n12 000 kN in all\n");
  EXPECT_EQ(only_warning(text), "0 warnings:");
  // But a glued O for a zero, a second point, a decimal comma are slips.
  EXPECT_EQ(only_warning(with_line("2 3 -1.0", "2 3 -1O0")).substr(0, 25), "30:7: 'O0' is glued to th");
  EXPECT_EQ(only_warning(with_line("2 3 -1.0", "2 3 -10O")).substr(0, 25), "30:8: 'O' is glued to the");
}

namespace {

// kalvane-check --lint in `folder`, which holds only input.txt.
kalvane_test::program_result lint_in(const kalvane_test::scratch_folder& folder, std::vector<std::string> more = {}) {
  more.insert(more.begin(), "--lint");
  return check_test::check(folder, more);
}

}  // namespace

// --lint needs no run: before the first, and after one that failed. Each kind of warning
// is listed on standard output with its line and column.
TEST(CheckLint, LintAloneBeforeAnyRun) {
  kalvane_test::scratch_folder folder;
  std::string text = with_line("1 10.0", "1 -10.0");  // 5: c1 of zero or less
  const std::string replaced[][2] = {
      {"3 2.0 0.0 0.0", "2 2.0 0.0 0.0"},    // 11: node 2 again, node 3 named by no line
      {"1 1 2 0.01", "1 1 2 0,01"},          // 15: a decimal comma, and so an area of 0
      {"2 2 3 0.01", "2 2 3 0.01\n3 2 3 0.01"},  // 17: beyond the count of bars
      {"2 3 -1.0", "2 3 -1 000"},            // 31: a grouped number
  };
  for (const auto& r : replaced) {
    const std::size_t at = text.find("\n" + r[0]) + 1;
    text.replace(at, r[0].size(), r[1]);
  }
  text.replace(text.find("node c v\n1 1 0"), 14, "1 1 0\n1 1 0");  // the heading of the supports is an entry
  kalvane_test::write_file(folder / "input.txt", text);
  const auto r = lint_in(folder);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  for (const char* expected :
       {"./input.txt:5:3: warning: the Neo-Hooke constant c1 is -10.0", "./input.txt:7:1: warning: no line names node 3",
        "./input.txt:11:1: warning: node 2 is given again", "./input.txt:15:7: warning: the area of bar 1 is 0:",
        "./input.txt:15:8: warning: ',01' is glued to the value '0'",
        "./input.txt:17:1: warning: this line looks like an entry of the bars",
        "./input.txt:20:1: warning: the heading line of the prescribed displacements looks like an entry",
        "./input.txt:31:8: warning: '-1 000' looks like one number"})
    EXPECT_NE(("\n" + r.out).find(std::string("\n") + expected), std::string::npos) << expected << "\n" << r.out;
  EXPECT_NE(r.out.find("\n./input.txt: 3 nodes, 2 bars, 2 unknowns; 8 warnings\n"), std::string::npos) << r.out;
  EXPECT_FALSE(kalvane_test::file_exists(folder / "output.txt"));

  EXPECT_EQ(lint_in(folder, {"--strict"}).status, 1);
  const auto json = lint_in(folder, {"--json"});
  EXPECT_EQ(json.status, 0);
  EXPECT_NE(json.out.find("\"warnings\": [{\"line\": 5, \"column\": 3, \"message\": \"the Neo-Hooke"), std::string::npos)
      << json.out;

  // A clean input: no warnings, status 0 even under --strict.
  kalvane_test::write_file(folder / "input.txt", clean);
  const auto quiet = lint_in(folder, {"--strict"});
  EXPECT_EQ(quiet.status, 0);
  EXPECT_EQ(quiet.out, "./input.txt: 3 nodes, 2 bars, 2 unknowns; no warnings\n");
}

// After a failed run, or where kalvane cannot read the input at all: the warnings before
// the place the reader refuses, then why it refuses, with status 1.
TEST(CheckLint, LintAfterAFailedRunAndOnAnUnreadableInput) {
  kalvane_test::scratch_folder folder;
  // The load written with a decimal comma is read as 0: with no load and no support
  // stretching the bar, the run has nothing to do and fails.
  EXPECT_EQ(check_test::solve(folder, check_test::input_text("One bar", "0.9 20 1E-6 0.0 1000 5", "1 10.0",
                                                             "2\nnode x y z\n1 0 0 0\n2 1 0 0\n",
                                                             "1\nbar n1 n2 area\n1 1 2 0.01\n",
                                                             "4\nnode c v\n1 1 0\n1 2 0\n1 3 0\n2 2 0\n",
                                                             "1\nnode c v\n2 1 0,05\n")),
            1);
  const auto after = lint_in(folder);
  EXPECT_EQ(after.status, 0);
  EXPECT_EQ(after.out, "./input.txt:25:6: warning: ',05' is glued to the value '0': the reader takes '0' and skips the "
                       "rest of the line as a remark\n./input.txt: 2 nodes, 1 bar, 2 unknowns; 1 warning\n");

  kalvane_test::write_file(folder / "input.txt", with_line("1 1 2 0.01", "1 1 2 O.01"));
  const auto r = lint_in(folder);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out.rfind("./input.txt: no warnings; kalvane cannot read it: DATA_ERROR: ", 0), 0u) << r.out;
  EXPECT_NE(r.out.find(":15:"), std::string::npos) << r.out;
}

// The file's own bytes, quoted in a warning or in why the reader refuses: each byte that is
// not UTF-8 becomes U+FFFD, in the text and in the JSON, which reads back; a control
// character is escaped in the JSON and U+FFFD in the text.
TEST(CheckLint, TheFilesBytesAreQuotedAsValidText) {
  const std::string fffd = "\xEF\xBF\xBD";
  const auto no_raw_bytes = [](const std::string& text) {
    return text.find('\x01') == std::string::npos && text.find('\xFF') == std::string::npos;
  };
  kalvane_test::scratch_folder folder;
  kalvane_test::write_file(folder / "input.txt", with_line("1 1 2 0.01", "1 1 2 0.01\"\xFF\x01<x>"));
  const auto text = lint_in(folder);
  EXPECT_NE(text.out.find("15:11: warning: '\"" + fffd + fffd + "<x>' is glued to the value '0.01'"), std::string::npos)
      << text.out;
  EXPECT_TRUE(no_raw_bytes(text.out)) << text.out;
  const auto json = lint_in(folder, {"--json"});
  ASSERT_TRUE(nlohmann::json::accept(json.out)) << json.out;
  EXPECT_EQ(nlohmann::json::parse(json.out)["warnings"][0]["message"].get<std::string>().substr(0, 7),
            "'\"" + fffd + "\x01<");

  // The full check: the warning on standard error, the JSON on standard output.
  ASSERT_EQ(check_test::solve(folder, kalvane_test::read_file(folder / "input.txt")), 0);
  const auto checked = check_test::check(folder);
  EXPECT_NE(checked.err.find("'\"" + fffd + fffd + "<x>'"), std::string::npos) << checked.err;
  EXPECT_TRUE(no_raw_bytes(checked.err)) << checked.err;
  EXPECT_TRUE(nlohmann::json::accept(check_test::check(folder, {"--json"}).out));

  // Where the reader refuses the value.
  kalvane_test::write_file(folder / "input.txt", with_line("1 1 2 0.01", "1 1 2 x\xFF\x01"));
  const auto refused = lint_in(folder);
  EXPECT_NE(refused.out.find("found 'x" + fffd + fffd + "'"), std::string::npos) << refused.out;
  EXPECT_TRUE(no_raw_bytes(refused.out)) << refused.out;
  const auto refused_json = lint_in(folder, {"--json"});
  ASSERT_TRUE(nlohmann::json::accept(refused_json.out)) << refused_json.out;
  EXPECT_NE(nlohmann::json::parse(refused_json.out)["error"].get<std::string>().find("found 'x" + fffd + "\x01'"),
            std::string::npos);
  // The report made newer than the input, so the check goes on to read the input.
  std::filesystem::last_write_time(folder / "output.txt",
                                   std::filesystem::last_write_time(folder / "input.txt") + std::chrono::seconds(1));
  const auto refused_check = check_test::check(folder);
  EXPECT_NE(refused_check.err.find("found 'x" + fffd + fffd + "'"), std::string::npos) << refused_check.err;
  EXPECT_TRUE(no_raw_bytes(refused_check.err)) << refused_check.err;
}
