// The worker-thread framework of the two long scans: CThread owns one thread
// and a command queue; COptimizeThread runs its job (DoWork) once, right after
// it starts, then idles until it is told to exit.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "framework/object.h"

enum ThreadActivity { Up = 0, Down = 1, Busy = 2, Paused = 3 };

enum ThreadCommand : DWORD {
  None = 0,
  WaitTimeout = 1,
  Initialized = 2,
  Run = 3,
  Pause = 4,
  // 5 and 6 are reserved: the thread body ignores them.
  Exit = 7,
};

class CThread;

// Raised by Start, Stop and Kill. Codes: 1 thread creation refused, 2 already
// started, 3 forced termination failed, 4 command event not created,
// 5 posting a command failed.
class CThreadException : public fw::Exception {
 public:
  CThreadException(CThread* thread, std::string text, int code)
      : thread_(thread), text_(std::move(text)), code_(code) {}
  const char* ClassName() const override { return "CThreadException"; }
  std::string ErrorText() const override { return text_; }
  // Shows the text in a framework message box.
  void ReportError() const override;
  CThread* Thread() const { return thread_; }
  int Code() const { return code_; }

 private:
  CThread* thread_;
  std::string text_;
  int code_;
};

// The system's text for an error code (neutral language); empty when none.
std::string FormatSystemMessage(DWORD error);

class CThread : public fw::Object {
 public:
  CThread();
  ~CThread() override;
  const char* ClassName() const override { return "CThread"; }

  // Creates the thread and posts Initialized. Throws CThreadException.
  void Start();
  // True while a thread exists and has not ended.
  bool IsRunning();
  // Posts Exit and waits (limit in milliseconds; INFINITE: no limit) for the
  // thread to end. False when it is still running at the limit. Throws.
  bool Stop(DWORD& exitCode, DWORD limit = INFINITE);
  // Terminates the thread; throws code 3 on failure unless silent.
  void Kill(DWORD exitCode = 0, bool silent = false);

  // Appends a command (consecutive duplicates collapse) and signals.
  bool PostCommand(DWORD command, std::string* errorText = nullptr);
  // Puts a command at the head of the queue without signalling.
  bool PostCommandFirst(DWORD command);
  bool ReceiveCommand(DWORD& command);
  // The next command, waiting up to waitMs; WaitTimeout when none came,
  // None when the object has no queue.
  DWORD WaitForCommand(DWORD waitMs = INFINITE);

  ThreadActivity Activity();
  void SetActivity(ThreadActivity activity);
  DWORD ExitCode();

 protected:
  // The thread's body; its result is the thread's exit code.
  virtual DWORD ThreadHandler() = 0;
  virtual void OnKilled() {}

  bool queueEnabled_ = false;

 private:
  static DWORD WINAPI Entry(void* self);
  void ResetLocked();

  HANDLE thread_ = nullptr;
  DWORD threadId_ = 0;
  SECURITY_ATTRIBUTES* security_ = nullptr;
  DWORD stackSize_ = 0;
  HANDLE event_ = nullptr;
  DWORD exitCode_ = static_cast<DWORD>(-2);
  ThreadActivity activity_ = Down;
  std::vector<DWORD> queue_;
};

class COptimizeThread : public CThread {
 public:
  COptimizeThread() { queueEnabled_ = true; }
  const char* ClassName() const override { return "COptimizeThread"; }

  // Asks the running job to stop (sets the job's own stop flag).
  virtual void RequestStop() {}
  // The job, run once on the thread right after Start.
  virtual void DoWork() {}

  // The dialog that started the thread; set before Start.
  void* owner = nullptr;

 protected:
  DWORD ThreadHandler() override;
};
