#include "app/activity_log.h"

#include <gtest/gtest.h>

#include "framework/raii.h"
#include "tests/support/wine_env.h"

using testing_support::FileExists;
using testing_support::ReadFileBytes;
using testing_support::TempFolder;

namespace {

class ActivityLog : public ::testing::Test {
 protected:
  void SetUp() override {
    LoggingDisabled = 0;
    LogFilePath = folder_.File("Spruce.log");
  }
  void TearDown() override {
    LoggingDisabled = 1;
    LogFilePath.clear();
  }
  TempFolder folder_{"log"};
};

TEST_F(ActivityLog, LineIsTimeStampBlankTextCrLfAndFileGrows) {
  ASSERT_FALSE(FileExists(LogFilePath));
  WriteLog("프로그램 %s", "시작");
  WriteLog("%d", 7);
  std::string bytes = ReadFileBytes(LogFilePath);
  // "YYYY-MM-DD HH:MM:SS " is 20 bytes.
  ASSERT_EQ(bytes.size(), 20u + std::string("프로그램 시작").size() + 2 + 20 + 1 + 2);
  EXPECT_EQ(bytes[4], '-');
  EXPECT_EQ(bytes[10], ' ');
  EXPECT_EQ(bytes[13], ':');
  EXPECT_EQ(bytes.substr(20, bytes.find('\r') - 20), "프로그램 시작");
  EXPECT_EQ(bytes.substr(bytes.size() - 4), " 7\r\n");
}

TEST_F(ActivityLog, MessageOf1023IsWrittenAnd1024IsDropped) {
  WriteLog("%s", std::string(1024, 'x').c_str());
  EXPECT_FALSE(FileExists(LogFilePath));
  WriteLog("%s", std::string(1023, 'y').c_str());
  EXPECT_EQ(ReadFileBytes(LogFilePath).size(), 20u + 1023 + 2);
}

TEST_F(ActivityLog, DisabledOrReadOnlyWritesNothingAndSaysNothing) {
  LoggingDisabled = 1;
  WriteLog("off");
  EXPECT_FALSE(FileExists(LogFilePath));

  LoggingDisabled = 0;
  ASSERT_TRUE(testing_support::WriteFileBytes(LogFilePath, "old\r\n"));
  {
    // Held open without sharing by another program: the line is dropped.
    fw::UniqueHandle lock(CreateFileA(LogFilePath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock.Valid());
    WriteLog("dropped");
  }
  EXPECT_EQ(ReadFileBytes(LogFilePath), "old\r\n");
  // A log path that names a folder cannot be opened either.
  std::string file = LogFilePath;
  LogFilePath = folder_.Path();
  WriteLog("dropped");
  LogFilePath = file;
  WriteLog("kept");  // the next call tries again
  EXPECT_NE(ReadFileBytes(LogFilePath).find(" kept\r\n"), std::string::npos);
}

}  // namespace
