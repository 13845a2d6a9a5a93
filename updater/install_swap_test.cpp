// The all-or-nothing replacement on real files of the Wine prefix.
#include "updater/install_swap.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "tests/support/recorder.h"
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

TEST_F(InstallSwapTest, BackupWhoseInstalledFileIsMissingIsNeverDeleted) {
  // What an interrupted swap of an older updater could leave: the old main
  // program aside, nothing in its place.
  ASSERT_TRUE(MoveFileA(folder_.File("Spruce.exe").c_str(), folder_.File("Spruce.exe___old").c_str()));
  InstallSwap swap(folder_.Path(), 300);
  EXPECT_FALSE(swap.Apply(names_, "1.0.1"));
  EXPECT_EQ(ReadFileBytes(folder_.File("Spruce.exe___old")), "old main");
  EXPECT_EQ(ReadFileBytes(folder_.File("SpruceUp.exe")), "old updater");
  EXPECT_EQ(ReadFileBytes(folder_.File("version.dat")), "1.0.0");
}

TEST_F(InstallSwapTest, RollbackThatCannotFinishNamesTheFileAndTheNextStartEndsIt) {
  // The new main program is placed, then something opens it without
  // sharing (a virus scanner, say) and "version.dat" cannot be replaced.
  FileLock versionLock(folder_.File("version.dat"));
  ASSERT_TRUE(versionLock.Held());
  std::unique_ptr<FileLock> mainLock;
  SetSwapStepHook([&](const std::string& step) {
    if (step == "placed SpruceUp.exe") mainLock.reset(new FileLock(folder_.File("Spruce.exe")));
  });
  InstallSwap swap(folder_.Path(), 300);
  EXPECT_FALSE(swap.Apply(names_, "1.0.1"));
  SetSwapStepHook(nullptr);
  EXPECT_EQ(swap.Stuck(), std::vector<std::string>{"Spruce.exe"});
  EXPECT_TRUE(FileExists(folder_.File(kSwapJournalName))) << "kept for the next start";
  // Everything else went back.
  EXPECT_EQ(ReadFileBytes(folder_.File("SpruceUp.exe")), "old updater");
  EXPECT_FALSE(FileExists(folder_.File("Help.txt")));

  // A start while the file is still held says so.
  {
    MessageBoxRecorder boxes;
    RecoverInterruptedUpgrade(folder_.Path());
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_NE(boxes.LastText().find("섞여 있습니다: Spruce.exe"), std::string::npos) << boxes.LastText();
  }
  // The first start after it is let go puts the old version back whole.
  mainLock.reset();
  versionLock.Release();
  InstallSwap next(folder_.Path(), 300);
  EXPECT_EQ(next.Recover().outcome, InstallSwap::Recovery::kRolledBack);
  EXPECT_EQ(Snapshot(folder_), installed_);
}

TEST_F(InstallSwapTest, JournalThatIsTornForeignOrHeldMovesNothing) {
  const std::string journal = folder_.File(kSwapJournalName);
  ASSERT_TRUE(WriteFileBytes(folder_.File("..\\outside.txt"), "not the swap's"));
  SwapJournal outside;
  outside.hadVersion = true;
  outside.newVersion = "1.0.1";
  outside.files = {{"Spruce.exe", true}};
  const std::string whole = FormatSwapJournal(outside);
  std::string foreign = whole;
  foreign.replace(foreign.find("Spruce.exe"), 10, "..\\outside.txt");
  ASSERT_TRUE(MoveFileA(folder_.File("Spruce.exe").c_str(), folder_.File("Spruce.exe___old").c_str()));
  ASSERT_TRUE(WriteFileBytes(folder_.File("Spruce.exe"), "new main"));
  const auto before = Snapshot(folder_);
  for (const std::string& text : {whole.substr(0, whole.size() - 3), foreign}) {
    ASSERT_TRUE(WriteFileBytes(journal, text));
    InstallSwap swap(folder_.Path(), 300);
    EXPECT_EQ(swap.Recover().outcome, InstallSwap::Recovery::kDiscarded) << text;
    EXPECT_FALSE(FileExists(journal));
    EXPECT_EQ(Snapshot(folder_), before) << text;
  }
  EXPECT_EQ(ReadFileBytes(folder_.File("..\\outside.txt")), "not the swap's");
  DeleteFileA(folder_.File("..\\outside.txt").c_str());

  // A journal another process holds is a swap still running.
  ASSERT_TRUE(WriteFileBytes(journal, whole));
  {
    FileLock held(journal);
    InstallSwap swap(folder_.Path(), 300);
    EXPECT_EQ(swap.Recover().outcome, InstallSwap::Recovery::kBusy);
    EXPECT_EQ(ReadFileBytes(folder_.File("Spruce.exe")), "new main");
  }
  // Let go, the same journal is acted on.
  InstallSwap swap(folder_.Path(), 300);
  EXPECT_EQ(swap.Recover().outcome, InstallSwap::Recovery::kRolledBack);
  EXPECT_EQ(ReadFileBytes(folder_.File("Spruce.exe")), "old main");
}

}  // namespace
