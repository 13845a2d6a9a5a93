// Writes a file through to the disk on a thread of its own while the file is
// still being written, so that the flush that must come before the file is
// used has only the last part left and the disk's time overlaps the
// network's. The thread starts at the first request: a small file never
// needs one.
#pragma once
#include <windows.h>

#include <atomic>

#include "framework/raii.h"

namespace upgrade {

class BackgroundFlusher {
 public:
  // file: open for writing; not owned. It stays open until the destructor
  // (or Stop) has returned.
  explicit BackgroundFlusher(HANDLE file) : file_(file) {}
  // Stop.
  ~BackgroundFlusher() { Stop(); }
  BackgroundFlusher(const BackgroundFlusher&) = delete;
  BackgroundFlusher& operator=(const BackgroundFlusher&) = delete;

  // Asks for everything written so far to be written through; returns at
  // once. Requests that come while a flush runs make one more flush. Without
  // a thread (none could be started) nothing happens: the final flush is
  // then the only one.
  void Request();
  // Waits for a flush in progress and ends the thread. False when any flush
  // of the thread failed.
  bool Stop();

 private:
  static DWORD WINAPI ThreadMain(void* self);

  HANDLE file_;
  bool started_ = false;
  fw::UniqueHandle wanted_;  // auto-reset: a request not yet served
  fw::UniqueHandle thread_;
  std::atomic<bool> stopping_{false};
  std::atomic<bool> failed_{false};
};

}  // namespace upgrade
