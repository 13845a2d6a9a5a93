// Upgrades cut short, seen from outside with the real programs: an updater
// that dies at any step of the swap, and one whose user closes it while a
// download hangs. Whatever happens, the program folder holds one whole
// version and nothing of the upgrade's own is left anywhere.
#include <gtest/gtest.h>

#include <map>

#include "tests/e2e/e2e_support.h"
#include "updater/install_swap.h"
#include "updater/updater_res.h"
#include "upgrade/testing/scripted_site.h"

using namespace testing_support;
using Files = std::map<std::string, std::string>;

namespace {

const char kUpdaterTitle[] = "스프루스 업그레이드";

// The names in a folder's listing, for messages (the files may be programs).
std::string Names(const Files& files) {
  std::string names;
  for (const auto& file : files) names += file.first + " ";
  return names;
}

void ResetFolder(const TempFolder& folder, const Files& files) {
  for (const auto& file : FolderFiles(folder.Path())) DeleteFileA(folder.File(file.first).c_str());
  for (const auto& file : files) WriteFileBytes(folder.File(file.first), file.second);
}

// Starts the built updater in folder (its program folder).
bool StartUpdater(driver::Process& updater, const TempFolder& folder, std::vector<std::string> environment) {
  return updater.Start("\"" + BinFolder() + "\\SpruceUp.exe\"", folder.Path(), environment);
}

TEST(UpgradeInterrupted, UpdaterKilledAtEveryStepLeavesOneWholeVersionAndSpruceStarts) {
  ScriptedSite site;
  ASSERT_TRUE(site.Ok());
  const Files before = {{"Spruce.exe", "main 1.0.0"}, {"SpruceUp.exe", "updater 1.0.0"}, {"version.dat", "1.0.0"}};
  // Three files, the last one new to the install.
  const Files after = {{"Spruce.exe", std::string(70000, 'M')},
                       {"SpruceUp.exe", std::string(30000, 'U')},
                       {"ForceDel.dll", std::string(9000, 'D')},
                       {"version.dat", "1.0.1"}};
  std::string list = "Version: 1.0.1\r\n";
  for (const char* name : {"Spruce.exe", "SpruceUp.exe", "ForceDel.dll"}) {
    ASSERT_TRUE(site.PutFile(name, after.at(name)));
    list += ListedFile(name, after.at(name));
  }
  ASSERT_TRUE(site.SetScript("{\"/spruce/version.dat\": {\"body\": " + JsonString(list) + "}}"));
  TempFolder folder("e2e-interrupt");

  int oldAfterKill = 0, newAfterKill = 0;
  for (int stop = 1;; ++stop) {
    ASSERT_LE(stop, 30) << "the swap never ran to its end";
    ResetFolder(folder, before);
    driver::Process updater;
    ASSERT_TRUE(StartUpdater(updater, folder,
                             {"SPRUCE_SITE=" + site.Origin(), "SPRUCE_TEST_SWAP_STOP=" + std::to_string(stop)}));
    // It dies at the step, or runs out of steps and finishes.
    bool died = false, finished = false;
    for (DWORD start = GetTickCount(); !died && !finished && GetTickCount() - start < 60000;) {
      died = updater.WaitExit(100);
      HWND window = driver::FindWindowByCaption(kUpdaterTitle, updater.Id());
      finished = window && driver::ControlText(window, IDCANCEL) == "완료";
    }
    ASSERT_TRUE(died || finished) << "step " << stop;
    if (finished) {
      updater.Kill();
      EXPECT_EQ(FolderFiles(folder.Path()), after);
      break;
    }
    DWORD code = 0;
    GetExitCodeProcess(updater.Handle(), &code);
    ASSERT_EQ(code, kSwapTestStopExitCode) << "step " << stop;

    driver::Process spruce;
    HWND window = e2e::StartSpruce(spruce, folder.Path());
    ASSERT_NE(window, nullptr) << "Spruce did not start after step " << stop;
    EXPECT_TRUE(e2e::CloseSpruce(spruce, window));
    const Files found = FolderFiles(folder.Path());
    if (found == before) ++oldAfterKill;
    else if (found == after) ++newAfterKill;
    else ADD_FAILURE() << "a mix after the updater died at step " << stop << ": " << Names(found);
  }
  // Killed from the journal to the new version in place: the old version
  // comes back (the journal, six renames of three files, and the three
  // steps of "version.dat"); from there on the swap is finished (three
  // backups deleted).
  EXPECT_EQ(oldAfterKill, 8);
  EXPECT_EQ(newAfterKill, 4);
}

TEST(UpgradeInterrupted, HangingDownloadLeavesNoFileWhenTheUserCloses) {
  ScriptedSite site;
  ASSERT_TRUE(site.Ok());
  TempFolder folder("e2e-hang"), temp("e2e-hang-tmp");
  // The installed main program is the real one: "완료" starts it.
  const Files installed = {{"Spruce.exe", ReadFileBytes(BinFolder() + "\\Spruce.exe")},
                           {"SpruceUp.exe", "updater 1.0.0"},
                           {"version.dat", "1.0.0"}};
  ResetFolder(folder, installed);
  const std::string newMain(50000, 'M'), newUpdater(40000, 'U');
  ASSERT_TRUE(site.PutFile("Spruce.exe", newMain));
  ASSERT_TRUE(site.PutFile("SpruceUp.exe", newUpdater));
  // The second file stops after 8 KB for far longer than the updater waits.
  ASSERT_TRUE(site.SetScript(
      "{\"/spruce/version.dat\": {\"body\": " +
      JsonString("Version: 1.0.1\n" + ListedFile("Spruce.exe", newMain) + ListedFile("SpruceUp.exe", newUpdater)) +
      "}, \"/spruce/SpruceUp.exe\": {\"body_file\": \"spruce/SpruceUp.exe\", \"stall\": 150, "
      "\"stall_after\": 8192}}"));

  // The updater inherits this temporary folder (the driver adds entries
  // after the inherited ones, where they would not count).
  char savedTmp[MAX_PATH] = {}, savedTemp[MAX_PATH] = {};
  GetEnvironmentVariableA("TMP", savedTmp, MAX_PATH);
  GetEnvironmentVariableA("TEMP", savedTemp, MAX_PATH);
  SetEnvironmentVariableA("TMP", temp.Path().c_str());
  SetEnvironmentVariableA("TEMP", temp.Path().c_str());
  driver::Process updater;
  const bool started = StartUpdater(updater, folder, {"SPRUCE_SITE=" + site.Origin()});
  SetEnvironmentVariableA("TMP", savedTmp);
  SetEnvironmentVariableA("TEMP", savedTemp);
  ASSERT_TRUE(started);
  HWND window = driver::WaitForWindow(kUpdaterTitle, updater.Id(), 60000);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(driver::WaitForControlText(window, IDC_UP_FILE_TEXT, "SpruceUp.exe 파일 다운로드중 ...", 60000));
  Sleep(1000);
  // The copies are written in the program folder itself, as new files.
  const Files during = FolderFiles(folder.Path());
  EXPECT_EQ(during.count("Spruce.exe___") ? during.at("Spruce.exe___") : "", newMain);
  EXPECT_EQ(during.count("SpruceUp.exe___"), 1u);
  EXPECT_TRUE(FolderFiles(temp.Path()).empty()) << Names(FolderFiles(temp.Path()));

  EXPECT_EQ(e2e::AnswerBox(updater.Id(), "업그레이드", 60000), "SpruceUp.exe 파일을 다운받을 수 없습니다.");
  ASSERT_TRUE(driver::WaitForControlText(window, IDCANCEL, "완료", 30000));
  driver::Click(window, IDCANCEL);
  ASSERT_TRUE(updater.WaitExit(30000));
  HWND main = driver::WaitForWindow(e2e::kMainTitle, 0, 120000);
  ASSERT_NE(main, nullptr) << "완료 starts the main program";
  driver::Click(main, IDCANCEL);
  EXPECT_TRUE(driver::WaitForWindowGone(main, 30000));
  // The download still hangs in the server, but the updater is gone: its
  // file must be gone with it.
  EXPECT_TRUE(FolderFiles(folder.Path()) == installed) << Names(FolderFiles(folder.Path()));
  EXPECT_TRUE(FolderFiles(temp.Path()).empty()) << Names(FolderFiles(temp.Path()));
}

}  // namespace
