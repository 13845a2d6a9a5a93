#include "updater/swap_journal.h"

#include <gtest/gtest.h>

namespace {

SwapJournal Sample() {
  SwapJournal journal;
  journal.hadVersion = true;
  // Any byte but NUL may be in a version: line ends and colons too.
  journal.newVersion = "1.0.1\r\nend\xB0\xA1:";
  journal.files = {{"Spruce.exe", true}, {"SpruceUp.exe", true}, {"도움말 1.txt", false}};
  return journal;
}

TEST(SwapJournal, ReadsBackWhatItWrites) {
  const std::string text = FormatSwapJournal(Sample());
  SwapJournal read;
  ASSERT_TRUE(ParseSwapJournal(text, 40, read));
  EXPECT_TRUE(read.hadVersion);
  EXPECT_EQ(read.newVersion, Sample().newVersion);
  ASSERT_EQ(read.files.size(), 3u);
  EXPECT_EQ(read.files[2].name, "도움말 1.txt");
  EXPECT_FALSE(read.files[2].hadOriginal);
  EXPECT_TRUE(read.files[1].hadOriginal);

  SwapJournal empty;
  ASSERT_TRUE(ParseSwapJournal(FormatSwapJournal(empty), 40, read));
  EXPECT_TRUE(read.files.empty());
  EXPECT_FALSE(read.hadVersion);
}

TEST(SwapJournal, TornOrAlteredTextIsRefused) {
  const std::string text = FormatSwapJournal(Sample());
  SwapJournal read;
  // A write cut anywhere: every shorter text.
  for (size_t n = 0; n < text.size(); ++n) EXPECT_FALSE(ParseSwapJournal(text.substr(0, n), 40, read)) << n;
  auto replaced = [&](const std::string& from, const std::string& to) {
    std::string t = text;
    t.replace(t.find(from), from.size(), to);
    return t;
  };
  for (const std::string& altered :
       {text + "file 1 x.exe\r\n", text + "\r\n", replaced("file 1 Spruce.exe", "file 2 Spruce.exe"),
        replaced("file 1 Spruce.exe", "file  1 Spruce.exe"), replaced("312e30", "312E30"),
        replaced("312e30", "312e3"), replaced("version 1", "version 1 00"),
        replaced("\r\nend\r\n", "\nend\n"), replaced("Spruce swap journal 1", "Spruce swap journal 2")})
    EXPECT_FALSE(ParseSwapJournal(altered, 40, read)) << altered;
}

TEST(SwapJournal, NamesOutsideTheSwapAreRefused) {
  SwapJournal read;
  for (const std::string& name :
       {std::string("..\\Windows\\system.ini"), std::string("C:\\boot.ini"), std::string("sub/x.exe"),
        std::string("version.dat"), std::string("SPRUCEUP.JNL"), std::string("version.dat___old"),
        std::string("nul.txt"), std::string("x."), std::string(""), std::string("spruce.EXE")}) {
    SwapJournal journal = Sample();
    journal.files.push_back({name, true});
    EXPECT_FALSE(ParseSwapJournal(FormatSwapJournal(journal), 40, read)) << name;
  }
  // The same names in a deeper folder would pass MAX_PATH.
  EXPECT_FALSE(ParseSwapJournal(FormatSwapJournal(Sample()), 240, read));
  SwapJournal nul = Sample();
  nul.newVersion = std::string("1.0\0" "1", 5);
  EXPECT_FALSE(ParseSwapJournal(FormatSwapJournal(nul), 40, read));
  SwapJournal many;
  for (int i = 0; i < 101; ++i) many.files.push_back({"f" + std::to_string(i), true});
  EXPECT_FALSE(ParseSwapJournal(FormatSwapJournal(many), 40, read));
  many.files.pop_back();
  EXPECT_TRUE(ParseSwapJournal(FormatSwapJournal(many), 40, read));
}

}  // namespace
