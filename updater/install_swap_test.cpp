// The all-or-nothing replacement on real files of the Wine prefix.
#include "updater/install_swap.h"

#include <gtest/gtest.h>

#include <map>

#include "tests/support/wine_env.h"
#include "upgrade/testing/scripted_site.h"

using namespace testing_support;

namespace {

std::map<std::string, std::string> Snapshot(const TempFolder& folder) { return FolderFiles(folder.Path()); }

class InstallSwapTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(WriteFileBytes(folder_.File("Spruce.exe"), "old main"));
    ASSERT_TRUE(WriteFileBytes(folder_.File("SpruceUp.exe"), "old updater"));
    ASSERT_TRUE(WriteFileBytes(folder_.File("version.dat"), "1.0.0"));
    installed_ = Snapshot(folder_);
    ASSERT_TRUE(WriteFileBytes(folder_.File("Spruce.exe___"), "new main"));
    ASSERT_TRUE(WriteFileBytes(folder_.File("SpruceUp.exe___"), "new updater"));
    ASSERT_TRUE(WriteFileBytes(folder_.File("Help.txt___"), "new help"));
  }

  TempFolder folder_{"swap"};
  std::map<std::string, std::string> installed_;
  const std::vector<std::string> names_{"Spruce.exe", "SpruceUp.exe", "Help.txt"};
};

TEST_F(InstallSwapTest, PutsEveryFileInPlaceThenRecordsTheVersion) {
  ASSERT_TRUE(WriteFileBytes(folder_.File("Spruce.exe___old"), "stale backup of a killed run"));
  InstallSwap swap(folder_.Path(), 500);
  ASSERT_TRUE(swap.Apply(names_, "1.0.1"));
  const std::map<std::string, std::string> expected = {{"Spruce.exe", "new main"},
                                                       {"SpruceUp.exe", "new updater"},
                                                       {"Help.txt", "new help"},
                                                       {"version.dat", "1.0.1"}};
  EXPECT_EQ(Snapshot(folder_), expected);
}

TEST_F(InstallSwapTest, LockedFileUndoesEveryStepTaken) {
  // The second file is locked: the first is already replaced when it fails.
  FileLock lock(folder_.File("SpruceUp.exe"));
  ASSERT_TRUE(lock.Held());
  InstallSwap swap(folder_.Path(), 500);
  const DWORD start = GetTickCount();
  EXPECT_FALSE(swap.Apply(names_, "1.0.1"));
  EXPECT_GE(GetTickCount() - start, 400u) << "sharing errors are retried";
  lock.Release();
  EXPECT_EQ(Snapshot(folder_), installed_);
}

TEST_F(InstallSwapTest, VersionFileThatCannotBeReplacedUndoesTheFiles) {
  FileLock lock(folder_.File("version.dat"));
  ASSERT_TRUE(lock.Held());
  InstallSwap swap(folder_.Path(), 300);
  EXPECT_FALSE(swap.Apply(names_, "1.0.1"));
  lock.Release();
  EXPECT_EQ(Snapshot(folder_), installed_);
}

TEST_F(InstallSwapTest, MissingStagingCopyUndoesTheFiles) {
  DeleteFileA(folder_.File("Help.txt___").c_str());
  InstallSwap swap(folder_.Path(), 300);
  EXPECT_FALSE(swap.Apply(names_, "1.0.1"));
  EXPECT_EQ(Snapshot(folder_), installed_);
}

}  // namespace
