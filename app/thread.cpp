#include "app/thread.h"

#include <algorithm>

#include "framework/msgbox.h"

namespace {

// The one lock of every CThread's fields, alive for the whole process.
struct ProcessLock {
  CRITICAL_SECTION section;
  ProcessLock() { InitializeCriticalSection(&section); }
  ~ProcessLock() { DeleteCriticalSection(&section); }
};
ProcessLock g_lock;

class Guard {
 public:
  Guard() { EnterCriticalSection(&g_lock.section); }
  ~Guard() { if (held_) LeaveCriticalSection(&g_lock.section); }
  void Release() { if (held_) { LeaveCriticalSection(&g_lock.section); held_ = false; } }
  Guard(const Guard&) = delete;
  Guard& operator=(const Guard&) = delete;
 private:
  bool held_ = true;
};

}  // namespace

std::string FormatSystemMessage(DWORD error) {
  char* buffer = nullptr;
  DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                               FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, error, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                           reinterpret_cast<char*>(&buffer), 0, nullptr);
  std::string text = (n && buffer) ? std::string(buffer, n) : std::string();
  if (buffer) LocalFree(buffer);
  return text;
}

void CThreadException::ReportError() const { fw::AppMessageBox(text_, MB_OK | MB_ICONEXCLAMATION); }

CThread::CThread() = default;

CThread::~CThread() {
  if (IsRunning()) {
    try {
      Kill(0, true);
    } catch (...) {
      // A destructor must not throw; the thread is gone or beyond reach.
    }
  }
  Guard lock;
  if (queueEnabled_ && event_) {
    CloseHandle(event_);
    event_ = nullptr;
  }
  ResetLocked();
}

void CThread::ResetLocked() {
  thread_ = nullptr;
  threadId_ = 0;
  activity_ = Down;
  queue_.clear();
}

void CThread::Start() {
  Guard lock;
  if (thread_ && IsRunning()) {
    lock.Release();
    throw CThreadException(this, "Thread is already started!", 2);
  }
  ResetLocked();
  if (queueEnabled_ && !event_) {
    event_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!event_) {
      DWORD error = GetLastError();
      lock.Release();
      throw CThreadException(this, FormatSystemMessage(error), 4);
    }
  }
  thread_ = CreateThread(security_, stackSize_, &CThread::Entry, this, 0, &threadId_);
  if (!thread_) {
    DWORD error = GetLastError();
    ResetLocked();
    lock.Release();
    throw CThreadException(this, FormatSystemMessage(error), 1);
  }
  std::string error;
  if (!PostCommand(Initialized, &error)) {
    TerminateThread(thread_, static_cast<DWORD>(-1));
    CloseHandle(thread_);
    ResetLocked();
    lock.Release();
    throw CThreadException(this, error, 5);
  }
  activity_ = Up;
}

DWORD WINAPI CThread::Entry(void* param) {
  auto* self = static_cast<CThread*>(param);
  DWORD code = self->ThreadHandler();
  Guard lock;
  if (self->thread_) CloseHandle(self->thread_);
  self->ResetLocked();
  self->exitCode_ = code;
  return code;
}

bool CThread::IsRunning() {
  Guard lock;
  if (!thread_) return false;
  DWORD code = 0;
  return GetExitCodeThread(thread_, &code) && code == STILL_ACTIVE;
}

bool CThread::Stop(DWORD& exitCode, DWORD limit) {
  Guard lock;
  if (thread_ && IsRunning()) {
    std::string error;
    if (!PostCommand(Exit, &error)) {
      exitCode = exitCode_;
      lock.Release();
      throw CThreadException(this, error, 5);
    }
    lock.Release();
    DWORD waited = 0;
    while (IsRunning() && (limit == INFINITE || waited < limit)) {
      Sleep(100);
      waited += 100;
    }
    Guard again;
    exitCode = exitCode_;
    return !(thread_ && IsRunning());
  }
  if (thread_) {
    DWORD code = 0;
    if (GetExitCodeThread(thread_, &code)) exitCode_ = code;
    CloseHandle(thread_);
  }
  exitCode = exitCode_;
  ResetLocked();
  return true;
}

void CThread::Kill(DWORD exitCode, bool silent) {
  Guard lock;
  if (thread_) {
    BOOL ok = TerminateThread(thread_, exitCode);
    DWORD error = GetLastError();
    // Wait for the end so the exit code read back is the final one.
    if (ok) WaitForSingleObject(thread_, 5000);
    DWORD code = exitCode;
    if (GetExitCodeThread(thread_, &code)) exitCode_ = code;
    if (!ok && !silent) {
      lock.Release();
      throw CThreadException(this, FormatSystemMessage(error), 3);
    }
    if (silent) exitCode_ = exitCode;
    CloseHandle(thread_);
    ResetLocked();
    OnKilled();
  } else {
    exitCode_ = exitCode;
    ResetLocked();
  }
}

bool CThread::PostCommand(DWORD command, std::string* errorText) {
  Guard lock;
  if (!queueEnabled_ || !event_ || command == None) return true;
  if (!queue_.empty() && queue_.back() == command) return true;
  try {
    queue_.push_back(command);
  } catch (const std::bad_alloc&) {
    return false;
  }
  if (!SetEvent(event_)) {
    if (errorText) *errorText = FormatSystemMessage(GetLastError());
    return false;
  }
  return true;
}

bool CThread::PostCommandFirst(DWORD command) {
  Guard lock;
  if (!thread_ || !queueEnabled_ || command == None) return false;
  queue_.insert(queue_.begin(), command);
  return true;
}

bool CThread::ReceiveCommand(DWORD& command) {
  Guard lock;
  command = None;
  if (!queueEnabled_ || !event_ || queue_.empty()) return false;
  command = queue_.front();
  queue_.erase(queue_.begin());
  return true;
}

DWORD CThread::WaitForCommand(DWORD waitMs) {
  HANDLE event;
  {
    Guard lock;
    if (!queueEnabled_ || !event_) return None;
    event = event_;
  }
  for (;;) {
    DWORD command;
    if (ReceiveCommand(command)) return command;
    if (WaitForSingleObject(event, waitMs) == WAIT_TIMEOUT) return WaitTimeout;
  }
}

ThreadActivity CThread::Activity() {
  Guard lock;
  return activity_;
}

void CThread::SetActivity(ThreadActivity activity) {
  Guard lock;
  activity_ = activity;
}

DWORD CThread::ExitCode() {
  Guard lock;
  return exitCode_;
}

DWORD COptimizeThread::ThreadHandler() {
  for (;;) {
    switch (WaitForCommand(INFINITE)) {
      case Initialized:
        PostCommandFirst(Run);
        break;
      case Run:
        if (Activity() != Paused) {
          SetActivity(Busy);
          DoWork();
        }
        break;
      case Pause:
        SetActivity(Paused);
        break;
      case Exit:
        return 0;
      default:
        break;
    }
  }
}
