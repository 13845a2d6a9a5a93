// The one message-box function every dialog and worker uses. Tests install a
// recorder that logs caption, text and style and answers instead of the user.
#pragma once
#include <windows.h>
#include <functional>
#include <string>

namespace fw {

// The caption of framework message boxes that are not titled by a tool.
constexpr const char* kAppTitle = "Spruce";

// Shows a message box owned by owner (may be null) and returns the answer
// (IDOK, IDYES, IDNO, ...). Callable from any thread.
int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT style);

// Framework-style message box titled with the application's name.
inline int AppMessageBox(const std::string& text, UINT style = MB_OK) {
  return ShowMessageBox(nullptr, text, kAppTitle, style);
}

// Replaces every message box by recorder(owner, caption, text, style), whose
// result is the answer. An empty function restores the real message boxes.
using MessageBoxHook =
    std::function<int(HWND owner, const std::string& caption, const std::string& text, UINT style)>;
void SetMessageBoxHook(MessageBoxHook hook);

}  // namespace fw
