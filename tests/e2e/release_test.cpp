// The release package as a Windows user gets it: unpacked into a new folder
// of the prefix by the test command (SPRUCE_RELEASE_FOLDER), started from
// there, showing the version it carries.
#include <gtest/gtest.h>

#include <vector>

#include "resources/resource.h"
#include "tests/e2e/e2e_support.h"

using namespace testing_support;

namespace {

std::string ReleaseFolder() {
  char folder[MAX_PATH] = {};
  DWORD n = GetEnvironmentVariableA("SPRUCE_RELEASE_FOLDER", folder, MAX_PATH);
  return n > 0 && n < MAX_PATH ? folder : "";
}

// A string of the program's version resource (Korean, code page 949).
std::string VersionString(const std::string& program, const char* name) {
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeA(program.c_str(), &ignored);
  if (size == 0) return "<no version resource>";
  std::vector<char> block(size);
  if (!GetFileVersionInfoA(program.c_str(), 0, size, block.data())) return "<unreadable>";
  char* value = nullptr;
  UINT length = 0;
  std::string query = std::string("\\StringFileInfo\\041203b5\\") + name;
  if (!VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &length) ||
      !value)
    return "<missing>";
  return value;
}

}  // namespace

TEST(Release, UnpackedPackageStartsAndShowsItsVersion) {
  const std::string folder = ReleaseFolder();
  if (folder.empty()) GTEST_SKIP() << "no unpacked release package (SPRUCE_RELEASE_FOLDER)";
  const std::string version = ReadFileBytes(folder + "\\version.dat");
  ASSERT_FALSE(version.empty());
  EXPECT_TRUE(FileExists(folder + "\\읽어보기.txt"));

  // What Explorer's Properties show.
  const std::string program = folder + "\\Spruce.exe";
  EXPECT_EQ(VersionString(program, "FileVersion"), version);
  EXPECT_EQ(VersionString(program, "ProductVersion"), version);
  EXPECT_EQ(VersionString(program, "ProductName"), "스프루스(Spruce)");
  EXPECT_EQ(VersionString(program, "FileDescription"), "스프루스 PC 최적화 도구");

  driver::Process spruce;
  ASSERT_TRUE(spruce.Start("\"" + program + "\"", folder, {"SPRUCE_SITE=http://127.0.0.1:9"}));
  HWND main = driver::WaitForWindow(e2e::kMainTitle, spruce.Id(), 120000);
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(driver::ControlText(main, IDC_VERSION), "버전: " + version);
  EXPECT_TRUE(e2e::CloseSpruce(spruce, main));
}
