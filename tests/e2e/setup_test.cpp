// The setup program as a user runs it: installed silently into a folder whose
// name has Korean and spaces, started from its Start-menu shortcut, installed
// over an install that holds the user's files, upgraded by SpruceUp.exe in
// place, removed through its uninstall entry, and walked through by hand up
// to the install, then cancelled (keeping the README's pictures of the
// wizard and of the uninstaller's question). The test command hands the
// setup program (SPRUCE_SETUP) and the unpacked zip of the same build
// (SPRUCE_RELEASE_FOLDER) to these tests; without them they are skipped.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <functional>
#include <map>
#include <set>

#include "resources/resource.h"
#include "tests/e2e/e2e_support.h"
#include "updater/updater_res.h"
#include "upgrade/testing/scripted_site.h"

using namespace testing_support;

namespace {

const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Spruce";
const char kInstallFolder[] = "C:\\Program Files\\스프루스 설치 시험";
const char* const kInstalled[] = {"Spruce.exe", "SpruceUp.exe", "ForceDel.dll", "version.dat",
                                  "읽어보기.txt"};

std::string Environment(const char* name) {
  char value[MAX_PATH] = {};
  DWORD n = GetEnvironmentVariableA(name, value, MAX_PATH);
  return n > 0 && n < MAX_PATH ? value : "";
}

std::string SpecialFolder(int csidl) {
  char path[MAX_PATH] = {};
  return SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE) ? path : "";
}

std::string MenuShortcut(const std::string& name) {
  return SpecialFolder(CSIDL_COMMON_PROGRAMS) + "\\스프루스\\" + name + ".lnk";
}

std::string DesktopShortcut() {
  return SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY) + "\\스프루스.lnk";
}

// A string or DWORD value of the uninstall entry; "<missing>" when absent.
std::string EntryValue(const char* name) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
    return "<missing>";
  char data[1024] = {};
  DWORD type = 0, size = sizeof data - 1;
  LONG result = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS) return "<missing>";
  if (type == REG_DWORD) return std::to_string(*reinterpret_cast<DWORD*>(data));
  return type == REG_SZ ? std::string(data) : "<type " + std::to_string(type) + ">";
}

// Whether two files' bytes are the same; a difference is told by sizes, not
// by dumping program images.
::testing::AssertionResult SameBytes(const std::string& actual, const std::string& expected) {
  if (!expected.empty() && actual == expected) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << actual.size() << " bytes, not the " << expected.size()
                                       << " expected";
}

bool EntryExists() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

struct Shortcut {
  bool read = false;
  std::string target, arguments, workingFolder;
};

// What a .lnk file says, read through the shell's own link object.
Shortcut ReadShortcut(const std::string& path) {
  Shortcut link;
  IShellLinkA* shell = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&shell))))
    return link;
  IPersistFile* file = nullptr;
  WCHAR wide[MAX_PATH];
  if (SUCCEEDED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
      MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH) &&
      SUCCEEDED(file->Load(wide, STGM_READ))) {
    char text[MAX_PATH] = {};
    link.read = SUCCEEDED(shell->GetPath(text, MAX_PATH, nullptr, 0));
    link.target = text;
    text[0] = '\0';
    shell->GetArguments(text, MAX_PATH);
    link.arguments = text;
    text[0] = '\0';
    shell->GetWorkingDirectory(text, MAX_PATH);
    link.workingFolder = text;
  }
  if (file) file->Release();
  shell->Release();
  return link;
}

// Every file under folder (sub-folders walked, except those skip() names),
// by path, with its size; folders are listed too, with size -1.
void Snapshot(const std::string& folder, std::map<std::string, long long>& out,
              const std::function<bool(const std::string&)>& skip) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = data.cFileName, path = folder + "\\" + name;
    if (name == "." || name == ".." || skip(path)) continue;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      out[path] = -1;
      if (!(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) Snapshot(path, out, skip);
    } else {
      out[path] = (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }
  } while (FindNextFileA(find, &data));
  FindClose(find);
}

BOOL CALLBACK AddVisibleTitle(HWND window, LPARAM titles) {
  char title[256] = {};
  if (IsWindowVisible(window) && GetWindowTextA(window, title, sizeof title) > 0)
    *reinterpret_cast<std::string*>(titles) += std::string(" [") + title + "]";
  return TRUE;
}

// The visible top-level windows' titles, for a failure's message.
std::string VisibleWindows() {
  std::string titles;
  EnumWindows(AddVisibleTitle, reinterpret_cast<LPARAM>(&titles));
  return titles;
}

struct ControlSearch {
  int id;
  HWND found;
};

BOOL CALLBACK MatchVisibleControl(HWND child, LPARAM data) {
  auto* search = reinterpret_cast<ControlSearch*>(data);
  if (GetDlgCtrlID(child) != search->id || !IsWindowVisible(child)) return TRUE;
  search->found = child;
  return FALSE;
}

// The visible control id anywhere inside window (a wizard's pages are
// dialogs within its dialog); null when there is none.
HWND VisibleControl(HWND window, int id) {
  ControlSearch search{id, nullptr};
  EnumChildWindows(window, MatchVisibleControl, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Waits for VisibleControl: a wizard shows its next page a moment after the
// click.
HWND WaitForVisibleControl(HWND window, int id, DWORD timeoutMs = 60000) {
  HWND found = nullptr;
  for (DWORD waited = 0; waited < timeoutMs && !(found = VisibleControl(window, id)); waited += 100)
    Sleep(100);
  return found;
}

// The wizard's controls: the components page's tree and the folder page's
// folder box.
const int kComponentsTree = 1032;
const int kFolderBox = 1019;

// Ends the process of a window when the test leaves, so that a failed step
// leaves no wizard open for the tests after it; harmless once it has ended.
class EndsWithTest {
 public:
  explicit EndsWithTest(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    process_ = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
  }
  ~EndsWithTest() {
    if (!process_) return;
    TerminateProcess(process_, 1);
    CloseHandle(process_);
  }
  EndsWithTest(const EndsWithTest&) = delete;
  EndsWithTest& operator=(const EndsWithTest&) = delete;
  bool WaitExit(DWORD timeoutMs) const {
    return process_ && WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0;
  }

 private:
  HANDLE process_ = nullptr;
};

class Setup : public ::testing::Test {
 protected:
  void SetUp() override {
    setup_ = Environment("SPRUCE_SETUP");
    release_ = Environment("SPRUCE_RELEASE_FOLDER");
    if (setup_.empty() || release_.empty())
      GTEST_SKIP() << "no setup program (SPRUCE_SETUP) or unpacked package (SPRUCE_RELEASE_FOLDER)";
    CoInitialize(nullptr);
    version_ = ReadFileBytes(release_ + "\\version.dat");
    ASSERT_FALSE(version_.empty());
    ASSERT_FALSE(EntryExists()) << "an install left by an earlier run";
  }

  void TearDown() override {
    if (setup_.empty()) return;
    if (EntryExists()) Uninstall();
    RemoveTree(kInstallFolder);
    CoUninitialize();
  }

  // Runs setup silently into kInstallFolder (/D= takes the rest of the
  // command line, spaces included, unquoted); its exit code.
  DWORD Install() {
    return RunProcess("\"" + setup_ + "\" /S /D=" + kInstallFolder, "C:\\", nullptr, 120000);
  }

  // Runs the entry's quiet uninstall command as Windows would. The
  // uninstaller runs a copy of itself from the temporary folder and ends at
  // once, so the end of the work is seen by the entry going (it goes last).
  bool Uninstall() {
    if (RunProcess(EntryValue("QuietUninstallString"), "C:\\", nullptr, 120000) != 0) return false;
    for (int i = 0; i < 600 && EntryExists(); ++i) Sleep(100);
    Sleep(500);  // the copy's own end
    return !EntryExists();
  }

  std::string Installed(const std::string& name) const {
    return std::string(kInstallFolder) + "\\" + name;
  }

  // The user's files of a program folder that has been used: registry
  // backups and the disk cleaner's lists with their index, the ignore list,
  // the log switch and the log.
  std::map<std::string, std::string> PlantUsersFiles() const {
    std::map<std::string, std::string> files = {
        {"backup\\2026년01월05일-09시03분07초.reg", "KEY+HKEY_CURRENT_USER+Software\\Gone\r\n"},
        {"backup\\diskclean.idx", "2"},
        {"backup\\disk-2026년01월05일-09시04분00초-1.txt", "C:\\Temp\\a.tmp\r\n"},
        {"ignoreRegClean.dat", "HKCU\\Software\\Keep\r\n"},
        {"createlog.dat", ""},
        {"Spruce.log", "2026-01-05 09:00:00 프로그램 시작\r\n"}};
    CreateDirectoryA(Installed("backup").c_str(), nullptr);
    for (const auto& file : files) EXPECT_TRUE(WriteFileBytes(Installed(file.first), file.second));
    return files;
  }

  std::string setup_, release_, version_;
};

TEST_F(Setup, SilentInstallGivesTheBuiltFilesAnEntryAndShortcutsThatStartInTheFolder) {
  ASSERT_EQ(Install(), 0u);
  std::set<std::string> expected = {"uninst.exe"};
  for (const char* name : kInstalled) {
    EXPECT_TRUE(SameBytes(ReadFileBytes(Installed(name)), ReadFileBytes(release_ + "\\" + name))) << name;
    expected.insert(name);
  }
  std::set<std::string> names;
  for (const auto& file : FolderFiles(kInstallFolder)) names.insert(file.first);
  EXPECT_EQ(names, expected);

  const std::string folder = kInstallFolder;
  EXPECT_EQ(EntryValue("DisplayName"), "스프루스(Spruce)");
  EXPECT_EQ(EntryValue("DisplayVersion"), version_);
  EXPECT_EQ(EntryValue("Publisher"), "Spruce");
  EXPECT_EQ(EntryValue("DisplayIcon"), folder + "\\Spruce.exe,0");
  EXPECT_EQ(EntryValue("UninstallString"), "\"" + folder + "\\uninst.exe\"");
  EXPECT_EQ(EntryValue("QuietUninstallString"), "\"" + folder + "\\uninst.exe\" /S");
  EXPECT_EQ(EntryValue("InstallLocation"), folder);
  EXPECT_EQ(EntryValue("NoModify"), "1");
  EXPECT_EQ(EntryValue("NoRepair"), "1");
  // In KB: the installed files' size, within a rounding per file.
  long long bytes = 0;
  for (const char* name : kInstalled) bytes += ReadFileBytes(Installed(name)).size();
  const long long estimated = std::stoll(EntryValue("EstimatedSize"));
  EXPECT_GE(estimated, bytes / 1024);
  EXPECT_LE(estimated, bytes / 1024 + 5);

  // Every shortcut starts in the install folder, where the program keeps
  // its side files.
  const Shortcut menu = ReadShortcut(MenuShortcut("스프루스"));
  ASSERT_TRUE(menu.read);
  EXPECT_EQ(menu.target, folder + "\\Spruce.exe");
  EXPECT_EQ(menu.workingFolder, folder);
  const Shortcut remove = ReadShortcut(MenuShortcut("스프루스 제거"));
  EXPECT_EQ(remove.target, folder + "\\uninst.exe");
  EXPECT_EQ(remove.workingFolder, folder);
  const Shortcut desktop = ReadShortcut(DesktopShortcut());
  EXPECT_EQ(desktop.target, folder + "\\Spruce.exe");
  EXPECT_EQ(desktop.workingFolder, folder);

  // Started as the shortcut starts it, with the log switched on there: the
  // log is written in the install folder.
  ASSERT_TRUE(WriteFileBytes(Installed("createlog.dat"), ""));
  driver::Process spruce;
  ASSERT_TRUE(spruce.Start("\"" + menu.target + "\" " + menu.arguments, menu.workingFolder,
                           {"SPRUCE_SITE=http://127.0.0.1:9"}));
  HWND main = driver::WaitForWindow(e2e::kMainTitle, spruce.Id(), 120000);
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(driver::ControlText(main, IDC_VERSION), "버전: " + version_);
  e2e::KeepScreenshot(main, "setup-installed-spruce");
  EXPECT_TRUE(e2e::CloseSpruce(spruce, main));
  EXPECT_NE(ReadFileBytes(Installed("Spruce.log")).find("프로그램 시작"), std::string::npos);
}

TEST_F(Setup, OverAnInstallReplacesTheProgramsKeepsTheUsersFilesAndWaitsForRunningPrograms) {
  ASSERT_EQ(Install(), 0u);
  const auto users = PlantUsersFiles();
  // An older install: other program bytes and version.
  const std::string older = ReadFileBytes(Installed("Spruce.exe")) + "older install";
  ASSERT_TRUE(WriteFileBytes(Installed("Spruce.exe"), older));
  ASSERT_TRUE(WriteFileBytes(Installed("version.dat"), "0.9.0"));

  // While the updater runs, nothing is replaced: a half-replaced folder
  // would hold programs of two versions. (Nothing answers on port 9: it
  // reports that and waits.)
  {
    driver::Process updater;
    ASSERT_TRUE(updater.Start("\"" + Installed("SpruceUp.exe") + "\"", kInstallFolder,
                              {"SPRUCE_SITE=http://127.0.0.1:9"}));
    ASSERT_NE(driver::WaitForWindow("스프루스 업그레이드", updater.Id(), 60000), nullptr);
    EXPECT_EQ(Install(), 2u) << "a silent setup fails while a program runs";
    EXPECT_TRUE(SameBytes(ReadFileBytes(Installed("Spruce.exe")), older));
    EXPECT_EQ(ReadFileBytes(Installed("version.dat")), "0.9.0");
    updater.Kill();
  }

  ASSERT_EQ(Install(), 0u);
  for (const char* name : kInstalled)
    EXPECT_TRUE(SameBytes(ReadFileBytes(Installed(name)), ReadFileBytes(release_ + "\\" + name))) << name;
  for (const auto& file : users) EXPECT_EQ(ReadFileBytes(Installed(file.first)), file.second) << file.first;
}

TEST_F(Setup, SilentUninstallRemovesWhatSetupMadeKeepsTheBackupsAndNothingElseChanges) {
  // The places setup writes to, and the user's profile, as they were; the
  // temporary folder is left out (see below).
  auto outside = [](std::map<std::string, long long>& out) {
    auto skip = [](const std::string& path) {
      return path == kInstallFolder || path.find("\\Temp") != std::string::npos;
    };
    Snapshot("C:\\Program Files", out, skip);
    Snapshot("C:\\ProgramData", out, skip);
    Snapshot("C:\\users", out, skip);
  };
  std::map<std::string, long long> before, after;
  outside(before);

  ASSERT_EQ(Install(), 0u);
  const auto users = PlantUsersFiles();
  ASSERT_TRUE(FileExists(MenuShortcut("스프루스")));
  ASSERT_TRUE(Uninstall());

  // Only the user's files remain, untouched, and so the folders that hold
  // them.
  std::map<std::string, long long> left;
  Snapshot(kInstallFolder, left, [](const std::string&) { return false; });
  std::set<std::string> leftNames, userNames = {std::string(kInstallFolder) + "\\backup"};
  for (const auto& file : left) leftNames.insert(file.first);
  for (const auto& file : users) {
    userNames.insert(Installed(file.first));
    EXPECT_EQ(ReadFileBytes(Installed(file.first)), file.second) << file.first;
  }
  EXPECT_EQ(leftNames, userNames);
  EXPECT_FALSE(EntryExists());

  // The shortcuts and the Start-menu folder are gone, and nothing else
  // outside the install folder has changed. (The uninstaller's copy of itself
  // in the temporary folder is Windows' to delete at the next start.)
  outside(after);
  EXPECT_EQ(after, before);
}

// The local scripted site serves a newer version of both programs; the
// updater started in the installed folder, as the main program starts it,
// replaces them there and records the version.
TEST_F(Setup, SpruceUpUpgradesTheInstalledFolder) {
  ASSERT_EQ(Install(), 0u);
  ScriptedSite site;
  ASSERT_TRUE(site.Ok());
  const std::string main = ReadFileBytes(Installed("Spruce.exe")) + "served 9.0.0";
  const std::string updater = ReadFileBytes(Installed("SpruceUp.exe")) + "served 9.0.0";
  ASSERT_TRUE(site.PutFile("Spruce.exe", main));
  ASSERT_TRUE(site.PutFile("SpruceUp.exe", updater));
  ASSERT_TRUE(site.SetScript("{\"/spruce/version.dat\": {\"body\": " +
                             JsonString("Version: 9.0.0\r\n" + ListedFile("Spruce.exe", main) +
                                        ListedFile("SpruceUp.exe", updater)) +
                             "}}"));

  driver::Process up;
  ASSERT_TRUE(up.Start("\"" + Installed("SpruceUp.exe") + "\"", kInstallFolder,
                       {"SPRUCE_SITE=" + site.Origin()}));
  HWND window = driver::WaitForWindow("스프루스 업그레이드", up.Id(), 60000);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(driver::WaitForControlText(window, IDCANCEL, "완료", 120000));
  EXPECT_TRUE(SameBytes(ReadFileBytes(Installed("Spruce.exe")), main));
  EXPECT_TRUE(SameBytes(ReadFileBytes(Installed("SpruceUp.exe")), updater));
  EXPECT_EQ(ReadFileBytes(Installed("version.dat")), "9.0.0");
  // "프로그램 추가/제거" shows the version now installed.
  EXPECT_EQ(EntryValue("DisplayVersion"), "9.0.0");
  up.Kill();
}

// The wizard as a user meets it: the welcome page, the components page (the
// program, always installed, and the desktop shortcut) and the folder page;
// cancelled there and confirmed, it leaves nothing behind. Then the
// uninstaller of a silent install, asked whether the backups go too, keeps
// them on "No".
TEST_F(Setup, CancelledWizardInstallsNothingAndTheUninstallerAsksBeforeDeletingBackups) {
  driver::Process setup;
  ASSERT_TRUE(setup.Start("\"" + setup_ + "\"", "C:\\"));
  HWND wizard = driver::WaitForWindow("스프루스(Spruce) 설치", setup.Id());
  ASSERT_NE(wizard, nullptr) << VisibleWindows();
  EndsWithTest wizardEnds(wizard);
  ASSERT_TRUE(driver::WaitForEnabled(wizard, IDOK));
  e2e::KeepScreenshot(wizard, "readme-setup");
  driver::Click(wizard, IDOK);
  ASSERT_NE(WaitForVisibleControl(wizard, kComponentsTree), nullptr) << VisibleWindows();
  e2e::KeepScreenshot(wizard, "readme-setup-components");
  driver::Click(wizard, IDOK);
  HWND folderBox = WaitForVisibleControl(wizard, kFolderBox);
  ASSERT_NE(folderBox, nullptr) << VisibleWindows();
  const std::string folder = driver::ControlText(GetParent(folderBox), kFolderBox);
  EXPECT_EQ(folder, "C:\\Program Files\\Spruce");

  driver::Click(wizard, IDCANCEL);
  driver::MessageBoxInfo box;
  ASSERT_TRUE(driver::WaitForMessageBox(setup.Id(), "스프루스(Spruce) 설치", box)) << VisibleWindows();
  EXPECT_EQ(box.text, "스프루스(Spruce) 설치를 취소하시겠습니까?");
  ASSERT_TRUE(driver::AnswerMessageBox(box, IDYES));
  ASSERT_TRUE(wizardEnds.WaitExit(30000));
  EXPECT_FALSE(FileExists(folder));
  EXPECT_FALSE(EntryExists());
  EXPECT_FALSE(FileExists(MenuShortcut("스프루스")));
  EXPECT_FALSE(FileExists(DesktopShortcut()));

  // The uninstaller runs a copy of itself (another process) that shows the
  // confirmation page, then the question.
  ASSERT_EQ(Install(), 0u);
  const auto users = PlantUsersFiles();
  driver::Process uninstaller;
  ASSERT_TRUE(uninstaller.Start(EntryValue("UninstallString"), "C:\\"));
  // (The title ends in a space on this page: the page's own caption.)
  HWND confirm = driver::WaitForWindow("스프루스(Spruce) 제거 ");
  ASSERT_NE(confirm, nullptr) << VisibleWindows();
  EndsWithTest uninstallerEnds(confirm);
  ASSERT_TRUE(driver::WaitForEnabled(confirm, IDOK));
  driver::Click(confirm, IDOK);
  ASSERT_TRUE(driver::WaitForMessageBox(0, "스프루스(Spruce) 제거", box)) << VisibleWindows();
  EXPECT_EQ(box.text,
            "레지스트리 백업과 디스크 정리 기록(backup 폴더)도 지우시겠습니까?\r\n"
            "지우면 레지스트리 복원으로 되살릴 수 없습니다.");
  e2e::KeepScreenshot(box.window, "readme-uninstall");
  ASSERT_TRUE(driver::AnswerMessageBox(box, IDNO));
  // The entry goes last; then the page's button closes the uninstaller.
  for (int i = 0; i < 600 && EntryExists(); ++i) Sleep(100);
  EXPECT_FALSE(EntryExists());
  ASSERT_TRUE(driver::WaitForEnabled(confirm, IDOK));
  driver::Click(confirm, IDOK);
  EXPECT_TRUE(uninstallerEnds.WaitExit(30000));
  EXPECT_FALSE(FileExists(Installed("Spruce.exe")));
  for (const auto& file : users) {
    if (file.first.compare(0, 7, "backup\\") == 0)
      EXPECT_EQ(ReadFileBytes(Installed(file.first)), file.second) << file.first;
  }
}

}  // namespace
