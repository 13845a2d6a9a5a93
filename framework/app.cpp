#include "framework/app.h"

#include <winsock2.h>

namespace fw {
namespace {

// The top-level window that holds window (GetAncestor with GA_ROOT, which
// Windows 95 and NT 4.0 lack).
HWND TopLevelOf(HWND window) {
  while (GetWindowLongA(window, GWL_STYLE) & WS_CHILD) {
    HWND parent = GetParent(window);
    if (!parent) break;
    window = parent;
  }
  return window;
}
Application* g_current = nullptr;
}

Application::Application(const char* profileName) : profileName_(profileName) { g_current = this; }

Application::~Application() {
  if (socketsStarted_) WSACleanup();
  if (g_current == this) g_current = nullptr;
}

Application* Application::Current() { return g_current; }

int Application::Run(HINSTANCE instance) {
  instance_ = instance;
  if (!InitInstance()) return ExitInstance();
  // Not reached by the dialog-based programs: they end in InitInstance.
  while (PumpMessage()) {
  }
  return ExitInstance();
}

bool Application::PumpMessage() {
  MSG msg;
  if (!GetMessageA(&msg, nullptr, 0, 0)) return false;
  HWND root = msg.hwnd ? TopLevelOf(msg.hwnd) : nullptr;
  if (root && IsDialogMessageA(root, &msg)) return true;
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
  return true;
}

std::string Application::GetProfileString(const char* section, const char* key,
                                          const char* fallback) const {
  char buf[4096];
  GetPrivateProfileStringA(section, key, fallback, buf, sizeof buf, profileName_.c_str());
  return buf;
}

bool Application::WriteProfileString(const char* section, const char* key,
                                     const std::string& value) const {
  return WritePrivateProfileStringA(section, key, value.c_str(), profileName_.c_str()) != FALSE;
}

bool Application::InitSockets() {
  WSADATA data;
  if (WSAStartup(MAKEWORD(1, 1), &data) != 0) return false;
  socketsStarted_ = true;
  return true;
}

}  // namespace fw
