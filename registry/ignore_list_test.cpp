#include "registry/ignore_list.h"

#include <gtest/gtest.h>

namespace {

using Entries = std::vector<std::string>;

TEST(IgnoreList, SplitsLinesKeepingBlankEntries) {
  EXPECT_EQ(ParseIgnoreList(""), Entries{});
  EXPECT_EQ(ParseIgnoreList("A\r\n  B \t\r\n\r\n \nC"), (Entries{"A", "B", "", "", "C"}));
  EXPECT_EQ(ParseIgnoreList("A\n"), Entries{"A"});
  EXPECT_EQ(ParseIgnoreList("\xB0\n\xB0\xA1"), (Entries{"\xB0", "\xB0\xA1"}));
}

TEST(IgnoreList, EntryMatchesAnywhereCaseSensitively) {
  Entries entries{"Vendor"};
  EXPECT_TRUE(IsIgnoredPath("SOFTWARE\\Vendor", entries));
  EXPECT_TRUE(IsIgnoredPath("SOFTWARE\\Vendor2\\x", entries));
  EXPECT_TRUE(IsIgnoredPath("SOFTWARE\\OtherVendorTools", entries));
  EXPECT_FALSE(IsIgnoredPath("SOFTWARE\\vendor", entries));
  EXPECT_TRUE(IsIgnoredPath("SOFTWARE\\Anything", ParseIgnoreList("Vendor\r\n\r\n")));
}

TEST(IgnoreList, MatchNeverStartsOnTrailByte) {
  EXPECT_FALSE(IsIgnoredPath("SOFTWARE\x81\x5CKey", Entries{"\\Key"}));
  EXPECT_TRUE(IsIgnoredPath("SOFTWARE\x81\x5C\\Key", Entries{"\\Key"}));
  EXPECT_FALSE(IsIgnoredPath("\xB0\xA1\xB0\xA1", Entries{"\xA1\xB0"}));
}

}  // namespace
