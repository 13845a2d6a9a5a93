// The updater's window against a real local server: progress, replacement,
// and every fault ending with the install exactly as it was.
#include "updater/updater_dlg.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include "framework/controls.h"
#include "framework/msgbox.h"
#include "tests/support/recorder.h"
#include "tests/support/wine_env.h"
#include "updater/updater_res.h"
#include "upgrade/testing/scripted_site.h"
#include "upgrade/version_file.h"

using namespace testing_support;
using Files = std::map<std::string, std::string>;

namespace {

const char kCannotPlace[] = "업그레이드 파일을 실행할위치로 옮길 수 없습니다.";
const char kBadList[] = "업그레이드 파일 목록이 올바르지 않습니다.";

class TestUpdaterDlg : public CUpdaterDlg {
 public:
  int restarts = 0;

 protected:
  void RestartMainProgram() override { ++restarts; }
};

std::string Bytes(size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 31 + seed) % 251);
  return bytes;
}

class UpdaterDlg : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(site_.Ok()) << "the site server did not start";
    GetCurrentDirectoryA(MAX_PATH, previous_);
    // The updater works in its working directory, the program folder.
    SetCurrentDirectoryA(program_.Path().c_str());
    SetEnvironmentVariableA("SPRUCE_SITE", site_.Origin().c_str());
    SetEnvironmentVariableA("TMP", temp_.Path().c_str());
    SetEnvironmentVariableA("TEMP", temp_.Path().c_str());
    ASSERT_TRUE(WriteFileBytes(program_.File("Spruce.exe"), "installed main program"));
    ASSERT_TRUE(WriteFileBytes(program_.File("SpruceUp.exe"), "installed updater"));
    ASSERT_TRUE(WriteFileBytes(program_.File("version.dat"), "1.0.0"));
    installed_ = FolderFiles(program_.Path());
    ASSERT_TRUE(site_.PutFile("Spruce.exe", newMain_));
    ASSERT_TRUE(site_.PutFile("SpruceUp.exe", newUpdater_));
  }
  void TearDown() override { SetCurrentDirectoryA(previous_); }

  // The version file listing the two new files with their sizes and digests.
  std::string TwoFiles(const std::string& version = "1.0.1") const {
    return "Version: " + version + "\r\n" + ListedFile("Spruce.exe", newMain_) +
           ListedFile("SpruceUp.exe", newUpdater_);
  }
  // Serves versionFile, plus extra rules ("\"/spruce/x\": {...}").
  void Serve(const std::string& versionFile, const std::string& extra = "") {
    ASSERT_TRUE(site_.SetScript("{\"/spruce/version.dat\": {\"body\": " + JsonString(versionFile) + "}" +
                                (extra.empty() ? "" : ", " + extra) + "}"));
    site_.ClearRequests();
  }
  // Opens the updater and waits for its work to end.
  bool Run(TestUpdaterDlg& dialog) {
    dialog.SetTimeLimits(3000, 2000);
    if (!dialog.CreateModeless()) return false;
    return PumpUntil([&] { return dialog.Finished(); }, 60000);
  }
  // The install and the temporary folder are as they were before the run
  // (an abandoned download's file goes when its worker lets go of it).
  void ExpectUntouched(const std::string& what) {
    PumpUntil([&] { return FolderFiles(program_.Path()) == installed_; }, 20000);
    EXPECT_EQ(FolderFiles(program_.Path()), installed_) << what;
    EXPECT_TRUE(PumpUntil([&] { return FolderFiles(temp_.Path()).empty(); }, 20000)) << what;
  }

  ScriptedSite site_;
  TempFolder program_{"updater-program"};
  TempFolder temp_{"updater-tmp"};
  MessageBoxRecorder boxes_;
  char previous_[MAX_PATH] = {};
  Files installed_;
  const std::string newMain_ = Bytes(300000, 1);
  const std::string newUpdater_ = Bytes(120000, 2);
};

TEST_F(UpdaterDlg, DownloadsEveryFileWithProgressAndReplacesTheInstall) {
  ASSERT_TRUE(WriteFileBytes(program_.File("Spruce.exe___"), "stale staging copy"));
  Serve(TwoFiles());
  TestUpdaterDlg dialog;
  ASSERT_TRUE(Run(dialog));
  EXPECT_EQ(boxes_.Count(), 0u) << boxes_.LastText();
  const Files upgraded = {{"Spruce.exe", newMain_}, {"SpruceUp.exe", newUpdater_}, {"version.dat", "1.0.1"}};
  EXPECT_EQ(FolderFiles(program_.Path()), upgraded);
  EXPECT_TRUE(FolderFiles(temp_.Path()).empty());

  HWND window = dialog.Hwnd();
  EXPECT_EQ(fw::GetControlText(GetDlgItem(window, IDCANCEL)), "완료");
  EXPECT_EQ(fw::GetControlText(GetDlgItem(window, IDC_UP_FILE_TEXT)), "SpruceUp.exe 파일 다운로드 완료");
  EXPECT_EQ(fw::GetControlText(GetDlgItem(window, IDC_UP_COUNT_TEXT)), "2 / 2 ");
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(window, IDC_UP_BATCH_BAR)));
  EXPECT_EQ(SendDlgItemMessageA(window, IDC_UP_FILE_BAR, PBM_GETPOS, 0, 0),
            static_cast<LRESULT>(newUpdater_.size()));
  EXPECT_EQ(SendDlgItemMessageA(window, IDC_UP_BATCH_BAR, PBM_GETPOS, 0, 0), 2);
  EXPECT_EQ(site_.Requests(), (std::vector<std::string>{"GET /spruce/version.dat", "GET /spruce/version.sig",
                                                        "GET /spruce/Spruce.exe", "GET /spruce/SpruceUp.exe"}));

  SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  EXPECT_EQ(dialog.restarts, 1);
}

TEST_F(UpdaterDlg, ShortListsKeepTheFileCountBarHidden) {
  Serve("Version: 1.0.1\n" + ListedFile("Spruce.exe", newMain_));
  TestUpdaterDlg one;
  ASSERT_TRUE(Run(one));
  EXPECT_EQ(fw::GetControlText(GetDlgItem(one.Hwnd(), IDC_UP_COUNT_TEXT)), "1 / 1 ");
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(one.Hwnd(), IDC_UP_BATCH_BAR)));
  EXPECT_EQ(ReadFileBytes(program_.File("Spruce.exe")), newMain_);

  // A list without files still records the new version.
  Serve("Version: 1.0.2\n");
  TestUpdaterDlg none;
  ASSERT_TRUE(Run(none));
  EXPECT_EQ(ReadFileBytes(program_.File("version.dat")), "1.0.2");
  EXPECT_EQ(site_.Requests().size(), 2u);
  EXPECT_EQ(boxes_.Count(), 0u) << boxes_.LastText();
}

TEST_F(UpdaterDlg, VersionNotNewerTouchesNothing) {
  Serve(TwoFiles("1.0.0"));
  TestUpdaterDlg dialog;
  ASSERT_TRUE(Run(dialog));
  EXPECT_EQ(boxes_.LastText(), "최신버전이므로 업그레이드 할 필요가 없습니다.");
  EXPECT_EQ(fw::GetControlText(GetDlgItem(dialog.Hwnd(), IDCANCEL)), "완료");
  ExpectUntouched("not newer");
}

TEST_F(UpdaterDlg, EveryTransferFaultLeavesTheInstallAsItWas) {
  const std::string cannotGet = "SpruceUp.exe 파일을 다운받을 수 없습니다.";
  const std::string listed = std::to_string(newUpdater_.size());
  const struct {
    const char* what;
    std::string rule;        // for /spruce/SpruceUp.exe, the second file
    std::string listedSize;  // in the version file
    std::string message;
  } faults[] = {
      {"404", R"({"status": 404, "body": "<html>not found</html>"})", listed, cannotGet},
      {"500", R"({"status": 500, "body": "<html>error</html>"})", listed, cannotGet},
      {"cut short", R"({"body_file": "spruce/SpruceUp.exe", "length": "none", "send": 60000})", listed, cannotGet},
      {"Content-Length then close", R"({"body_file": "spruce/SpruceUp.exe", "send": 1000})", listed, cannotGet},
      {"size mismatch", R"({"body_file": "spruce/SpruceUp.exe"})", "119999", cannotGet},
      {"empty body", R"({"body": ""})", "0", cannotGet},
      {"stall", R"({"body_file": "spruce/SpruceUp.exe", "stall": 6, "stall_after": 8192})", listed, cannotGet},
      // The signed list stands; the file behind it was swapped on the server.
      {"other bytes", R"({"body_file": "spruce/Other.exe"})", listed, cannotGet},
  };
  ASSERT_TRUE(site_.PutFile("Other.exe", Bytes(newUpdater_.size(), 3)));
  const std::string digest = Sha256Hex(HashSha256(newUpdater_)) + "\n";
  for (const auto& fault : faults) {
    Serve("Version: 1.0.1\n" + ListedFile("Spruce.exe", newMain_) + "Filename: SpruceUp.exe " +
              fault.listedSize + " " + digest,
          "\"/spruce/SpruceUp.exe\": " + fault.rule);
    TestUpdaterDlg dialog;
    ASSERT_TRUE(Run(dialog)) << fault.what;
    EXPECT_EQ(boxes_.LastText(), fault.message) << fault.what;
    EXPECT_EQ(boxes_.Boxes().back().caption, "업그레이드");
    ExpectUntouched(fault.what);
  }

  // An installed file held open without sharing cannot be renamed aside.
  Serve(TwoFiles());
  FileLock lock(program_.File("SpruceUp.exe"));
  ASSERT_TRUE(lock.Held());
  TestUpdaterDlg locked;
  ASSERT_TRUE(Run(locked));
  lock.Release();
  EXPECT_EQ(boxes_.LastText(), kCannotPlace);
  ExpectUntouched("locked");
}

TEST_F(UpdaterDlg, UnsafeFileListIsRefusedBeforeAnythingIsFetched) {
  for (const std::string& name :
       {std::string("..\\Spruce.exe"), std::string("..\\..\\Windows\\evil.exe"), std::string("sub/x.exe"),
        std::string("CON"), std::string("nul.txt"), std::string("COM1.exe"),
        std::string("a|b.exe"), std::string("a\x01.exe"), std::string("x."), std::string(240, 'a'),
        std::string("version.dat")}) {
    Serve("Version: 1.0.1\n" + ListedFile("Spruce.exe", newMain_) + ListedFile(name, "x"));
    TestUpdaterDlg dialog;
    ASSERT_TRUE(Run(dialog)) << name;
    EXPECT_EQ(boxes_.LastText(), kBadList) << name;
    EXPECT_EQ(site_.Requests(), (std::vector<std::string>{"GET /spruce/version.dat", "GET /spruce/version.sig"}))
        << name;
    ExpectUntouched(name);
  }
  // So is a list with a file whose digest is missing or is no digest.
  const std::string size = std::to_string(newUpdater_.size());
  for (const std::string& line : {"Filename: SpruceUp.exe " + size + "\n",
                                  "Filename: SpruceUp.exe " + size + " sha256\n"}) {
    Serve("Version: 1.0.1\n" + ListedFile("Spruce.exe", newMain_) + line);
    TestUpdaterDlg dialog;
    ASSERT_TRUE(Run(dialog)) << line;
    EXPECT_EQ(boxes_.LastText(), kBadList) << line;
    EXPECT_EQ(site_.Requests(), (std::vector<std::string>{"GET /spruce/version.dat", "GET /spruce/version.sig"}))
        << line;
    ExpectUntouched(line);
  }
}

TEST_F(UpdaterDlg, VersionFileWithoutThePublishersSignatureChangesNothing) {
  for (const char* rule : {R"({"status": 404, "body": "not found"})", R"({"body": ""})",
                           R"({"sign_key": "fresh"})", R"({"sign": "Version: 1.0.1\n"})"}) {
    Serve(TwoFiles(), std::string("\"/spruce/version.sig\": ") + rule);
    TestUpdaterDlg dialog;
    ASSERT_TRUE(Run(dialog)) << rule;
    EXPECT_EQ(boxes_.LastText(), "서버로 부터 업그레이드 버전파일을 다운받을 수 없습니다.") << rule;
    EXPECT_EQ(site_.Requests(), (std::vector<std::string>{"GET /spruce/version.dat", "GET /spruce/version.sig"}))
        << rule;
    ExpectUntouched(rule);
  }
}

TEST_F(UpdaterDlg, CancelQuestionHoldsTheUpgradeUntilAnswered) {
  Serve(TwoFiles());
  size_t requestsDuringQuestion = 99;
  int answer = IDNO;
  fw::SetMessageBoxHook([&](HWND, const std::string&, const std::string& text, UINT) {
    EXPECT_EQ(text, "업그레이드 중입니다. 취소 하시겠습니까?");
    PumpFor(1800);  // the user thinks it over, longer than the start delay
    requestsDuringQuestion = site_.Requests().size();
    return answer;
  });
  TestUpdaterDlg kept;
  ASSERT_TRUE(kept.CreateModeless());
  SendMessageA(kept.Hwnd(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  EXPECT_EQ(requestsDuringQuestion, 0u) << "nothing may start under the question";
  // No: the upgrade goes on a second later.
  ASSERT_TRUE(PumpUntil([&] { return kept.Finished(); }, 60000));
  EXPECT_EQ(ReadFileBytes(program_.File("version.dat")), "1.0.1");
  EXPECT_EQ(kept.restarts, 0);

  // Yes: the main program starts again and nothing is fetched.
  ASSERT_TRUE(WriteFileBytes(program_.File("version.dat"), "1.0.0"));
  site_.ClearRequests();
  answer = IDYES;
  TestUpdaterDlg cancelled;
  ASSERT_TRUE(cancelled.CreateModeless());
  SendMessageA(cancelled.Hwnd(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  EXPECT_EQ(cancelled.restarts, 1);
  PumpFor(1500);
  EXPECT_TRUE(site_.Requests().empty());
  EXPECT_FALSE(cancelled.Finished());
}

}  // namespace
