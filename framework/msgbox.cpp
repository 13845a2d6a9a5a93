#include "framework/msgbox.h"

#include <mutex>

#include "framework/object.h"

namespace fw {
namespace {
std::mutex& HookLock() {
  static std::mutex lock;
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
    std::lock_guard<std::mutex> guard(HookLock());
    hook = Hook();
  }
  if (hook) return hook(owner, caption, text, style);
  return MessageBoxA(owner, text.c_str(), caption.c_str(), style);
}

void SetMessageBoxHook(MessageBoxHook hook) {
  std::lock_guard<std::mutex> guard(HookLock());
  Hook() = std::move(hook);
}

void Exception::ReportError() const {
  std::string text = ErrorText();
  AppMessageBox(text.empty() ? std::string("An unsupported operation was attempted.") : text,
                MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace fw
