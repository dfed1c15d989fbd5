// The catalogue of bad inputs: each case runs the kalvane executable in a directory of its
// own, where output files of an earlier run already lie, and checks the whole outcome:
// exit status 1, nothing on standard output (but the line search's own line), the report
// "raised NAME : message" after an empty line, a message that names the file and the line,
// and every earlier output file that the run must not reach left byte for byte as it was.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "support.hpp"

namespace {

using namespace kalvane_test;
namespace fs = std::filesystem;

const char* const outputs[] = {"abaqusfile.inp", "autocad.scr", "output.txt"};

// A valid single-bar model; the cases below are edits of it, by line number.
const std::vector<std::string> base_lines = {
    "Single bar test",                        // 1
    ": settings",                             // 2
    "0.9  20  0.001  0.0  1000  5",           // 3
    ": material",                             // 4
    "1  10.0",                                // 5
    ": nodes",                                // 6
    "2",                                      // 7
    "node x y z",                             // 8
    "1  0.0  0.0  0.0",                       // 9
    "2  1.0  0.0  0.0",                       // 10
    ": bars",                                 // 11
    "1",                                      // 12
    "bar node1 node2 area",                   // 13
    "1  1  2  0.01",                          // 14
    ": prescribed displacements",             // 15
    "5",                                      // 16
    "node component value",                   // 17
    "1  1  0.0",                              // 18
    "1  2  0.0",                              // 19
    "1  3  0.0",                              // 20
    "2  2  0.0",                              // 21
    "2  3  0.0",                              // 22
    ": loads",                                // 23
    "1",                                      // 24
    "node component value",                   // 25
    "2  1  0.05",                             // 26
};

std::string join(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

// The base with line `n` (from 1) replaced; an empty vector of replacements removes it.
std::string with_line(int n, std::vector<std::string> replacement) {
  std::vector<std::string> lines(base_lines.begin(), base_lines.begin() + (n - 1));
  lines.insert(lines.end(), replacement.begin(), replacement.end());
  lines.insert(lines.end(), base_lines.begin() + n, base_lines.end());
  return join(lines);
}
std::string with_line(int n, const std::string& replacement) { return with_line(n, std::vector{replacement}); }

// The first `n` lines of the base, each with its line end.
std::string first_lines(int n) {
  return join(std::vector<std::string>(base_lines.begin(), base_lines.begin() + n));
}

// Which earlier output files the run may replace: those of the stages before its failure.
enum class reaches { nothing, deck, deck_and_script };

enum class place_in { input, output };  // what an entry's output_name is used for

struct bad_case {
  const char* label;
  std::string input;       // the text of input.txt
  const char* error;       // the report's NAME
  const char* where;       // the message must contain this: the file, and the line if any
  reaches stage = reaches::nothing;
  // Set up the directory before the run instead of the usual: no input.txt, a directory
  // in place of a file, an output file whose writes fail.
  enum { plain, no_input, input_is_directory, output_is_directory, output_is_full } setup = plain;
  const char* blocked = nullptr;  // the output file the setup replaces
};

void PrintTo(const bad_case& c, std::ostream* os) { *os << c.label; }

std::vector<bad_case> catalogue() {
  const std::string base = join(base_lines);
  std::string no_final_eol = base;
  no_final_eol.pop_back();
  // Node 2's X prescribed as well: every component is.
  const std::string no_unknowns = join([] {
    std::vector<std::string> lines = base_lines;
    lines[15] = "6";
    lines.insert(lines.begin() + 22, "2  1  0.0");
    return lines;
  }());
  // Material 3, and a bar count of 0 with its heading and bar line gone.
  const std::string without_bars = join([] {
    std::vector<std::string> lines = base_lines;
    lines[4] = "3  10.0";
    lines[11] = "0";
    lines.erase(lines.begin() + 12, lines.begin() + 14);
    return lines;
  }());
  // A bar turned inside out by its prescribed displacements: its stretch squared comes out
  // as a rounding error below zero.
  const std::string inverted_bar =
      "inverted\n: s\n0.9 20 0.001 0 100 5\n: m\n1 10\n: n\n2\nh\n1 0 0 0\n2 2.1 1.2 1.4\n: b\n1\nh\n"
      "1 1 2 0.01\n: p\n6\nh\n1 1 0\n1 2 0\n1 3 0\n2 1 -2.1\n2 2 -1.2\n2 3 -1.4\n: l\n0\n";

  return {
      // Files that cannot be read.
      {"missing input.txt", "", "NAME_ERROR", "input.txt: No such file or directory", reaches::nothing,
       bad_case::no_input},
      {"input.txt is a directory", "", "NAME_ERROR", "input.txt: Is a directory", reaches::nothing,
       bad_case::input_is_directory},

      // The file ends too early, in each section.
      {"empty file", "", "END_ERROR", "input.txt:1:"},
      {"only remarks, no marker", "a title\nno marker at all\n", "END_ERROR", "input.txt:3:"},
      {"ends inside the settings", first_lines(2) + "0.9 20 0.001\n", "END_ERROR", "input.txt:4:"},
      {"ends after the material marker", first_lines(4), "END_ERROR", "input.txt:5:"},
      {"ends after the node count", first_lines(7), "END_ERROR", "input.txt:7:"},
      {"ends inside the node lines", first_lines(9), "END_ERROR", "input.txt:10:"},
      {"ends after the bar heading", first_lines(13), "END_ERROR", "input.txt:14:"},
      {"ends inside the prescribed lines", first_lines(19), "END_ERROR", "input.txt:20:"},
      {"ends after the load heading", first_lines(25), "END_ERROR", "input.txt:26:"},
      {"last load line without a line end", no_final_eol, "END_ERROR", "input.txt:26:"},
      {"no loads marker", first_lines(22), "END_ERROR", "input.txt:23:"},
      {"bars marker missing", with_line(11, std::vector<std::string>{}), "END_ERROR", "input.txt:26:"},
      {"fewer node lines than the count", with_line(10, std::vector<std::string>{}), "DATA_ERROR",
       "input.txt:10:1:"},

      // Text where a number is due.
      {"letters for a coordinate", with_line(9, "1  zero  0.0  0.0"), "DATA_ERROR", "input.txt:9:4:"},
      {"letters in the settings", with_line(3, "0.9  twenty  0.001  0.0  1000  5"), "DATA_ERROR",
       "input.txt:3:6:"},
      {"comma between values", with_line(3, "0.9,  20  0.001  0.0  1000  5"), "DATA_ERROR", "input.txt:3:4:"},
      {"lone sign for an area", with_line(14, "1  1  2  -"), "DATA_ERROR", "input.txt:14:10:"},
      {"point in an integer field", with_line(14, "1  1.0  2  0.01"), "DATA_ERROR", "input.txt:14:5:"},
      {"base 1", with_line(7, "1#1#"), "DATA_ERROR", "input.txt:7:1:"},
      {"base 17", with_line(7, "17#2#"), "DATA_ERROR", "input.txt:7:1:"},
      {"digit beyond its base", with_line(7, "2#102#"), "DATA_ERROR", "input.txt:7:1:"},
      {"based number not closed", with_line(3, "0.9  16#14  0.001  0.0  1000  5"), "DATA_ERROR",
       "input.txt:3:6:"},
      {"integer one beyond 32 bits", with_line(3, "0.9  2147483648  0.001  0.0  1000  5"), "DATA_ERROR",
       "input.txt:3:6:"},
      {"negative integer one beyond 32 bits", with_line(24, "-2147483649"), "DATA_ERROR", "input.txt:24:1:"},
      {"integer exponent beyond 32 bits", with_line(12, "1E10"), "DATA_ERROR", "input.txt:12:1:"},
      {"negative exponent in an integer", with_line(12, "10E-1"), "DATA_ERROR", "input.txt:12:1:"},
      {"real 1E400", with_line(26, "2  1  1E400"), "DATA_ERROR", "input.txt:26:7:"},
      {"real -1E400", with_line(9, "1  -1E400  0.0  0.0"), "DATA_ERROR", "input.txt:9:4:"},
      {"material 3 with bars", with_line(5, "3  10.0"), "DATA_ERROR", "input.txt:5:1:"},
      {"material 3 without bars", without_bars, "DATA_ERROR", "input.txt:5:1:"},

      // Numbers that address something that is not there.
      {"node number beyond the count", with_line(10, "3  1.0  0.0  0.0"), "INDEX_ERROR", "input.txt:10:"},
      {"node number 0", with_line(9, "0  0.0  0.0  0.0"), "INDEX_ERROR", "input.txt:9:"},
      {"bar number beyond the count", with_line(14, "2  1  2  0.01"), "INDEX_ERROR", "input.txt:14:"},
      {"prescribed node beyond the count", with_line(19, "3  2  0.0"), "INDEX_ERROR", "input.txt:19:"},
      {"prescribed component 0", with_line(18, "1  0  0.0"), "INDEX_ERROR", "input.txt:18:"},
      {"load component 4", with_line(26, "2  4  0.05"), "INDEX_ERROR", "input.txt:26:"},
      {"bar naming node 0", with_line(14, "1  0  2  0.01"), "INDEX_ERROR", "input.txt:14: bar 1 names node 0"},
      {"bar naming a node beyond the count", with_line(14, "1  1  3  0.01"), "INDEX_ERROR",
       "input.txt:14: bar 1 names node 3"},
      {"negative node count", with_line(7, "-2"), "INDEX_ERROR", "input.txt:18: node number 1 is outside"},

      // Counts the file cannot back: refused before anything is claimed.
      {"node count 2_000_000_000", with_line(7, "2_000_000_000"), "END_ERROR", "input.txt:7:"},
      {"bar count 2_000_000_000", with_line(12, "2_000_000_000"), "END_ERROR", "input.txt:12:"},
      {"load count 2_000_000_000", with_line(24, "2_000_000_000"), "END_ERROR", "input.txt:27:"},

      // Structures that cannot be solved.
      {"zero-length bar", with_line(10, "2  0.0  0.0  0.0"), "MODEL_ERROR", "input.txt:14: bar 1 has zero length"},
      {"bar from a node to itself", with_line(14, "1  2  2  0.01"), "MODEL_ERROR",
       "input.txt:14: bar 1 has zero length"},
      {"bar longer than the real range", with_line(9, "1  -1E308  0.0  0.0"), "MODEL_ERROR",
       "input.txt:14: bar 1"},
      {"stretch squared below zero", inverted_bar, "ARGUMENT_ERROR", "input.txt:14: square root"},
      {"no unknowns", no_unknowns, "NLP.HALT", "nlp:126 instantiated at kalvane:342", reaches::deck},
      {"zero gradient", with_line(26, "2  1  0.0"), "NLP.HALT", "nlp:126 instantiated at kalvane:342",
       reaches::deck},

      // Output files that cannot be made or written.
      {"abaqusfile.inp is a directory", base, "NAME_ERROR", "abaqusfile.inp", reaches::nothing,
       bad_case::output_is_directory, "abaqusfile.inp"},
      {"autocad.scr is a directory", base, "NAME_ERROR", "autocad.scr", reaches::deck, bad_case::output_is_directory,
       "autocad.scr"},
      {"output.txt is a directory", base, "NAME_ERROR", "output.txt", reaches::deck_and_script,
       bad_case::output_is_directory, "output.txt"},
      {"output.txt on a full device", base, "DEVICE_ERROR", "output.txt", reaches::deck_and_script,
       bad_case::output_is_full, "output.txt"},
  };
}

std::string sentinel(const char* name) { return std::string("sentinel ") + name + ": left by an earlier run\n"; }

class BadInput : public ::testing::TestWithParam<bad_case> {};

TEST_P(BadInput, EndsWithAReportAndLeavesEarlierFilesAlone) {
  const bad_case& c = GetParam();
  scratch_folder dir;
  if (c.setup == bad_case::input_is_directory)
    fs::create_directory(dir / "input.txt");
  else if (c.setup != bad_case::no_input)
    write_file(dir / "input.txt", c.input);
  for (const char* name : outputs) {
    if (c.blocked != nullptr && std::string(name) == c.blocked) continue;
    write_file(dir / name, sentinel(name));
  }
  if (c.setup == bad_case::output_is_directory) {
    fs::create_directory(dir / c.blocked);
    write_file(dir / (std::string(c.blocked) + "/inside"), "kept");
  } else if (c.setup == bad_case::output_is_full) {
    fs::create_symlink("/dev/full", dir / c.blocked);
  }

  const program_result r = run_kalvane(dir.path);
  EXPECT_EQ(r.status, 1) << r.err;
  const bool halt = std::string(c.error) == "NLP.HALT";
  EXPECT_EQ(r.out, halt ? "Line Search Failure\n" : "");
  std::string name, message;
  ASSERT_TRUE(parse_error_report(r.err, name, message)) << "standard error: [" << r.err << "]";
  EXPECT_EQ(name, c.error) << message;
  EXPECT_NE(message.find(c.where), std::string::npos) << "message: " << message << "\nexpected in it: " << c.where;

  // Files of the stages the run never reached stay as the earlier run left them.
  const int kept_from = static_cast<int>(c.stage);
  for (int i = kept_from; i < 3; ++i) {
    if (c.blocked != nullptr && std::string(outputs[i]) == c.blocked) continue;
    EXPECT_EQ(read_file(dir / outputs[i]), sentinel(outputs[i])) << outputs[i] << " was changed";
  }
  if (c.setup == bad_case::output_is_directory) {
    EXPECT_EQ(read_file(dir / (std::string(c.blocked) + "/inside")), "kept");
  }
}

std::string case_name(const ::testing::TestParamInfo<bad_case>& info) {
  std::string name;
  for (const char* p = info.param.label; *p != '\0'; ++p)
    name += (std::isalnum(static_cast<unsigned char>(*p)) != 0) ? *p : '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(Catalogue, BadInput, ::testing::ValuesIn(catalogue()), case_name);

// Slips whose message starts at the slip itself, with its likely cause; their outcome is
// that of any other bad input.
std::vector<bad_case> slip_catalogue() {
  const auto without = [](int first, int last) {
    std::vector<std::string> lines = base_lines;
    lines.erase(lines.begin() + (first - 1), lines.begin() + last);
    return join(lines);
  };
  return {
      {"material section missing", without(4, 5), "DATA_ERROR", "input.txt:4:1: the material section"},
      {"node heading line left out", without(8, 8), "DATA_ERROR",
       "input.txt:8:1: the heading line of the nodes section seems to be missing"},
      {"hash for the colon of the nodes marker", with_line(6, "# nodes"), "INDEX_ERROR",
       "input.txt:6:1: '# nodes' seems meant as the marker line of the nodes section"},
      {"byte-order mark before the first marker", "\xEF\xBB\xBF" + without(1, 1), "DATA_ERROR",
       "input.txt:1:1: the file starts with a UTF-8 byte-order mark"},
      {"letter O in the y column", with_line(10, "2  1.0  -2O00  0.0"), "DATA_ERROR",
       "input.txt:10:11: the y coordinate of node 2 reads '-2O00'"},
  };
}

INSTANTIATE_TEST_SUITE_P(Slips, BadInput, ::testing::ValuesIn(slip_catalogue()), case_name);

}  // namespace
