#include <gtest/gtest.h>

#include "companion/printable.hpp"
#include "error.hpp"
#include "support.hpp"
#include "view/title.hpp"

using kalvane::companion::printable;
using kalvane::view::read_title;

TEST(ViewTitle, IsTheFirstLineWithTextBeforeTheFirstMarker) {
  kalvane_test::scratch_folder dir;
  kalvane_test::write_file(dir / "a.txt", "\n  \t\r\n\f\n  Roof A, 12 m span \r\nsecond line\n: settings\n");
  EXPECT_EQ(read_title(dir / "a.txt"), "Roof A, 12 m span");
  kalvane_test::write_file(dir / "bom.txt", "\xEF\xBB\xBFRoof B\n: settings\n");
  EXPECT_EQ(read_title(dir / "bom.txt"), "Roof B");
  kalvane_test::write_file(dir / "b.txt", ": settings\n0.9 20 0.001 0.0 1000 5\n");
  EXPECT_EQ(read_title(dir / "b.txt"), "");
  kalvane_test::write_file(dir / "c.txt", "");
  EXPECT_EQ(read_title(dir / "c.txt"), "");
  EXPECT_THROW(read_title(dir / "none.txt"), kalvane::error);
}

// A document that declares UTF-8 must hold only UTF-8 and no control characters, whatever
// encoding the input file was written in.
TEST(ViewTitle, IsMadeValidUtf8WithoutControlCharacters) {
  const std::string fffd = "\xEF\xBF\xBD";
  EXPECT_EQ(printable("Tr\xC3\xA4ger \xE2\x80\x93 5 m"), "Tr\xC3\xA4ger \xE2\x80\x93 5 m");  // kept as it is
  EXPECT_EQ(printable("Tr\xE4ger"), "Tr" + fffd + "ger");  // Latin-1
  EXPECT_EQ(printable("a\tb\x01" "c\x7F"), "a b" + fffd + "c" + fffd);
  EXPECT_EQ(printable("\xC0\xAF|\xED\xA0\x80|\xF4\x90\x80\x80|\xC2\x85|\xE2\x82"),  // overlong, surrogate, > U+10FFFF, C1, cut
            fffd + fffd + "|" + fffd + fffd + fffd + "|" + fffd + fffd + fffd + fffd + "|" + fffd + "|" + fffd + fffd);
  EXPECT_EQ(printable("\xF0\x9F\x8F\x97 ok"), "\xF0\x9F\x8F\x97 ok");
  EXPECT_EQ(printable(std::string(130, 'x')), std::string(120, 'x') + "\xE2\x80\xA6");
  EXPECT_EQ(printable(std::string(120, 'x')), std::string(120, 'x'));
}
