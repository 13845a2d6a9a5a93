#include "cleaner/backup_slots.h"

#include <gtest/gtest.h>

namespace {

using namespace diskclean;

TEST(BackupSlots, FileNamesBelongToSlotsOneToThreeOnly) {
  EXPECT_EQ(SlotOfFileName("disk-2024-1.txt"), 1);
  EXPECT_EQ(SlotOfFileName("disk-x-3.TXT"), 3);
  EXPECT_EQ(SlotOfFileName(ListFileName(StampText(2024, 1, 2, 3, 4, 5), 2)), 2);
  // Never a live slot: digits 0 and 4-9, other prefixes, other endings.
  EXPECT_EQ(SlotOfFileName("disk-x-0.txt"), 0);
  EXPECT_EQ(SlotOfFileName("disk-x-4.txt"), 0);
  EXPECT_EQ(SlotOfFileName("disk-x-9.txt"), 0);
  EXPECT_EQ(SlotOfFileName("Disk-x-1.txt"), 0);
  EXPECT_EQ(SlotOfFileName("reg-x-1.txt"), 0);
  EXPECT_EQ(SlotOfFileName("disk-x-1.txt.bak"), 0);
  EXPECT_EQ(SlotOfFileName("disk-.txt"), 0);
  EXPECT_EQ(SlotOfFileName("disk-1.txt"), 1);
  EXPECT_EQ(SlotOfFileName("disk"), 0);
  EXPECT_EQ(SlotOfFileName(""), 0);
}

TEST(BackupSlots, IndexTextOutsideOneToThreeCountsAsOne) {
  EXPECT_EQ(SlotFromIndexText("2"), 2);
  EXPECT_EQ(SlotFromIndexText("3\r\nwhatever"), 3);
  EXPECT_EQ(SlotFromIndexText(" 2"), 2);
  EXPECT_EQ(SlotFromIndexText("02"), 2);
  EXPECT_EQ(SlotFromIndexText("2abc"), 2);
  for (const char* text :
       {"", "7", "0", "-2", "4", "13", "text", "\r\n2", "99999999999999999999999"})
    EXPECT_EQ(SlotFromIndexText(text), 1) << text;
  EXPECT_EQ(NextSlot(1), 2);
  EXPECT_EQ(NextSlot(2), 3);
  EXPECT_EQ(NextSlot(3), 1);
}

TEST(BackupSlots, NamesAndLinesAreByteExact) {
  EXPECT_EQ(StampText(2024, 3, 7, 9, 5, 1), "2024년03월07일-09시05분01초");
  EXPECT_EQ(ListFileName("S", 1), "disk-S-1.txt");
  EXPECT_EQ(FileLine("C:\\users\\u\\Temp\\", "a.tmp"), "C:\\users\\u\\Temp\\\\a.tmp\r\n");
  EXPECT_EQ(FileLine("C:\\users\\u\\Temp\\\\sub", "b"), "C:\\users\\u\\Temp\\\\sub\\b\r\n");
  EXPECT_EQ(RecycleBinLine("C 드라이브 휴지통", "5 개", "12 MB"),
            "C 드라이브 휴지통 5 개(12 MB)\r\n");
}

TEST(BackupSlots, StatusCutsAfterSixtyBytesWithoutSplittingACharacter) {
  std::string sixty(60, 'a');
  EXPECT_EQ(StatusText(sixty), sixty);
  EXPECT_EQ(StatusText(sixty + "b"), sixty + "...");
  EXPECT_EQ(StatusText(""), "");
  // CP949 "가" is B0 A1. 59 single bytes then a double-byte character: the
  // character would straddle the cut, so the text stops before it.
  const std::string ga = "\xB0\xA1";
  EXPECT_EQ(StatusText(std::string(59, 'a') + ga + "z"), std::string(59, 'a') + "...");
  // 58 single bytes then one character: it ends exactly at byte 60.
  EXPECT_EQ(StatusText(std::string(58, 'a') + ga + "z"), std::string(58, 'a') + ga + "...");
  // Thirty characters fill the 60 bytes; a trail byte in the lead range is
  // not mistaken for a lead byte.
  std::string wide;
  for (int i = 0; i < 31; ++i) wide += "\xB0\xB0";
  EXPECT_EQ(StatusText(wide), wide.substr(0, 60) + "...");
  EXPECT_EQ(StatusText("a" + wide), "a" + wide.substr(0, 58) + "...");
}

}  // namespace
