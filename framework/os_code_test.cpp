#include <windows.h>

#include <gtest/gtest.h>

#include "framework/helpers.h"
#include "tests/support/wine_env.h"

namespace {

// Wine reports the Windows version configured per program name.
std::string CodeUnder(const char* version) {
  const std::string key = "Software\\Wine\\AppDefaults\\os_code_probe.exe";
  HKEY k;
  RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr);
  RegSetValueExA(k, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                 static_cast<DWORD>(strlen(version) + 1));
  RegCloseKey(k);
  std::string out;
  testing_support::RunProcess("\"" + testing_support::BinFolder() + "\\os_code_probe.exe\"", "", &out);
  testing_support::DeleteKeyTree(HKEY_CURRENT_USER, key);
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

TEST(OsCodeUnderWine, FollowsTheReportedWindowsVersion) {
  EXPECT_EQ(CodeUnder("win98"), "W98");
  EXPECT_EQ(CodeUnder("winme"), "WME");
  EXPECT_EQ(CodeUnder("nt40"), "WNT4");
  EXPECT_EQ(CodeUnder("winxp"), "W2K");
  EXPECT_EQ(GetOsCode(), "W2K");  // this test program: Wine's default (7)
}

}  // namespace
