// Base of the owner-drawn controls: attaches an object to an existing window
// (usually a control of a dialog template) through SetWindowSubclass.
#pragma once
#include <windows.h>

namespace fw {

class SubclassedWindow {
 public:
  SubclassedWindow() = default;
  SubclassedWindow(const SubclassedWindow&) = delete;
  SubclassedWindow& operator=(const SubclassedWindow&) = delete;
  virtual ~SubclassedWindow();

  // Routes hwnd's messages to WindowProc until Unsubclass or WM_NCDESTROY.
  bool Subclass(HWND hwnd);
  // Subclasses the dialog's control with the given id.
  bool SubclassDlgItem(int id, HWND dialog) { return Subclass(GetDlgItem(dialog, id)); }
  void Unsubclass();
  HWND Hwnd() const { return hwnd_; }

 protected:
  // Every message of the window; call DefaultProc for the original handling.
  virtual LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) { return DefaultProc(msg, wp, lp); }
  // Called once the window is attached (for setup that needs the handle).
  virtual void OnSubclassed() {}
  LRESULT DefaultProc(UINT msg, WPARAM wp, LPARAM lp);

 private:
  static LRESULT CALLBACK Thunk(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
  HWND hwnd_ = nullptr;
};

// Dialogs send notifications that owner-drawn controls handle themselves
// (WM_DRAWITEM, WM_CTLCOLOR...) on to the control as kReflectBase + message.
constexpr UINT kReflectBase = WM_USER + 0x1C00;

}  // namespace fw
