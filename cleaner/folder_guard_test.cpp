#include "cleaner/folder_guard.h"

#include <gtest/gtest.h>

TEST(FolderKey, FullPathsOnlyLoweredWithoutTrailingBackslash) {
  EXPECT_EQ(FolderKey("C:\\Users\\Bob\\Temp\\"), "c:\\users\\bob\\temp");
  EXPECT_EQ(FolderKey("C:/Windows/Temp"), "c:\\windows\\temp");
  EXPECT_EQ(FolderKey("C:\\"), "c:\\");
  EXPECT_EQ(FolderKey("C:\\\\"), "c:\\");
  EXPECT_EQ(FolderKey("\\\\Server\\Share\\Temp"), "\\\\server\\share\\temp");
  // Not full paths: nothing to compare.
  for (const char* relative : {"", "Temp", "\\Temp", "C:", "C:Temp", "1:\\x", "C:\\Temp\\..\\",
                               "C:\\.\\Temp", "C:\\Temp\\.."})
    EXPECT_EQ(FolderKey(relative), "") << relative;
}

TEST(FolderKey, TrailBytesAreNeitherLoweredNorReadAsSeparators) {
  // 0x5C and 0x5A are trail bytes here (표 is 0xC7 0xA5; 0x95 0x5C is a
  // CP949 character whose trail byte is a backslash).
  const std::string name = std::string("C:\\") + "\x95\x5C" + "\\" + "\x81\x5A" + "AB";
  EXPECT_EQ(FolderKey(name), std::string("c:\\") + "\x95\x5C" + "\\" + "\x81\x5A" + "ab");
  EXPECT_EQ(FolderKey(std::string("C:\\Temp\\") + "\x95\x5C"),
            std::string("c:\\temp\\") + "\x95\x5C");
  EXPECT_EQ(FolderKey(std::string("C:\\") + "\x95\x5C" + "\\X"),
            std::string("c:\\") + "\x95\x5C" + "\\x");
  EXPECT_EQ(FolderKey(std::string("C:\\") + "\x95\x5C" + "..\\X"),
            std::string("c:\\") + "\x95\x5C" + "..\\x");
}

TEST(GuardedFolder, RootsRelativePathsProtectedFoldersAndTheirParents) {
  const std::vector<std::string> guarded = {"C:\\windows",       "C:\\windows\\system32",
                                            "C:\\users\\bob",    "C:\\users\\bob\\Desktop",
                                            "D:\\Docs\\Bob",     "relative\\ignored"};
  for (const char* folder :
       {"", "temp", "C:", "C:\\", "c:/", "D:\\", "\\\\server\\share", "\\\\server\\share\\",
        "\\\\server", "C:\\Windows", "c:\\WINDOWS\\", "C:\\Windows\\System32", "C:\\Users",
        "C:\\Users\\Bob", "C:\\users\\bob\\desktop\\", "D:\\Docs", "D:\\docs\\bob"})
    EXPECT_TRUE(IsGuardedFolder(folder, guarded)) << folder;
  for (const char* folder :
       {"C:\\Windows\\Temp", "C:\\users\\bob\\Temp", "C:\\users\\bobby", "C:\\users\\bob\\Desktop2",
        "D:\\Docs\\Bob2", "\\\\server\\share\\temp", "E:\\Temp", "C:\\relative"})
    EXPECT_FALSE(IsGuardedFolder(folder, guarded)) << folder;
}
