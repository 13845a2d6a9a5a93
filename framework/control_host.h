// Hosting of ActiveX controls (the web-browser control of the banner) in
// dialogs. EnableControlHosting is called once at start-up; without it no
// control is hosted.
#pragma once

void EnableControlHosting();
// True once EnableControlHosting has run.
bool ControlHostingEnabled();

namespace fw {

// OLE initialised on the calling thread for the lifetime of the object, as
// in-place activation needs (drag and drop, clipboard, menus). The thread
// must already be, or become, a single-threaded apartment.
class OleSession {
 public:
  OleSession() = default;
  OleSession(const OleSession&) = delete;
  OleSession& operator=(const OleSession&) = delete;
  ~OleSession() { End(); }

  // False when control hosting is not enabled or OLE refused (for example on
  // a multi-threaded apartment thread). Calling it again is harmless.
  bool Begin();
  void End();
  bool Active() const { return active_; }

 private:
  bool active_ = false;
};

}  // namespace fw
