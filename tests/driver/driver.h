// The outside-in driver: drives Spruce.exe from another process the way a
// user would. It finds windows by caption, clicks controls, reads control
// texts and list-view rows (with their check states) across processes, reads
// and answers message boxes and takes screenshots.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace driver {

// A running Spruce.exe (or any program) started by the driver.
class Process {
 public:
  // Starts commandLine in workingFolder with extra "NAME=value" environment
  // entries added to the driver's own environment.
  bool Start(const std::string& commandLine, const std::string& workingFolder,
             const std::vector<std::string>& environment = {});
  ~Process();
  DWORD Id() const { return id_; }
  HANDLE Handle() const { return process_; }
  // Waits for the process to end; false on time-out.
  bool WaitExit(DWORD timeoutMs);
  void Kill();

 private:
  HANDLE process_ = nullptr;
  DWORD id_ = 0;
};

// A visible top-level window of process pid (any process when 0) whose title
// is caption, not a message box (a tool's boxes carry the tool's title too);
// null when there is none.
HWND FindWindowByCaption(const std::string& caption, DWORD pid = 0);
HWND WaitForWindow(const std::string& caption, DWORD pid = 0, DWORD timeoutMs = 60000);
bool WaitForWindowGone(HWND window, DWORD timeoutMs = 60000);

// Clicks the button id of dialog (posted, so a modal loop it opens does not
// block the driver).
void Click(HWND dialog, int id);
std::string ControlText(HWND dialog, int id);
bool WaitForControlText(HWND dialog, int id, const std::string& text, DWORD timeoutMs = 60000);
bool IsEnabled(HWND dialog, int id);
// Waits until control id of dialog is enabled (the optimizers' button 5 is
// usable only a moment after a job ended).
bool WaitForEnabled(HWND dialog, int id, DWORD timeoutMs = 60000);

struct ListRow {
  std::vector<std::string> cells;
  bool checked;
};
// Every row of the list view (columns cells each), read in its process.
std::vector<ListRow> ReadList(HWND list, int columns);
// Sets a row's check box the way a click on it would.
bool SetRowChecked(HWND list, int row, bool checked);

struct MessageBoxInfo {
  HWND window = nullptr;
  std::string caption;
  std::string text;
};
// Waits for a message box (a dialog of class #32770 with a static 0xFFFF)
// of process pid with the given caption.
bool WaitForMessageBox(DWORD pid, const std::string& caption, MessageBoxInfo& box,
                       DWORD timeoutMs = 60000);
// Presses the box's button (IDOK, IDYES, IDNO ...) and waits for it to go.
bool AnswerMessageBox(const MessageBoxInfo& box, int buttonId);

// Saves the window's screen area as a 24-bit BMP file.
bool SaveScreenshot(HWND window, const std::string& path);

// --- Privacy cleaner and forced delete ---

// Waits for the system's open-file dialog of process pid (any process when
// 0), types path into its file-name box and presses Open; an empty path
// presses Cancel. False when no open-file dialog came or it did not close.
bool AnswerOpenFileDialog(DWORD pid, const std::string& path, DWORD timeoutMs = 60000);

}  // namespace driver

// --- Disk health -------------------------------------------------------------
namespace driver {

// The texts of the items of combo box id, in order.
std::vector<std::string> ComboItems(HWND dialog, int id);
// The index of the selected item of combo box id, or -1.
int ComboSelection(HWND dialog, int id);
// Selects item index of combo box id and tells the dialog, as a user's pick
// does (the notification is posted, so what the dialog does then does not
// block the driver).
void SelectComboItem(HWND dialog, int id, int index);

}  // namespace driver
