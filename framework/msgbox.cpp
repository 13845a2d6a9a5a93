#include "framework/msgbox.h"

#include "framework/object.h"
#include "framework/sync.h"

namespace fw {
namespace {
CriticalSection& HookLock() {
  static CriticalSection lock;
  return lock;
}
MessageBoxHook& Hook() {
  static MessageBoxHook hook;
  return hook;
}
}  // namespace

int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT style) {
  MessageBoxHook hook;
  {
    ScopedLock guard(HookLock());
    hook = Hook();
  }
  if (hook) return hook(owner, caption, text, style);
  return MessageBoxA(owner, text.c_str(), caption.c_str(), style);
}

void SetMessageBoxHook(MessageBoxHook hook) {
  ScopedLock guard(HookLock());
  Hook() = std::move(hook);
}

void Exception::ReportError() const {
  std::string text = ErrorText();
  AppMessageBox(text.empty() ? std::string("An unsupported operation was attempted.") : text,
                MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace fw
