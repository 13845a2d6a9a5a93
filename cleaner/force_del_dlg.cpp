#include "cleaner/force_del_dlg.h"

#include <commdlg.h>

#include <vector>

#include "app/cleaner_app.h"
#include "framework/controls.h"
#include "framework/font.h"
#include "framework/msgbox.h"
#include "framework/wait.h"
#include "framework/worker.h"
#include "resources/resource.h"

namespace {

// int Delete(const char* path): non-zero when the file was deleted.
using DeleteFunction = int(__cdecl*)(const char*);

// A library loaded for one deletion run, unloaded on every path.
class LoadedLibrary {
 public:
  // An empty path loads nothing (a bare name would be looked for in the
  // working directory too).
  explicit LoadedLibrary(const std::string& path)
      : module_(path.empty() ? nullptr : LoadLibraryA(path.c_str())) {}
  ~LoadedLibrary() {
    if (module_) FreeLibrary(module_);
  }
  LoadedLibrary(const LoadedLibrary&) = delete;
  LoadedLibrary& operator=(const LoadedLibrary&) = delete;
  HMODULE Get() const { return module_; }

 private:
  HMODULE module_;
};

// The process's current directory; empty when it cannot be read.
std::string CurrentDirectory() {
  const DWORD size = GetCurrentDirectoryA(0, nullptr);
  if (size == 0) return std::string();
  std::string folder(size, '\0');
  const DWORD n = GetCurrentDirectoryA(size, &folder[0]);
  if (n == 0 || n >= size) return std::string();
  folder.resize(n);
  return folder;
}

// The folder of the running program file; empty when it cannot be read. The
// library is loaded from there and nowhere else: the program folder is the
// working directory at start, and a program started from elsewhere (a
// download folder) would run whatever "ForceDel.dll" lies there with the
// user's rights.
std::string ProgramFileFolder() {
  char path[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return std::string();
  // The last backslash, which is never the second byte of a double-byte
  // character.
  DWORD end = 0;
  for (DWORD i = 0; i < n; ++i) {
    if (IsDBCSLeadByte(static_cast<BYTE>(path[i])) && i + 1 < n) {
      ++i;
      continue;
    }
    if (path[i] == '\\') end = i;
  }
  return std::string(path, end);
}

struct DeleteCall {
  DeleteFunction function;
  const char* path;
  int result;
};

DWORD WINAPI DeleteCallThread(void* argument) {
  auto* call = static_cast<DeleteCall*>(argument);
  call->result = call->function(call->path);
  return 0;
}

// Calls the library's Delete on a worker while this thread goes on serving
// its messages: the search through other programs' handles can take seconds.
int CallWhilePumping(DeleteFunction function, const std::string& path) {
  DeleteCall call = {function, path.c_str(), 0};
  fw::UniqueHandle worker =
      fw::StartWorkerThread(&DeleteCallThread, &call, THREAD_PRIORITY_NORMAL);
  if (!worker.Valid()) return function(path.c_str());  // no thread to spare: called here
  fw::WaitForHandleWhilePumping(worker.Get());
  // The call lives on this stack: it must be over whatever the wait said.
  WaitForSingleObject(worker.Get(), INFINITE);
  return call.result;
}

}  // namespace

const fw::MessageEntry<CForceDelDlg> CForceDelDlg::kMessages[] = {
    fw::OnCommand(IDC_FORCEDEL_ADD, &CForceDelDlg::OnChooseFile),
    fw::OnCommand(IDC_FORCEDEL_DELETE, &CForceDelDlg::OnDelete),
    fw::OnCommand(IDCANCEL, &CForceDelDlg::OnExit),
};

CForceDelDlg::CForceDelDlg() : fw::Dialog(IDD_FORCEDEL), libraryFolder_(ProgramFileFolder()) {}

bool CForceDelDlg::HandleMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) {
  return Dispatch(*this, kMessages, msg, wp, lp, result);
}

BOOL CForceDelDlg::OnInitDialog() {
  fw::list::SetupCheckedReport(Item(IDC_LIST), {{"선택", 50}, {"파일명", 415}});
  boldFont_ = fw::SetBoldCaption(Hwnd(), IDC_TITLE);
  return TRUE;
}

void CForceDelDlg::AddFile(const std::string& path) {
  fw::list::AppendRow(Item(IDC_LIST), {std::string(), path}, true);
}

void CForceDelDlg::OnChooseFile() {
  if (busy_) return;
  std::vector<char> file(32768, '\0');
  OPENFILENAMEA dialog = {};
  // The size Windows NT 4.0 and 95 know; the newer fields are not used.
  dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
  dialog.hwndOwner = Hwnd();
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrDefExt = "*.*";
  dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  // The dialog makes the chosen file's folder the current directory (the
  // flag above does not stop it on every system); a later bare-name lookup,
  // such as starting "SpruceUp.exe", would then look there.
  const std::string current = CurrentDirectory();
  const BOOL chosen = GetOpenFileNameA(&dialog);
  if (!current.empty()) SetCurrentDirectoryA(current.c_str());
  if (chosen && file[0] != '\0') AddFile(file.data());
}

void CForceDelDlg::OnDelete() {
  if (busy_) return;
  if (fw::ShowMessageBox(Hwnd(), "선택한 파일을 삭제하시겠습니까?", kTitle,
                         MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  SetBusy(true);
  DeleteTickedRows();
  SetBusy(false);
}

void CForceDelDlg::DeleteTickedRows() {
  LoadedLibrary library(libraryFolder_.empty() ? std::string()
                                               : libraryFolder_ + "\\ForceDel.dll");
  if (!library.Get()) {
    fw::ShowMessageBox(Hwnd(), "ForceDel.dll 파일을 찾을 수 없습니다.", kTitle, MB_OK);
    return;
  }
  const auto deleteFile = reinterpret_cast<DeleteFunction>(
      reinterpret_cast<void*>(GetProcAddress(library.Get(), "Delete")));
  if (!deleteFile) {
    fw::ShowMessageBox(Hwnd(), "내부Dll에러로 인해 삭제할 수 없습니다.", kTitle, MB_OK);
    return;
  }
  HWND list = Item(IDC_LIST);
  for (int row = 0; row < fw::list::Count(list);) {
    const std::string path = fw::list::Text(list, row, 1);
    if (!fw::list::IsChecked(list, row) || path.empty()) {
      ++row;
      continue;
    }
    if (CallWhilePumping(deleteFile, path) != 0) {
      fw::list::DeleteRow(list, row);  // the next row moves up to this index
      continue;
    }
    // The library has scheduled what it could not free for the next start.
    fw::ShowMessageBox(Hwnd(),
                       path + " 파일을 삭제할 수 없습니다.\r\n재부팅후 다시 시도해 보시기 바랍니다.",
                       "파일삭재 실패", MB_OK);
    return;
  }
}

void CForceDelDlg::SetBusy(bool busy) {
  busy_ = busy;
  for (int id : {IDC_FORCEDEL_ADD, IDC_FORCEDEL_DELETE, IDCANCEL})
    EnableWindow(Item(id), busy ? FALSE : TRUE);
}

void CForceDelDlg::OnExit() {
  // Button 2 is disabled while deleting; Esc and the close box (which come
  // here as button 2) must not get round that.
  if (busy_) return;
  EndDialog(IDCANCEL);
}
