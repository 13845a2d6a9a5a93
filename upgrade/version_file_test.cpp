#include "upgrade/version_file.h"

#include <gtest/gtest.h>

#include <cctype>

namespace {

VersionInfo Parse(const std::string& text) {
  VersionInfo info;
  ParseVersionText(text, info);
  return info;
}

TEST(VersionFile, ReadsKeysValuesAndFileList) {
  VersionInfo info = Parse(
      "  \"Version\" :  \" 1.0.1 \"  \r\n"
      "Filename: Spruce.exe 1234\r\n"
      "Filename:   SpruceUp.exe  77   extra words\n"
      "Filename: lonely.exe\n"           // no size: ignored
      "Filename: text.dat many\n"        // size not a number: 0
      "version: 9.9.9\n"                 // keys are case-sensitive
      "no colon here\n\n\n"
      "UpgradeURL: www.spruce.co.kr/new.htm\n"
      "UpgradeExec: setup.exe\n");
  EXPECT_EQ(info.version, "1.0.1");
  EXPECT_TRUE(info.hasVersion);
  ASSERT_EQ(info.fileCount, 3);
  EXPECT_EQ(info.fileNames[0], "Spruce.exe");
  EXPECT_EQ(info.fileSizes[0], 1234u);
  EXPECT_EQ(info.fileNames[1], "SpruceUp.exe");
  EXPECT_EQ(info.fileSizes[1], 77u);
  EXPECT_EQ(info.fileNames[2], "text.dat");
  EXPECT_EQ(info.fileSizes[2], 0u);
  EXPECT_EQ(info.upgradeUrl, "www.spruce.co.kr/new.htm");
  EXPECT_EQ(info.upgradeExec, "setup.exe");
}

TEST(VersionFile, ThirdWordIsTheFilesDigestInLowerCaseHexOnly) {
  const std::string hash = Sha256Hex(HashSha256("abc"));
  ASSERT_EQ(hash, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  std::string upper = hash;
  for (char& c : upper) c = static_cast<char>(toupper(c));
  VersionInfo info = Parse("Filename: a.exe 3 " + hash + "\n" +
                           "Filename: b.exe 3 " + upper + "\n" +         // not lower case
                           "Filename: c.exe 3 " + hash.substr(1) + "\n" +  // 63 digits
                           "Filename: d.exe 3 " + hash + "0\n" +          // 65 digits
                           "Filename: e.exe 3\n");
  ASSERT_EQ(info.fileCount, 5);
  EXPECT_TRUE(info.fileHashed[0]);
  EXPECT_EQ(Sha256Hex(info.fileHashes[0]), hash);
  for (int i = 1; i < 5; ++i) EXPECT_FALSE(info.fileHashed[i]) << info.fileNames[i];
  // A parse again starts a new list: no entry keeps an earlier digest.
  ParseVersionText("Filename: a.exe 3\n", info);
  EXPECT_FALSE(info.fileHashed[0]);
}

TEST(VersionFile, ValueEndsAtItsFirstColonAndListRestartsOnEveryParse) {
  VersionInfo info = Parse("UpgradeURL: http://www.spruce.co.kr/x\nFilename: a 1\n");
  EXPECT_EQ(info.upgradeUrl, "http");
  ParseVersionText("Filename: b 2\n", info);
  ASSERT_EQ(info.fileCount, 1);
  EXPECT_EQ(info.fileNames[0], "b");
  EXPECT_FALSE(Parse("<html><body>404 Not Found</body></html>").hasVersion);
}

TEST(VersionFile, TakesAtMostOneHundredFiles) {
  std::string text;
  for (int i = 0; i < 150; ++i) text += "Filename: f" + std::to_string(i) + " " + std::to_string(i) + "\n";
  VersionInfo info = Parse(text);
  EXPECT_EQ(info.fileCount, kMaxVersionFiles);
  EXPECT_EQ(info.fileNames[99], "f99");
}

TEST(VersionFile, ListedSizesReadLikeAtoiWithinThirtyTwoBits) {
  EXPECT_EQ(ParseListedSize("4294967295"), 4294967295u);
  EXPECT_EQ(ParseListedSize("4294967296"), 0u);
  EXPECT_EQ(ParseListedSize("12abc"), 12u);
  EXPECT_EQ(ParseListedSize("+7"), 7u);
  EXPECT_EQ(ParseListedSize("-7"), 0u);
  EXPECT_EQ(ParseListedSize("size"), 0u);
}

TEST(VersionFile, DottedNumbersCompareNumberByNumberSoNoOlderVersionIsOffered) {
  EXPECT_TRUE(IsNewerVersion("1.0.9", "1.0.10"));
  EXPECT_FALSE(IsNewerVersion("1.0.10", "1.0.9"));  // a downgrade
  EXPECT_TRUE(IsNewerVersion("1.0.0", "1.0.1"));
  EXPECT_TRUE(IsNewerVersion("1.9", "1.10.0"));
  EXPECT_FALSE(IsNewerVersion("2", "1.99.99"));
  // Missing parts count as 0, leading zeros as nothing.
  EXPECT_EQ(CompareVersions("1.0", "1.0.0"), 0);
  EXPECT_EQ(CompareVersions("1.0.0.0", "1"), 0);
  EXPECT_EQ(CompareVersions("01.002", "1.2"), 0);
  EXPECT_GT(CompareVersions("1.0.010", "1.0.9"), 0);
  EXPECT_GT(CompareVersions("1.0.0.1", "1.0"), 0);
  // Numbers beyond any integer type, and zeros before them.
  const std::string huge = "1" + std::string(40, '0');
  EXPECT_TRUE(IsNewerVersion("1." + std::string(40, '9'), "1." + huge));
  EXPECT_EQ(CompareVersions(std::string(100, '0') + "7.1", "7.1"), 0);
  EXPECT_LT(CompareVersions(std::string(5000, '9'), "1" + std::string(5000, '0')), 0);
  // "version.dat" written with a line break still reads as its number.
  EXPECT_FALSE(IsNewerVersion("1.0.10\r\n", "1.0.9"));
  EXPECT_TRUE(IsNewerVersion(" 1.0.9\n", "1.0.10"));
}

TEST(VersionFile, OtherVersionTextsCompareAsTextCaseBlind) {
  // Not dotted decimal numbers: empty parts, a trailing or leading dot, letters.
  EXPECT_TRUE(IsNewerVersion("1..10", "1..9"));
  EXPECT_TRUE(IsNewerVersion("1.0.10.", "1.0.9."));
  EXPECT_TRUE(IsNewerVersion(".10", ".9"));
  EXPECT_FALSE(IsNewerVersion("1.0.9b", "1.0.10b"));
  EXPECT_FALSE(IsNewerVersion("1.0.9", "1.0.10b"));  // one side is not a number
  EXPECT_FALSE(IsNewerVersion("1.0.1a", "1.0.1A"));
  EXPECT_FALSE(IsNewerVersion("1.0.1A", "1.0.1a"));
  EXPECT_FALSE(IsNewerVersion("1.0.0", ""));
  EXPECT_TRUE(IsNewerVersion("", "1.0.0"));
  EXPECT_FALSE(IsNewerVersion("1.0.1", "1.0.1"));
  // _stricmp lowers letters before comparing: '_' (0x5F) sorts after 'a'-less 'A'.
  EXPECT_LT(CompareVersionText("1.0_", "1.0a"), 0);
  EXPECT_LT(CompareVersionText("1.0\x7F", "1.0\xB0"), 0);  // bytes compare unsigned
}

TEST(VersionFile, VersionThatCannotBeReadBackIsNeverNewer) {
  EXPECT_TRUE(IsNewerVersion("1", std::string(4096, '9')));
  EXPECT_FALSE(IsNewerVersion("1", std::string(4097, '9')));
  EXPECT_FALSE(IsNewerVersion("1", std::string("2\0x", 3)));
}

TEST(VersionFile, RefusesNamesThatLeaveTheFolderOrAreNoFile) {
  const size_t folder = 20;
  for (const char* good : {"Spruce.exe", "SpruceUp.exe", "한글이름.dat", "a.b.c", ".hidden", "console.exe",
                           "COM0", "LPT10.txt", "nul-file"})
    EXPECT_EQ(CheckListedName(good, folder), FileListProblem::kOk) << good;
  const struct {
    const char* name;
    FileListProblem problem;
  } bad[] = {
      {"..\\Windows\\x.exe", FileListProblem::kPathSeparator},
      {"\\Windows\\x.exe", FileListProblem::kPathSeparator},
      {"sub/x.exe", FileListProblem::kPathSeparator},
      {"..", FileListProblem::kDotDot},
      {"a..b", FileListProblem::kDotDot},
      {"C:x.exe", FileListProblem::kForbiddenChar},
      {"a\tb", FileListProblem::kForbiddenChar},
      {"a\x01", FileListProblem::kForbiddenChar},
      {"a*.exe", FileListProblem::kForbiddenChar},
      {"a?", FileListProblem::kForbiddenChar},
      {"a<b>", FileListProblem::kForbiddenChar},
      {"a|b", FileListProblem::kForbiddenChar},
      {"x.", FileListProblem::kTrailingDotOrBlank},
      {"CON", FileListProblem::kDeviceName},
      {"nul.txt", FileListProblem::kDeviceName},
      {"Aux.dat.exe", FileListProblem::kDeviceName},
      {"com1", FileListProblem::kDeviceName},
      {"LPT9.log", FileListProblem::kDeviceName},
      {"prn .x", FileListProblem::kDeviceName},
      {"", FileListProblem::kEmptyName},
  };
  for (const auto& b : bad) EXPECT_EQ(CheckListedName(b.name, folder), b.problem) << b.name;
}

TEST(VersionFile, NameMustFitBesideItsLongestCopy) {
  // folder + "\" + name + "___old" must stay within 259 characters.
  const size_t folder = 100;
  const size_t room = 259 - folder - 1 - 6;
  EXPECT_EQ(CheckListedName(std::string(room, 'a'), folder), FileListProblem::kOk);
  EXPECT_EQ(CheckListedName(std::string(room + 1, 'a'), folder), FileListProblem::kTooLong);
  EXPECT_EQ(CheckListedName("x", 300), FileListProblem::kTooLong);
}

TEST(VersionFile, FileListRefusesFilesThatMeetOnDisk) {
  const std::vector<std::string> reserved = {"version.dat"};
  EXPECT_EQ(CheckFileList({"Spruce.exe", "SpruceUp.exe"}, 10, reserved), FileListProblem::kOk);
  EXPECT_EQ(CheckFileList({}, 10, reserved), FileListProblem::kOk);
  EXPECT_EQ(CheckFileList({"a.exe", "A.EXE"}, 10, reserved), FileListProblem::kCollision);
  EXPECT_EQ(CheckFileList({"a.exe", "a.exe___"}, 10, reserved), FileListProblem::kCollision);
  EXPECT_EQ(CheckFileList({"a.exe___old", "a.exe"}, 10, reserved), FileListProblem::kCollision);
  EXPECT_EQ(CheckFileList({"Version.dat"}, 10, reserved), FileListProblem::kCollision);
  EXPECT_EQ(CheckFileList({"ok.exe", "../x"}, 10, reserved), FileListProblem::kPathSeparator);
}

}  // namespace
