#include "registry/restore_dlg.h"

#include <cstdio>

#include "app/cleaner_app.h"
#include "framework/controls.h"
#include "framework/font.h"
#include "framework/msgbox.h"
#include "registry/backup_format.h"
#include "registry/registry_scanner.h"
#include "resources/resource.h"

namespace {

// RegistryKey::SetString writes at most 254 bytes of text.
constexpr size_t kMaxPlainText = 254;

// The whole file as bytes; false when it can't be opened.
bool ReadWholeFile(const std::string& path, std::string& content) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  content.clear();
  char buffer[8192];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) content.append(buffer, n);
  std::fclose(file);
  return true;
}

void RestoreEntry(const BackupEntry& entry) {
  HKEY root = RootFromLongName(entry.rootLong);
  if (!root) return;
  // The plain registry functions serve every root, HKEY_CURRENT_CONFIG too.
  fw::KeyHandle key;
  if (RegCreateKeyExA(root, entry.keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, key.Put(), nullptr) != ERROR_SUCCESS)
    return;
  if (entry.kind != BackupEntry::kValue) return;
  static const BYTE kNothing[1] = {0};
  if (entry.typed) {
    const BYTE* data = entry.data.empty() ? kNothing
                                          : reinterpret_cast<const BYTE*>(entry.data.data());
    RegSetValueExA(key.Get(), entry.name.c_str(), 0, entry.type, data,
                   static_cast<DWORD>(entry.data.size()));
  } else if (entry.data.size() <= kMaxPlainText) {
    RegSetValueExA(key.Get(), entry.name.c_str(), 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(entry.data.c_str()),
                   static_cast<DWORD>(entry.data.size() + 1));
  }
}

}  // namespace

const fw::MessageEntry<CRegistryRestoreDlg> CRegistryRestoreDlg::kMessages[] = {
    fw::OnCommand(IDC_RESTORE, &CRegistryRestoreDlg::OnRestore),
    fw::OnCommand(IDC_DELETE_BACKUPS, &CRegistryRestoreDlg::OnDeleteFiles),
};

bool CRegistryRestoreDlg::HandleMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) {
  return Dispatch(*this, kMessages, msg, wp, lp, result);
}

CRegistryRestoreDlg::CRegistryRestoreDlg() : fw::Dialog(IDD_REGISTRY_RESTORE) {}

std::string CRegistryRestoreDlg::BackupFolder() { return ProgramFolder() + "/backup"; }

void CRegistryRestoreDlg::RestoreBackup(const std::string& content) {
  for (const BackupEntry& entry : ParseBackup(content)) RestoreEntry(entry);
}

BOOL CRegistryRestoreDlg::OnInitDialog() {
  fw::list::SetupCheckedReport(Item(IDC_LIST), {{"선택", 50}, {"일자", 373}});
  boldFont_ = fw::SetBoldCaption(Hwnd(), IDC_TITLE);
  FillList();
  return TRUE;
}

void CRegistryRestoreDlg::FillList() {
  // Searched by its full path: the process's current directory stays what
  // it was, so later bare-name lookups of the program still work.
  HWND list = Item(IDC_LIST);
  WIN32_FIND_DATAA found;
  fw::FindHandle find(FindFirstFileA((BackupFolder() + "/*.reg").c_str(), &found));
  if (!find.Valid()) return;
  do {
    fw::list::AppendRow(list, {std::string(), found.cFileName}, false);
  } while (FindNextFileA(find.Get(), &found));
}

void CRegistryRestoreDlg::OnRestore() {
  HWND list = Item(IDC_LIST);
  const int n = fw::list::Count(list);
  if (n == 0) {
    fw::ShowMessageBox(Hwnd(), "복원할 내용이없습니다.", kTitle, MB_OK);
    return;
  }
  const std::string folder = BackupFolder();
  int checked = 0;
  for (int i = 0; i < n; ++i) {
    if (!fw::list::IsChecked(list, i)) continue;
    ++checked;
    std::string content;
    // A file that can't be opened is passed over without a message.
    if (ReadWholeFile(folder + "/" + fw::list::Text(list, i, 1), content)) RestoreBackup(content);
  }
  fw::ShowMessageBox(Hwnd(), checked > 0 ? "복원이 완료되었습니다." : "복원할 내용이없습니다.",
                     kTitle, MB_OK);
}

void CRegistryRestoreDlg::OnDeleteFiles() {
  if (fw::ShowMessageBox(Hwnd(), "선택한 백업파일을 삭제하시겠습니까?", kTitle,
                         MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  HWND list = Item(IDC_LIST);
  const std::string folder = BackupFolder();
  int deleted = 0;
  for (int j = 0; j < fw::list::Count(list);) {
    if (!fw::list::IsChecked(list, j)) {
      ++j;
      continue;
    }
    ++deleted;
    DeleteFileA((folder + "/" + fw::list::Text(list, j, 1)).c_str());
    fw::list::DeleteRow(list, j);  // the next row moves into position j
  }
  fw::ShowMessageBox(Hwnd(), deleted > 0 ? "삭제 완료되었습니다." : "삭제할 파일이 없습니다.",
                     kTitle, MB_OK);
}
