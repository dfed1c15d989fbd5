#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "error.hpp"
#include "output/text_file.hpp"
#include "support.hpp"

using namespace kalvane;
using namespace kalvane_test;

namespace {

TEST(TextFile, ClosingEndsAnUnfinishedLineAndGivesAnEmptyFileOneLineEnd) {
  scratch_folder folder;
  const std::string empty = folder / "empty", open_line = folder / "open", ended = folder / "ended";
  {
    text_file out(empty);
    close(out);
  }
  {
    text_file out(open_line);
    write_text(out, "osmode 0");
    end_line(out);
    write_text(out, "zoom");
    close(out);
  }
  {
    text_file out(ended);
    write_line(out, "a");
    end_line(out);  // an empty line: nothing more is added on closing
    close(out);
  }
  EXPECT_EQ(read_file(empty), "\n");
  EXPECT_EQ(read_file(open_line), "osmode 0\nzoom\n");
  EXPECT_EQ(read_file(ended), "a\n\n");
}

TEST(TextFile, TracksColumnAndEndedLines) {
  scratch_folder folder;
  text_file out(folder / "count");
  write_integer(out, -7, 5);
  write_real(out, 1.5, point_real);
  write_blanks(out, 3);
  EXPECT_EQ(out.column, 1 + 5 + 14 + 3);
  EXPECT_EQ(out.lines_ended, 0);
  end_line(out);
  write_rule(out, 4);
  EXPECT_EQ(out.column, 1);
  EXPECT_EQ(out.lines_ended, 2);
  close(out);
  EXPECT_EQ(read_file(out.path), "   -71.50000000E+00   \n----\n");
}

TEST(TextFile, OutputLargerThanTheBufferArrivesWhole) {
  scratch_folder folder;
  const std::string path = folder / "large";
  std::string expected;
  {
    text_file out(path);
    for (int i = 1; i <= 150000; ++i) {
      write_integer(out, i, 5);
      write_text(out, ", ");
      write_real(out, i * 0.25, report_real);
      end_line(out);
      expected += integer_field(i, 5) + ", " + real_field(i * 0.25, report_real) + "\n";
    }
    close(out);
  }
  EXPECT_GT(expected.size(), std::size_t{2} << 20);
  EXPECT_TRUE(read_file(path) == expected);
}

TEST(TextFile, AFileThatCannotBeCreatedIsANameErrorNamingIt) {
  scratch_folder folder;
  const std::string path = folder / "no_such_directory/output.txt";
  try {
    text_file out(path);
    FAIL() << "created " << path;
  } catch (const error& e) {
    EXPECT_EQ(e.name, name_error);
    EXPECT_NE(std::string(e.what()).find(path + ": "), std::string::npos) << e.what();
  }
}

TEST(TextFile, AFailedWriteIsADeviceErrorNamingTheFile) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  try {
    text_file out("/dev/full");
    write_line(out, "no room for this");
    close(out);
    FAIL() << "a write to a full device succeeded";
  } catch (const error& e) {
    EXPECT_EQ(e.name, device_error);
    EXPECT_NE(std::string(e.what()).find("/dev/full: "), std::string::npos) << e.what();
  }
}

TEST(TextFile, AnErrorKeepsWhatWasWrittenAndAddsNothing) {
  scratch_folder folder;
  const std::string path = folder / "abandoned";
  try {
    text_file out(path);
    write_line(out, "*MATERIAL, NAME=MAT");
    write_text(out, "half a line");
    throw std::runtime_error("a stage failed");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(read_file(path), "*MATERIAL, NAME=MAT\nhalf a line");
}

TEST(TextFile, CreatingReplacesAnOldFile) {
  scratch_folder folder;
  const std::string path = folder / "replaced";
  write_file(path, "an earlier run's much longer content\n");
  text_file out(path);
  write_text(out, "new");
  close(out);
  EXPECT_EQ(read_file(path), "new\n");
}

}  // namespace
