#include "tests/e2e/e2e_support.h"

namespace e2e {

const char kMainTitle[] = "스프루스(Spruce)";

std::string ProfileIniPath() {
  char dir[MAX_PATH];
  GetWindowsDirectoryA(dir, MAX_PATH);
  return std::string(dir) + "\\Spruce.INI";
}

HWND StartSpruce(driver::Process& process, const std::string& folder) {
  // Nothing listens on port 9 of the loopback: the banner and the site stay
  // unreachable and quick to fail.
  if (!process.Start("\"" + testing_support::BinFolder() + "\\Spruce.exe\"", folder,
                     {"SPRUCE_SITE=http://127.0.0.1:9"}))
    return nullptr;
  return driver::WaitForWindow(kMainTitle, process.Id(), 120000);
}

HWND OpenTool(const driver::Process& spruce, HWND main, int button, const std::string& caption) {
  driver::Click(main, button);
  return driver::WaitForWindow(caption, spruce.Id(), 30000);
}

std::string AnswerBox(DWORD pid, const std::string& caption, DWORD timeoutMs) {
  driver::MessageBoxInfo box;
  if (!driver::WaitForMessageBox(pid, caption, box, timeoutMs)) return "<no message box>";
  if (!driver::AnswerMessageBox(box, IDOK)) return "<not closed> " + box.text;
  return box.text;
}

bool CloseSpruce(driver::Process& process, HWND main) {
  driver::Click(main, IDCANCEL);
  bool ended = process.WaitExit(30000);
  if (!ended) process.Kill();
  return ended;
}

void KeepScreenshot(HWND window, const std::string& name) {
  std::string folder = testing_support::ArtifactFolder();
  if (folder.empty()) return;
  CreateDirectoryA(folder.c_str(), nullptr);
  Sleep(300);  // let the window finish painting
  driver::SaveScreenshot(window, folder + "\\" + name + ".bmp");
}

void SetSpruceWindowsVersion(const std::string& version) {
  const char* key = "Software\\Wine\\AppDefaults\\Spruce.exe";
  if (version.empty()) {
    testing_support::DeleteKeyTree(HKEY_CURRENT_USER, key);
    return;
  }
  HKEY k;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr) !=
      ERROR_SUCCESS)
    return;
  RegSetValueExA(k, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version.c_str()),
                 static_cast<DWORD>(version.size() + 1));
  RegCloseKey(k);
}

}  // namespace e2e
