#include "registry/dead_path.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using Paths = std::vector<std::string>;

// Runs the test against a disk holding `present`; returns the verdict and
// records every path probed.
bool Check(const std::string& value, Paths* asked, std::set<std::string> present = {}) {
  return IsDeadSoftwarePath(value, [&](const std::string& p) {
    asked->push_back(p);
    return present.count(p) > 0;
  });
}

TEST(DeadPath, ProbesTheCleanedPathThenWithExe) {
  Paths asked;
  EXPECT_TRUE(Check("  C:\\App\\app.exe -silent \r\n", &asked));
  EXPECT_EQ(asked, (Paths{"c:\\app\\app", "c:\\app\\app.exe"}));
  asked.clear();
  EXPECT_TRUE(Check("C:\\Old\\", &asked));  // trailing backslash dropped
  EXPECT_EQ(asked, (Paths{"c:\\old", "c:\\old.exe"}));
  asked.clear();
  EXPECT_TRUE(Check("C:\\Gone\\icons.dll,-101", &asked));  // extension: no .exe probe
  EXPECT_EQ(asked, Paths{"c:\\gone\\icons.dll"});
  asked.clear();
  EXPECT_TRUE(Check("C:\\Tools\\%UNSET%\\x.exe", &asked));
  EXPECT_EQ(asked, (Paths{"c:\\tools", "c:\\tools.exe"}));
}

TEST(DeadPath, PresentPathIsNotReported) {
  Paths asked;
  EXPECT_FALSE(Check("C:\\Program Files\\App\\App.exe", &asked, {"c:\\program files\\app\\app.exe"}));
  EXPECT_FALSE(Check("C:\\App\\app.exe -silent", &asked, {"c:\\app\\app.exe"}));
}

TEST(DeadPath, CommandLinesAndListsAreSkippedWithoutProbing) {
  for (const char* value : {"C:\\App\\app.exe /s", "\"C:\\App\\app.exe\" -x", "C:\\a;C:\\b",
                            "C:\\a=1", "C:\\a^b", "C:\\a?b", "C:\\a.dll,C:\\b.dll",
                            "C:\\App\\app.exe arg", "C:\\App\\app.exe\\res",
                            "C:\\A\\b.exe c.EXE -x", "C:\\", "C:/abc", "\\\\srv\\x", "%:\\abc"}) {
    Paths asked;
    EXPECT_FALSE(Check(value, &asked)) << value;
    EXPECT_TRUE(asked.empty()) << value;
  }
}

TEST(DeadPath, TrailBytesAreNotSeparators) {
  Paths asked;
  // The trail byte 0x5C is not a trailing backslash.
  EXPECT_TRUE(Check("C:\\Old\x81\x5C", &asked));
  EXPECT_EQ(asked, (Paths{"c:\\old\x81\x5C", "c:\\old\x81\x5C.exe"}));
  asked.clear();
  // Trail bytes looking like '%', ',', ":\", ';' and 'A' (not lowered).
  EXPECT_TRUE(Check("C:\\\x81%\x81,\x81:\\\x81;\x81" "A.txt", &asked));
  EXPECT_EQ(asked, Paths{"c:\\\x81%\x81,\x81:\\\x81;\x81" "A.txt"});
}

}  // namespace
