// Base of the owner-drawn controls: attaches an object to an existing window
// (usually a control of a dialog template) through comctl32's SetWindowSubclass
// where the system has it, else through a chain of window procedures of the
// framework's own with the same rules (see subclass.cpp).
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

  // Tests set this before the first subclassing of their process to use the
  // framework's own chain, as on Windows 95 and NT 4.0.
  static bool& ForceOwnChainForTests();

 protected:
  // Every message of the window; call DefaultProc for the original handling.
  virtual LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) { return DefaultProc(msg, wp, lp); }
  // Called once the window is attached (for setup that needs the handle).
  virtual void OnSubclassed() {}
  LRESULT DefaultProc(UINT msg, WPARAM wp, LPARAM lp);

 private:
  // WindowProc, and the end of the subclassing at WM_NCDESTROY.
  LRESULT Dispatch(UINT msg, WPARAM wp, LPARAM lp);
  static LRESULT CALLBACK Thunk(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
  static LRESULT CALLBACK ChainProc(HWND, UINT, WPARAM, LPARAM);
  HWND hwnd_ = nullptr;
};

// Dialogs send notifications that owner-drawn controls handle themselves
// (WM_DRAWITEM, WM_CTLCOLOR...) on to the control as kReflectBase + message.
constexpr UINT kReflectBase = WM_USER + 0x1C00;

}  // namespace fw
