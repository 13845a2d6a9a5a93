#include "framework/helpers.h"

#include <gtest/gtest.h>

#include "framework/mbstring.h"

namespace {

std::pair<int64_t, std::string> Size(int64_t n) {
  std::string unit = FormatSize(n);
  return {n, unit};
}

TEST(FormatSize, UnitBoundariesAreInclusiveUpperBounds) {
  using P = std::pair<int64_t, std::string>;
  EXPECT_EQ(Size(0), P(0, "Byte"));
  EXPECT_EQ(Size(-5), P(-5, "Byte"));
  EXPECT_EQ(Size(1024), P(1024, "Byte"));
  EXPECT_EQ(Size(1025), P(1, "KB"));
  EXPECT_EQ(Size(1536), P(1, "KB"));
  EXPECT_EQ(Size(1048576), P(1024, "KB"));
  EXPECT_EQ(Size(1048577), P(1, "MB"));
  EXPECT_EQ(Size(1073741824), P(1024, "MB"));
  EXPECT_EQ(Size(1073741825), P(1, "GB"));
  EXPECT_EQ(Size(5LL * 1073741824), P(5, "GB"));
  EXPECT_EQ(Size(INT64_MAX), P(INT64_MAX / 1073741824, "GB"));
}

TEST(OsCode, MapsPlatformAndVersion) {
  EXPECT_EQ(OsCodeFor(2, 4, 0), "WNT4");
  EXPECT_EQ(OsCodeFor(2, 5, 1), "W2K");   // XP
  EXPECT_EQ(OsCodeFor(2, 6, 0), "W2K");   // Vista
  EXPECT_EQ(OsCodeFor(1, 4, 0), "W95");
  EXPECT_EQ(OsCodeFor(1, 4, 10), "W98");
  EXPECT_EQ(OsCodeFor(1, 4, 89), "W98");
  EXPECT_EQ(OsCodeFor(1, 4, 90), "WME");
  EXPECT_EQ(OsCodeFor(0, 3, 10), "");
  EXPECT_EQ(OsCodeFor(3, 10, 0), "");
}

std::vector<std::string> Split(const std::string& text, const std::string& delim, bool keep) {
  std::vector<std::string> out;
  SplitString(text, delim, out, keep);
  return out;
}

TEST(SplitString, EmptyPiecesAndTrailingDelimiter) {
  using V = std::vector<std::string>;
  EXPECT_EQ(Split("a++b+", "+", false), (V{"a", "b"}));
  EXPECT_EQ(Split("a++b+", "+", true), (V{"a", "", "b"}));
  EXPECT_EQ(Split("+a", "+", true), (V{"", "a"}));
  EXPECT_EQ(Split("", "+", true), V{});
  EXPECT_EQ(Split("abc", "+", false), V{"abc"});
  EXPECT_EQ(Split(" a , b ", "", false), (V{" a ", " b "}));  // default "," and no trimming
}

TEST(SplitString, AppendsAndTakesLongDelimiters) {
  std::vector<std::string> out{"kept"};
  SplitString("x::y::::z", "::", out, false);
  EXPECT_EQ(out, (std::vector<std::string>{"kept", "x", "y", "z"}));
}

TEST(SplitString, TrailByteNeverStartsAMatch) {
  // 0x81 0x5C is one CP949 character whose trail byte equals a backslash.
  const std::string text = "a\x81\x5C" "b\\c";
  EXPECT_EQ(Split(text, "\\", false), (std::vector<std::string>{"a\x81\x5C" "b", "c"}));
  // A delimiter that equals a trail byte and the next lead byte.
  EXPECT_EQ(Split("\xB0\xA1\xB0\xA1", "\xA1\xB0", false),
            (std::vector<std::string>{"\xB0\xA1\xB0\xA1"}));
}

TEST(MbString, FindLowerTrim) {
  EXPECT_EQ(mb::Find("\xC5\x41" "A", "A"), 2u);  // 0xC5 0x41: trail byte 'A' skipped
  EXPECT_EQ(mb::Find("abc", ""), 0u);
  EXPECT_EQ(mb::Find("abc", "c", 3), std::string::npos);
  EXPECT_EQ(mb::Find("abc", "x", 9), std::string::npos);
  EXPECT_EQ(mb::ToLower("C:\\APP\xC5\x41.EXE"), "c:\\app\xC5\x41.exe");
  EXPECT_EQ(mb::Trim(" \t x y \r\n"), "x y");
  EXPECT_EQ(mb::Trim("   "), "");
}

}  // namespace
