#include "model/input.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "error.hpp"

using kalvane::model;

namespace {

const std::string single_bar =
    "Single bar test\n"
    ": settings - sigma, line-search steps, tolerance, reference, iterations, memory\n"
    "0.9  20  0.001  0.0  1000  5\n"
    ": material - 1 Neo-Hooke (c1), 2 Mooney-Rivlin (c1 c2)\n"
    "1  10.0\n"
    ": nodes\n"
    "2\n"
    "node   x      y      z\n"
    "1      0.0    0.0    0.0\n"
    "2      1.0    0.0    0.0\n"
    ": bars\n"
    "1\n"
    "bar  node1  node2  area\n"
    "1    1      2      0.01\n"
    ": prescribed displacements\n"
    "5\n"
    "node  component  value\n"
    "1     1          0.0\n"
    "1     2          0.0\n"
    "1     3          0.0\n"
    "2     2          0.0\n"
    "2     3          0.0\n"
    ": loads\n"
    "1\n"
    "node  component  value\n"
    "2     1          0.05\n";

model read(const std::string& text) {
  model m;
  kalvane::input_text(m, text, "input.txt");
  return m;
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

// The error a text raises: its name and message.
kalvane::error failure(const std::string& text) {
  try {
    read(text);
  } catch (const kalvane::error& e) {
    return e;
  }
  ADD_FAILURE() << "no error for:\n" << text;
  return kalvane::error("", "");
}

}  // namespace

TEST(Input, ReadsTheSingleBarExampleFieldByField) {
  model m = read(single_bar);
  EXPECT_EQ(m.line_search_sigma, 0.9);
  EXPECT_EQ(m.line_search_max_steps, 20);
  EXPECT_EQ(m.gradient_tolerance, 0.001);
  EXPECT_EQ(m.gradient_reference, 0.0);
  EXPECT_EQ(m.max_iterations, 1000);
  EXPECT_EQ(m.memory_size, 5);
  ASSERT_TRUE(m.material.has_value());
  EXPECT_EQ(m.material->kind, kalvane::material_law::neo_hooke);
  EXPECT_EQ(m.material->model, kalvane::material_law::neo_hooke);
  EXPECT_EQ(m.material->c1, 10.0);
  EXPECT_EQ(m.node_count, 2);
  EXPECT_EQ(m.x0(2), 1.0);
  EXPECT_EQ(m.y0(2), 0.0);
  EXPECT_EQ(kalvane::bar_count(m), 1);
  EXPECT_EQ(m.bars(1).node1, 1);
  EXPECT_EQ(m.bars(1).node2, 2);
  EXPECT_EQ(m.bars(1).area, 0.01);
  const int flags[2][3] = {{1, 1, 1}, {0, 1, 1}};
  for (int i = 1; i <= 2; ++i)
    for (int j = 1; j <= 3; ++j) {
      EXPECT_EQ(m.dof_map(i, j), flags[i - 1][j - 1]);
      EXPECT_EQ(m.prescribed(i, j), 0.0);
      EXPECT_EQ(m.loads(i, j), i == 2 && j == 1 ? 0.05 : 0.0);
    }
}

TEST(Input, MooneyRivlinAndTheCheckedSecondConstant) {
  model m = read(replaced(single_bar, "1  10.0\n", "2  1.0\n 0.5 remark\n"));
  EXPECT_EQ(m.material->kind, kalvane::material_law::mooney_rivlin);
  EXPECT_EQ(kalvane::c2(*m.material), 0.5);
  model neo = read(single_bar);
  EXPECT_THROW(kalvane::c2(*neo.material), kalvane::error);
}

TEST(Input, GradientToleranceOfZeroOrLessIsReplaced) {
  EXPECT_EQ(read(replaced(single_bar, "0.001  0.0", "0  0.0")).gradient_tolerance, 0.001);
  EXPECT_EQ(read(replaced(single_bar, "0.001  0.0", "-5.0  0.0")).gradient_tolerance, 0.001);
  EXPECT_EQ(read(replaced(single_bar, "0.001  0.0", "1E-6  0.0")).gradient_tolerance, 1e-6);
}

TEST(Input, LayoutFreedoms) {
  // Settings spread over lines, remarks after values, titles before markers, CR LF line
  // ends, tabs, form feeds and blank lines between data lines, lines in any order.
  std::string text = single_bar;
  text = replaced(text, "0.9  20  0.001  0.0  1000  5\n", "0.9\t20\n\n 0.001 0.0\f1000  5  remark 1 2 3\n");
  text = replaced(text, "1      0.0    0.0    0.0\n2      1.0    0.0    0.0\n",
                  "2      1.0    0.0    0.0  ; x\n\f\n\t\n1      0.0    0.0    0.0\n");
  text = replaced(text, "Single bar test\n", "Title: a colon not in column 1\n\n");
  std::string crlf;
  for (char c : text) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  for (const std::string& variant : {text, crlf}) {
    model m = read(variant);
    EXPECT_EQ(m.memory_size, 5);
    EXPECT_EQ(m.max_iterations, 1000);
    EXPECT_EQ(m.x0(2), 1.0);
    EXPECT_EQ(m.x0(1), 0.0);
    EXPECT_EQ(m.loads(2, 1), 0.05);
  }
}

TEST(Input, HeadingLinesAndZeroCounts) {
  // A bar, prescribed or load count of zero skips no heading line: the marker may follow.
  std::string text = replaced(single_bar, "1\nbar  node1  node2  area\n1    1      2      0.01\n", "0\n");
  text = replaced(text, "1\nnode  component  value\n2     1          0.05\n", "0\n");
  model m = read(text);
  EXPECT_EQ(kalvane::bar_count(m), 0);
  EXPECT_EQ(m.loads(2, 1), 0.0);
  // A node count of zero still skips one heading line, whatever it holds.
  std::string no_nodes =
      ":\n1 20 0 0 10 5\n:\n1 1.0\n:\n0\n: this heading line is skipped\n:\n0\n:\n0\n:\n-3\n";
  model empty = read(no_nodes);
  EXPECT_EQ(empty.node_count, 0);
  EXPECT_TRUE(empty.dof_map.data.empty());
  // An empty line right after the count is the heading line.
  model blank_heading = read(replaced(single_bar, "node   x      y      z\n", "\n"));
  EXPECT_EQ(blank_heading.x0(2), 1.0);
}

TEST(Input, LaterLinesOverwriteEarlierOnes) {
  std::string text = replaced(single_bar, "2     3          0.0\n", "2     3          0.0\n2     2          0.25\n");
  text = replaced(text, "5\nnode  component", "6\nnode  component");
  text = replaced(text, "1\nnode  component  value\n2     1          0.05\n",
                  "2\nnode  component  value\n2     1          0.05\n2     1          0.07\n");
  model m = read(text);
  EXPECT_EQ(m.prescribed(2, 2), 0.25);
  EXPECT_EQ(m.loads(2, 1), 0.07);  // not 0.12
}

TEST(Input, DataLinesBeyondTheCountAreNeverRead) {
  model m = read(single_bar + "3 1 this line is never read\n");
  EXPECT_EQ(m.loads(2, 1), 0.05);
  std::string extra = replaced(single_bar, "2     3          0.0\n", "2     3          0.0\n9 9 9 not read\n");
  EXPECT_EQ(read(extra).dof_map(2, 3), 1);
}

TEST(Input, TheLastLineMayEndWithoutALineEndOnlyAfterSomeCharacter) {
  std::string text = single_bar.substr(0, single_bar.size() - 1);
  kalvane::error e = failure(text);
  EXPECT_EQ(e.name, "END_ERROR");
  EXPECT_NE(std::string(e.what()).find("input.txt:26:"), std::string::npos) << e.what();
  EXPECT_EQ(read(text + " ").loads(2, 1), 0.05);
  EXPECT_EQ(read(text + "\r").loads(2, 1), 0.05);
  EXPECT_EQ(read(text + " kN").loads(2, 1), 0.05);
}

TEST(Input, FailuresNameTheirKindLineAndColumn) {
  struct bad {
    std::string text;
    const char* name;
    const char* where;  // expected in the message
  };
  const bad cases[] = {
      {"", "END_ERROR", "input.txt:1:1: the file ends"},
      {":", "END_ERROR", "input.txt:1:2"},
      {"no marker at all\n", "END_ERROR", "marker"},
      {replaced(single_bar, "1    1      2      0.01", "1    1,     2      0.01"), "DATA_ERROR",
       "input.txt:14:7: the first node of a bar (bar 1) reads '1,': values are separated by blanks"},
      {replaced(single_bar, "2     1          0.05", "2     1          abc"), "DATA_ERROR",
       "input.txt:26:18: expected a real number (load), found 'abc'"},
      {replaced(single_bar, "0.9  20", "0.9  -"), "DATA_ERROR", "input.txt:3:6"},
      {replaced(single_bar, "1000  5", "1000  2147483648"), "DATA_ERROR", "32-bit range"},
      {replaced(single_bar, "1      0.0    0.0", "1      1E400  0.0"), "DATA_ERROR", "64-bit range"},
      {replaced(single_bar, "1    1      2      0.01", "1    1.5    2      0.01"), "DATA_ERROR",
       "input.txt:14:7: the first node of a bar (bar 1) reads '1.5': an integer has no decimal point"},
      {replaced(single_bar, "2      1.0    0.0", "3      1.0    0.0"), "INDEX_ERROR",
       "input.txt:10: node number 3 is outside 1..2"},
      {replaced(single_bar, "bar  node1  node2  area\n1 ", "bar  node1  node2  area\n2 "), "INDEX_ERROR",
       "input.txt:14: bar number 2"},
      {replaced(single_bar, "2     1          0.05", "2     4          0.05"), "INDEX_ERROR",
       "input.txt:26: component 4 is outside 1..3"},
      {replaced(single_bar, "2     2          0.0", "3     2          0.0"), "INDEX_ERROR",
       "input.txt:21: node number 3"},
      {replaced(single_bar, "1  10.0\n", "3  10.0\n"), "DATA_ERROR",
       "input.txt:5:1: material number 3 is neither 1 (Neo-Hooke) nor 2 (Mooney-Rivlin)"},
      {replaced(single_bar, "1\nnode  component  value\n2", "2\nnode  component  value\n2"), "END_ERROR",
       "input.txt:27:1: the file ends"},
      {replaced(single_bar, "2\nnode   x", "3\nnode   x"), "DATA_ERROR", "input.txt:11:1: expected an integer"},
  };
  for (const bad& c : cases) {
    kalvane::error e = failure(c.text);
    EXPECT_EQ(e.name, c.name) << e.what();
    EXPECT_NE(std::string(e.what()).find(c.where), std::string::npos) << e.what() << "\nwanted: " << c.where;
  }
}

TEST(Input, ACountTheFileCannotHoldIsRefusedBeforeAllocation) {
  kalvane::error e = failure(replaced(single_bar, "2\nnode   x", "2_000_000_000\nnode   x"));
  EXPECT_EQ(e.name, "END_ERROR");
  EXPECT_NE(std::string(e.what()).find("node count 2000000000"), std::string::npos) << e.what();
  e = failure(replaced(single_bar, "1\nbar  node1", "2147483647\nbar  node1"));
  EXPECT_EQ(e.name, "END_ERROR");
}

TEST(Input, MissingFileIsTheNameError) {
  model m;
  try {
    kalvane::input(m, "/nonexistent/input.txt");
    FAIL();
  } catch (const kalvane::error& e) {
    EXPECT_EQ(e.name, "NAME_ERROR");
    EXPECT_STREQ(e.what(), "/nonexistent/input.txt: No such file or directory");
  }
}

// A slip early in the file often shows only later; the message then starts at the slip,
// with its likely cause, and still names the place where the reader stopped.
TEST(Input, FailuresStartAtTheLikelySlip) {
  struct slip {
    const char* label;
    std::string text;
    const char* name;    // unchanged by the explanation
    const char* starts;  // the message starts with this: the slip's place and cause
    const char* stop;    // and still holds where the reader stopped
  };
  const std::string no_material =
      replaced(single_bar, ": material - 1 Neo-Hooke (c1), 2 Mooney-Rivlin (c1 c2)\n1  10.0\n", "");
  const slip cases[] = {
      {"missing material section", no_material, "DATA_ERROR",
       "input.txt:4:1: the material section (': material' line, then 'number c1 [c2]') seems to be missing: "
       "the reader took the marker line ': nodes' for it",
       "stopped at input.txt:6:1: expected a real number (Mooney-Rivlin constant c1), found 'node'"},
      {"missing material section, node count 5", replaced(no_material, "2\nnode   x", "5\nnode   x"), "DATA_ERROR",
       "input.txt:4:1: the material section (': material' line, then 'number c1 [c2]') seems to be missing",
       "stopped at input.txt:5:1: material number 5 is neither 1 (Neo-Hooke) nor 2 (Mooney-Rivlin)"},
      {"node heading line left out", replaced(single_bar, "node   x      y      z\n", ""), "DATA_ERROR",
       "input.txt:8:1: the heading line of the nodes section seems to be missing: the line after the count, "
       "skipped as the heading line, reads like a node line ('1      0.0    0.0    0.0')",
       "stopped at input.txt:10:1: expected an integer (node number), found the marker line ': bars'"},
      {"'#' for ':' on the nodes marker", replaced(single_bar, ": nodes\n", "# nodes\n"), "INDEX_ERROR",
       "input.txt:6:1: '# nodes' seems meant as the marker line of the nodes section, but a marker line starts "
       "with ':' in column 1, so the reader took line 11 ': bars' for it",
       "stopped at input.txt:26: node number 2 is outside 1..1"},
      {"byte-order mark before the first marker", "\xEF\xBB\xBF" + replaced(single_bar, "Single bar test\n", ""),
       "DATA_ERROR",
       "input.txt:1:1: the file starts with a UTF-8 byte-order mark, which hides the marker line ': settings",
       "stopped at input.txt:5:1: expected a real number (gradient reference), found the marker line ': nodes'"},
      {"letter O in the y column", replaced(single_bar, "2      1.0    0.0    0.0", "2      1.0    -2O00  0.0"),
       "DATA_ERROR",
       "input.txt:10:17: the y coordinate of node 2 reads '-2O00': the letter O stands in it (a zero typed as a "
       "letter?); the reader took '-2' for it",
       "then expected a real number (z coordinate) here and found 'O00'"},
      {"marker line of the bars left out", replaced(single_bar, ": bars\n", ""), "END_ERROR",
       "input.txt:11:1: the marker line of the bars section (': bars') seems to be missing before this line: "
       "the reader passed over 3 lines from here and took line 14 ': prescribed displacements' for it",
       "stopped at input.txt:26:1: the file ends where the marker line ': loads' was expected"},
      {"no heading line after a node count of 0",
       ":\n1 20 0 0 10 5\n:\n1 1.0\n: nodes\n0\n: bars\n0\n: prescribed\n0\n: loads\n0\n", "END_ERROR",
       "input.txt:7:1: the heading line of the nodes section seems to be missing: the reader skipped the marker "
       "line ': bars' as the heading line after the count (the nodes section has a heading line even when its "
       "count is 0)",
       "stopped at input.txt:13:1: the file ends where the marker line ': loads' was expected"},
  };
  for (const slip& c : cases) {
    kalvane::error e = failure(c.text);
    const std::string message = e.what();
    EXPECT_EQ(e.name, c.name) << c.label << ": " << message;
    EXPECT_EQ(message.rfind(c.starts, 0), 0u) << c.label << ": " << message << "\nwanted at the start: " << c.starts;
    EXPECT_NE(message.find(c.stop), std::string::npos) << c.label << ": " << message << "\nwanted: " << c.stop;
  }
  // The mark before a title line hides nothing: the file is read as before.
  EXPECT_EQ(read("\xEF\xBB\xBF" + single_bar).loads(2, 1), 0.05);
}

TEST(Input, WhereANumberIsDueAndTheSectionEndsTheMessageSaysWhatWasStillExpected) {
  struct short_of {
    std::string text;
    const char* name;
    const char* message;  // the whole message, or its start
  };
  const short_of cases[] = {
      {replaced(single_bar, "2\nnode   x", "3\nnode   x"), "DATA_ERROR",
       "input.txt:11:1: expected an integer (node number), found the marker line ': bars'; the reader was in the "
       "nodes section and had read 2 of the 3 node lines counted at line 7 (1 more expected): the count may be "
       "too large, or a line is missing"},
      {replaced(single_bar, "1\nnode  component  value\n2", "2\nnode  component  value\n2"), "END_ERROR",
       "input.txt:27:1: the file ends where a number (node number) was expected; the reader was in the loads "
       "section and had read 1 of the 2 load lines counted at line 24 (1 more expected)"},
      {replaced(single_bar, "1000  5\n", "1000\n"), "DATA_ERROR",
       "input.txt:4:1: expected an integer (memory size), found the marker line ': material - 1 Neo-Hooke (c1), "
       "2 Mooney-...'; the reader was in the settings section, whose 6 values are 'sigma steps tolerance "
       "reference iterations memory', and had read 5 of them"},
      {replaced(single_bar, "1\nbar  node1", "\nbar  node1"), "DATA_ERROR",
       "input.txt:13:1: expected an integer (bar count), found 'bar'"},
      {replaced(single_bar, ": bars\n1\n", ": bars\n"), "DATA_ERROR",
       "input.txt:12:1: expected an integer (bar count), found 'bar'"},
      {replaced(single_bar, ": loads\n1\nnode  component  value\n2     1          0.05\n", ": loads\n"), "END_ERROR",
       "input.txt:24:1: the file ends where a number (load count) was expected; the reader expected the count of "
       "the loads section"},
  };
  for (const short_of& c : cases) {
    kalvane::error e = failure(c.text);
    EXPECT_EQ(e.name, c.name) << e.what();
    EXPECT_EQ(std::string(e.what()).rfind(c.message, 0), 0u) << e.what() << "\nwanted: " << c.message;
  }
}

TEST(Input, RemarksAndTerseMarkersAreNotBlamedForAnUnrelatedFailure) {
  // A remark that names the next section, before its own marker line.
  const std::string remark = replaced(single_bar, ": bars\n", "# the bars follow\n: bars\n");
  EXPECT_EQ(read(remark).bars(1).area, 0.01);
  const kalvane::error e = failure(replaced(remark, "2     1          0.05", "2     4          0.05"));
  EXPECT_EQ(e.name, "INDEX_ERROR");
  EXPECT_STREQ(e.what(), "input.txt:27: component 4 is outside 1..3");
  // Markers that name no section; a remark glued to the last value of a line is still a
  // remark, a letter glued to any other value is that value's fault.
  const std::string terse = ":\n1 20 0 0 10 5\n:\n1 1.0\n:\n1\nh\n1 0 0 0x\n:\n0\n:\n0\n:\n0\n";
  EXPECT_EQ(read(terse).z0(1), 0.0);
  const kalvane::error letters = failure(replaced(terse, "1 0 0 0x", "1 0 0x 0"));
  EXPECT_EQ(letters.name, "DATA_ERROR");
  EXPECT_STREQ(letters.what(),
               "input.txt:8:6: the y coordinate of node 1 reads '0x': 'x' cannot be part of a number; the reader "
               "took '0' for it, then expected a real number (z coordinate) here and found 'x'");
}
