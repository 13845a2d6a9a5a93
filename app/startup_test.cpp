// Spruce.exe started for real: profile date, program folder and log switch.
#include <windows.h>

#include <gtest/gtest.h>

#include <ctime>

#include "tests/support/wine_env.h"

using namespace testing_support;

namespace {

const char kMainTitle[] = "스프루스(Spruce)";

std::string IniPath() {
  char dir[MAX_PATH];
  GetWindowsDirectoryA(dir, MAX_PATH);
  return std::string(dir) + "\\Spruce.INI";
}

std::string Today() {
  char buf[32];
  std::time_t now = std::time(nullptr);
  std::strftime(buf, sizeof buf, "%Y.%m.%d", std::localtime(&now));
  return buf;
}

// Starts Spruce.exe in workingFolder, waits for its main window and closes it.
void RunSpruceOnce(const std::string& workingFolder) {
  HANDLE process = StartProcess("\"" + BinFolder() + "\\Spruce.exe\"", workingFolder);
  ASSERT_NE(process, nullptr);
  HWND main = nullptr;
  for (int i = 0; i < 2400 && !main; ++i) {
    main = FindWindowA(nullptr, kMainTitle);
    if (!main) Sleep(50);
  }
  ASSERT_NE(main, nullptr) << "main window did not appear";
  PostMessageA(main, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  EXPECT_EQ(WaitForSingleObject(process, 30000), WAIT_OBJECT_0);
  CloseHandle(process);
}

TEST(Startup, RecordsTheRunDateAndLogsOnlyWithTheMarkerInTheWorkingFolder) {
  DeleteFileA(IniPath().c_str());
  TempFolder work("startup");
  ASSERT_TRUE(WriteFileBytes(work.File("createlog.dat"), ""));

  RunSpruceOnce(work.Path());
  char date[64] = {};
  GetPrivateProfileStringA("Spruce", "RecentExecTime", "", date, sizeof date, IniPath().c_str());
  EXPECT_EQ(std::string(date), Today());

  // The log goes to the working folder, not beside the program.
  std::string log = ReadFileBytes(work.File("Spruce.log"));
  EXPECT_FALSE(FileExists(BinFolder() + "\\Spruce.log"));
  ASSERT_EQ(log.size(), 2 * (20 + std::string("프로그램 시작").size() + 2)) << log;
  EXPECT_EQ(log.substr(20, log.find('\r') - 20), "프로그램 시작");
  EXPECT_EQ(log.substr(log.size() - 2 - std::string("프로그램 종료").size()), "프로그램 종료\r\n");

  // A second run appends; without the marker nothing is logged.
  RunSpruceOnce(work.Path());
  EXPECT_EQ(ReadFileBytes(work.File("Spruce.log")).size(), 2 * log.size());
  TempFolder quiet("startup-quiet");
  RunSpruceOnce(quiet.Path());
  EXPECT_FALSE(FileExists(quiet.File("Spruce.log")));
}

}  // namespace
