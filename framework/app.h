// The application object: one per process, created as a global. Run calls
// InitInstance; when that reports failure (the dialog-based programs always
// do, once their main dialog has closed) it runs ExitInstance, whose result
// is the process exit code.
#pragma once
#include <windows.h>

#include <string>

namespace fw {

class Application {
 public:
  // profileName: the private profile file, resolved in the Windows directory.
  explicit Application(const char* profileName);
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;
  virtual ~Application();

  static Application* Current();

  int Run(HINSTANCE instance);
  virtual bool InitInstance() { return false; }
  virtual int ExitInstance() { return exitCode_; }

  // Fetches and dispatches one message; false when it was WM_QUIT.
  bool PumpMessage();
  // Idle processing; true while more idle work is wanted.
  virtual bool OnIdle(LONG count) { (void)count; return false; }

  HINSTANCE Instance() const { return instance_; }
  HWND MainWindow() const { return mainWindow_; }
  void SetMainWindow(HWND hwnd) { mainWindow_ = hwnd; }

  // Private-profile accessors over the application's profile file.
  std::string GetProfileString(const char* section, const char* key, const char* fallback) const;
  bool WriteProfileString(const char* section, const char* key, const std::string& value) const;

 protected:
  // Framework instance initialisation (nothing to do beyond bookkeeping).
  bool InitApplication() { return true; }
  // Windows Sockets 1.1, as the tools use them.
  bool InitSockets();
  int exitCode_ = 0;

 private:
  std::string profileName_;
  HINSTANCE instance_ = nullptr;
  HWND mainWindow_ = nullptr;
  bool socketsStarted_ = false;
};

}  // namespace fw
