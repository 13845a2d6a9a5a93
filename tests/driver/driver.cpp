#include "tests/driver/driver.h"

#include <commctrl.h>

#include <cstdio>

#include "framework/raii.h"

namespace driver {

namespace {

// How the driver asks another process's window for something. Not
// SMTO_ABORTIFHUNG: Wine may take a busy thread for hung and give up at once
// (ERROR_TIMEOUT), as it did reading a message box that had just appeared;
// a thread that really hangs is still given up after the timeout.
constexpr UINT kSendFlags = SMTO_NORMAL;
constexpr UINT kSendTimeoutMs = 10000;

}  // namespace

Process::~Process() {
  if (process_) CloseHandle(process_);
}

bool Process::Start(const std::string& commandLine, const std::string& workingFolder,
                    const std::vector<std::string>& environment) {
  // The child gets the driver's environment plus the given entries.
  std::string block;
  if (!environment.empty()) {
    char* env = GetEnvironmentStringsA();
    for (const char* p = env; *p; p += strlen(p) + 1) block.append(p).push_back('\0');
    FreeEnvironmentStringsA(env);
    for (const std::string& e : environment) block.append(e).push_back('\0');
    block.push_back('\0');
  }
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  std::string cmd = commandLine;
  if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0,
                      block.empty() ? nullptr : &block[0],
                      workingFolder.empty() ? nullptr : workingFolder.c_str(), &si, &pi)) {
    // Said here, since callers see only that no window came.
    std::fprintf(stderr, "driver: %s did not start (error %lu)\n", commandLine.c_str(),
                 GetLastError());
    return false;
  }
  CloseHandle(pi.hThread);
  process_ = pi.hProcess;
  id_ = pi.dwProcessId;
  return true;
}

bool Process::WaitExit(DWORD timeoutMs) {
  return process_ && WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0;
}

void Process::Kill() {
  if (process_) TerminateProcess(process_, 1);
}

namespace {

struct FindRequest {
  std::string caption;
  DWORD pid;
  HWND found;
};

std::string WindowText(HWND window) {
  char buf[1024] = {};
  GetWindowTextA(window, buf, sizeof buf);
  return buf;
}

// A system message box: a dialog with the static 0xFFFF that tool dialogs
// (title 1018, list 1002) do not have.
bool IsMessageBox(HWND window) {
  char cls[64] = {};
  GetClassNameA(window, cls, sizeof cls);
  return std::string(cls) == "#32770" && GetDlgItem(window, 0xFFFF) &&
         !GetDlgItem(window, 1018) && !GetDlgItem(window, 1002);
}

BOOL CALLBACK FindByCaption(HWND window, LPARAM param) {
  auto* request = reinterpret_cast<FindRequest*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if ((request->pid == 0 || pid == request->pid) && IsWindowVisible(window) &&
      WindowText(window) == request->caption && !IsMessageBox(window)) {
    request->found = window;
    return FALSE;
  }
  return TRUE;
}

template <class Predicate>
bool WaitUntil(Predicate done, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(20);
  }
  return true;
}

// Memory in another process, freed on scope exit.
class RemoteBuffer {
 public:
  RemoteBuffer(HANDLE process, size_t size)
      : process_(process),
        address_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {}
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;
  ~RemoteBuffer() {
    if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
  }
  char* Get() const { return static_cast<char*>(address_); }
  bool Write(size_t offset, const void* data, size_t size) const {
    return WriteProcessMemory(process_, Get() + offset, data, size, nullptr) != FALSE;
  }
  bool Read(size_t offset, void* data, size_t size) const {
    return ReadProcessMemory(process_, Get() + offset, data, size, nullptr) != FALSE;
  }

 private:
  HANDLE process_;
  void* address_;
};

fw::UniqueHandle OpenOwner(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  return fw::UniqueHandle(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE |
                                          PROCESS_QUERY_INFORMATION,
                                      FALSE, pid));
}

}  // namespace

HWND FindWindowByCaption(const std::string& caption, DWORD pid) {
  FindRequest request{caption, pid, nullptr};
  EnumWindows(&FindByCaption, reinterpret_cast<LPARAM>(&request));
  return request.found;
}

HWND WaitForWindow(const std::string& caption, DWORD pid, DWORD timeoutMs) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindWindowByCaption(caption, pid)) != nullptr; }, timeoutMs);
  return found;
}

bool WaitForWindowGone(HWND window, DWORD timeoutMs) {
  return WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, timeoutMs);
}

void Click(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
}

std::string ControlText(HWND dialog, int id) {
  // WM_GETTEXT is marshalled across processes by the system.
  char buf[4096] = {};
  SendMessageTimeoutA(GetDlgItem(dialog, id), WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf),
                      kSendFlags, kSendTimeoutMs, nullptr);
  return buf;
}

bool WaitForControlText(HWND dialog, int id, const std::string& text, DWORD timeoutMs) {
  return WaitUntil([&] { return ControlText(dialog, id) == text; }, timeoutMs);
}

bool IsEnabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

bool WaitForEnabled(HWND dialog, int id, DWORD timeoutMs) {
  return WaitUntil([&] { return IsEnabled(dialog, id); }, timeoutMs);
}

std::vector<ListRow> ReadList(HWND list, int columns) {
  std::vector<ListRow> rows;
  fw::UniqueHandle process = OpenOwner(list);
  if (!process.Valid()) return rows;
  const size_t kText = 2048;
  RemoteBuffer remote(process.Get(), sizeof(LVITEMA) + kText);
  if (!remote.Get()) return rows;
  int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  for (int row = 0; row < count; ++row) {
    ListRow r;
    for (int column = 0; column < columns; ++column) {
      LVITEMA item = {};
      item.iSubItem = column;
      item.pszText = remote.Get() + sizeof(LVITEMA);
      item.cchTextMax = kText;
      remote.Write(0, &item, sizeof item);
      SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(remote.Get()));
      char text[kText] = {};
      remote.Read(sizeof(LVITEMA), text, kText - 1);
      r.cells.push_back(text);
    }
    UINT state = static_cast<UINT>(SendMessageA(list, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK));
    r.checked = ((state & LVIS_STATEIMAGEMASK) >> 12) == 2;
    rows.push_back(r);
  }
  return rows;
}

bool SetRowChecked(HWND list, int row, bool checked) {
  fw::UniqueHandle process = OpenOwner(list);
  if (!process.Valid()) return false;
  RemoteBuffer remote(process.Get(), sizeof(LVITEMA));
  LVITEMA item = {};
  item.stateMask = LVIS_STATEIMAGEMASK;
  item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
  if (!remote.Get() || !remote.Write(0, &item, sizeof item)) return false;
  return SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(remote.Get())) != 0;
}

namespace {

struct BoxSearch {
  std::string caption;
  DWORD pid;
  HWND found;
};

// A message box is a #32770 dialog with its text in static 0xFFFF; a tool
// dialog that shares the caption is told apart by its title label and list.
BOOL CALLBACK FindBox(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<BoxSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if ((search->pid == 0 || pid == search->pid) && IsWindowVisible(window) &&
      WindowText(window) == search->caption && IsMessageBox(window)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

bool WaitForMessageBox(DWORD pid, const std::string& caption, MessageBoxInfo& box, DWORD timeoutMs) {
  return WaitUntil(
      [&] {
        BoxSearch search{caption, pid, nullptr};
        EnumWindows(&FindBox, reinterpret_cast<LPARAM>(&search));
        if (!search.found) return false;
        box.window = search.found;
        box.caption = caption;
        char buf[2048] = {};
        SendMessageTimeoutA(GetDlgItem(search.found, 0xFFFF), WM_GETTEXT, sizeof buf,
                            reinterpret_cast<LPARAM>(buf), kSendFlags, kSendTimeoutMs, nullptr);
        box.text = buf;
        return true;
      },
      timeoutMs);
}

bool AnswerMessageBox(const MessageBoxInfo& box, int buttonId) {
  PostMessageA(box.window, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(box.window, buttonId)));
  return WaitForWindowGone(box.window, 10000);
}

bool SaveScreenshot(HWND window, const std::string& path) {
  RECT r;
  if (!GetWindowRect(window, &r)) return false;
  int width = r.right - r.left, height = r.bottom - r.top;
  if (width <= 0 || height <= 0) return false;
  RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  fw::WindowDc screen(nullptr);
  fw::MemoryDc memory(screen.Get());
  fw::Bitmap bitmap(CreateCompatibleBitmap(screen.Get(), width, height));
  if (!memory || !bitmap) return false;
  {
    fw::SelectScope select(memory.Get(), bitmap.Get());
    BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), r.left, r.top, SRCCOPY);
  }
  BITMAPINFOHEADER info = {};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  int stride = (width * 3 + 3) & ~3;
  std::string pixels(static_cast<size_t>(stride) * height, '\0');
  if (!GetDIBits(memory.Get(), bitmap.Get(), 0, height, &pixels[0],
                 reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS))
    return false;
  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  std::fwrite(&file, sizeof file, 1, f);
  std::fwrite(&info, sizeof info, 1, f);
  std::fwrite(pixels.data(), 1, pixels.size(), f);
  return std::fclose(f) == 0;
}

// --- Privacy cleaner and forced delete ---

namespace {

// The file-name box of the system's open-file dialog: a combo box in the
// Explorer-style dialog, an edit box in the older one.
constexpr int kFileNameCombo = 0x47C;  // cmb13
constexpr int kFileNameEdit = 0x480;   // edt1

struct OpenDialogSearch {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK FindOpenDialog(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<OpenDialogSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  char cls[64] = {};
  GetClassNameA(window, cls, sizeof cls);
  if ((search->pid == 0 || pid == search->pid) && IsWindowVisible(window) &&
      std::string(cls) == "#32770" &&
      (GetDlgItem(window, kFileNameCombo) || GetDlgItem(window, kFileNameEdit))) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

bool AnswerOpenFileDialog(DWORD pid, const std::string& path, DWORD timeoutMs) {
  OpenDialogSearch search{pid, nullptr};
  if (!WaitUntil(
          [&] {
            EnumWindows(&FindOpenDialog, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
          },
          timeoutMs))
    return false;
  HWND dialog = search.found;
  const int button = path.empty() ? IDCANCEL : IDOK;
  if (!path.empty()) {
    HWND name = GetDlgItem(dialog, kFileNameCombo);
    if (!name) name = GetDlgItem(dialog, kFileNameEdit);
    // WM_SETTEXT is marshalled across processes by the system.
    SendMessageTimeoutA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()),
                        kSendFlags, kSendTimeoutMs, nullptr);
  }
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
  return WaitForWindowGone(dialog, timeoutMs);
}

}  // namespace driver

// --- Disk health -------------------------------------------------------------
namespace driver {

std::vector<std::string> ComboItems(HWND dialog, int id) {
  // CB_GETLBTEXT is marshalled across processes by the system. Wine cuts the
  // text of the ANSI form to its first character there, so the text is asked
  // for in UTF-16 and turned into the ANSI code page here.
  HWND combo = GetDlgItem(dialog, id);
  std::vector<std::string> items;
  DWORD_PTR count = 0;
  if (!SendMessageTimeoutW(combo, CB_GETCOUNT, 0, 0, kSendFlags, kSendTimeoutMs, &count)) return items;
  for (int i = 0; i < static_cast<int>(count); ++i) {
    wchar_t wide[1024] = {};
    DWORD_PTR length = 0;
    SendMessageTimeoutW(combo, CB_GETLBTEXTLEN, i, 0, kSendFlags, kSendTimeoutMs, &length);
    if (length < sizeof wide / sizeof wide[0])
      SendMessageTimeoutW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(wide), kSendFlags,
                          kSendTimeoutMs, nullptr);
    char text[2048] = {};
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    items.push_back(text);
  }
  return items;
}

int ComboSelection(HWND dialog, int id) {
  DWORD_PTR item = static_cast<DWORD_PTR>(CB_ERR);
  SendMessageTimeoutA(GetDlgItem(dialog, id), CB_GETCURSEL, 0, 0, kSendFlags, kSendTimeoutMs, &item);
  return static_cast<int>(static_cast<LRESULT>(item));
}

void SelectComboItem(HWND dialog, int id, int index) {
  HWND combo = GetDlgItem(dialog, id);
  SendMessageTimeoutA(combo, CB_SETCURSEL, index, 0, kSendFlags, kSendTimeoutMs, nullptr);
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

}  // namespace driver
