// Dialog base: binds the object to its window on WM_INITDIALOG and
// dispatches messages through a static, typed message map. Unhandled messages
// return FALSE to the dialog manager; WM_NOTIFY results go to DWLP_MSGRESULT.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstddef>

namespace fw {

class Dialog;

// One row of a message map: a window message, or a command / notification of
// one control, bound to one member handler of T.
template <class T>
struct MessageEntry {
  enum Kind { kMessage, kCommand, kNotify } kind;
  UINT message;  // kMessage only
  UINT id;       // control id (kCommand, kNotify)
  UINT code;     // notification code (kCommand, kNotify)
  INT_PTR (T::*onMessage)(WPARAM, LPARAM);
  void (T::*onCommand)();
  LRESULT (T::*onNotify)(NMHDR*);
};

template <class T>
MessageEntry<T> OnMessage(UINT message, INT_PTR (T::*handler)(WPARAM, LPARAM)) {
  return {MessageEntry<T>::kMessage, message, 0, 0, handler, nullptr, nullptr};
}
template <class T>
MessageEntry<T> OnCommand(UINT id, void (T::*handler)(), UINT code = BN_CLICKED) {
  return {MessageEntry<T>::kCommand, WM_COMMAND, id, code, nullptr, handler, nullptr};
}
template <class T>
MessageEntry<T> OnNotify(UINT id, UINT code, LRESULT (T::*handler)(NMHDR*)) {
  return {MessageEntry<T>::kNotify, WM_NOTIFY, id, code, nullptr, nullptr, handler};
}

class Dialog {
 public:
  explicit Dialog(UINT templateId) : templateId_(templateId) {}
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;
  virtual ~Dialog();

  // Runs the dialog modally (DialogBoxParamA) and returns its result.
  INT_PTR DoModal(HWND parent = nullptr);
  // Creates the dialog modeless (CreateDialogParamA); tests drive it this way.
  bool CreateModeless(HWND parent = nullptr);
  // Ends a modal dialog with result; destroys a modeless one.
  void EndDialog(INT_PTR result);

  // Posts a wake-up to every modal dialog of this thread that has ended but
  // whose modal loop has not returned yet. The system wakes such a loop with
  // one posted message, which a nested pump may have taken; the waits that
  // pump (fw::WaitWhilePumping) call this when they return.
  static void WakeEndedModalLoops();

  HWND Hwnd() const { return hwnd_; }
  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
  UINT TemplateId() const { return templateId_; }
  bool IsModeless() const { return modeless_; }

 protected:
  // Dialog initialisation; the result is returned to the dialog manager.
  virtual BOOL OnInitDialog() { return TRUE; }
  // Dispatches one message through the subclass's map (see Dispatch).
  virtual bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) {
    (void)msg; (void)wp; (void)lp; (void)result;
    return false;
  }
  // Default Enter / Esc handling when the map has no entry for ids 1 / 2.
  virtual void OnOK() { EndDialog(IDOK); }
  virtual void OnCancel() { EndDialog(IDCANCEL); }

  // Looks msg up in map and calls its handler; true when one handled it.
  template <class T, std::size_t N>
  static bool Dispatch(T& self, const MessageEntry<T> (&map)[N], UINT msg, WPARAM wp,
                       LPARAM lp, INT_PTR& result);

 private:
  static INT_PTR CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  INT_PTR Route(UINT msg, WPARAM wp, LPARAM lp);

  UINT templateId_;
  HWND hwnd_ = nullptr;
  bool modeless_ = false;
};

template <class T, std::size_t N>
bool Dialog::Dispatch(T& self, const MessageEntry<T> (&map)[N], UINT msg, WPARAM wp, LPARAM lp,
                      INT_PTR& result) {
  for (const MessageEntry<T>& e : map) {
    switch (e.kind) {
      case MessageEntry<T>::kMessage:
        if (e.message == msg) {
          result = (self.*e.onMessage)(wp, lp);
          return true;
        }
        break;
      case MessageEntry<T>::kCommand:
        if (msg == WM_COMMAND && LOWORD(wp) == e.id && HIWORD(wp) == e.code) {
          (self.*e.onCommand)();
          result = TRUE;
          return true;
        }
        break;
      case MessageEntry<T>::kNotify: {
        if (msg != WM_NOTIFY) break;
        auto* hdr = reinterpret_cast<NMHDR*>(lp);
        if (hdr->idFrom == e.id && hdr->code == e.code) {
          LRESULT r = (self.*e.onNotify)(hdr);
          SetWindowLongPtrA(self.Hwnd(), DWLP_MSGRESULT, r);
          result = TRUE;
          return true;
        }
        break;
      }
    }
  }
  return false;
}

}  // namespace fw
