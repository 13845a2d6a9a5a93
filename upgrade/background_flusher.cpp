#include "upgrade/background_flusher.h"

#include "framework/worker.h"

namespace upgrade {

void BackgroundFlusher::Request() {
  if (!started_) {
    started_ = true;
    wanted_.Reset(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    if (wanted_.Valid()) thread_ = fw::StartWorkerThread(&ThreadMain, this, THREAD_PRIORITY_NORMAL);
  }
  if (thread_.Valid()) SetEvent(wanted_.Get());
}

bool BackgroundFlusher::Stop() {
  if (thread_.Valid()) {
    stopping_ = true;
    SetEvent(wanted_.Get());
    WaitForSingleObject(thread_.Get(), INFINITE);
    thread_.Reset();
  }
  return !failed_;
}

DWORD WINAPI BackgroundFlusher::ThreadMain(void* self) {
  auto* flusher = static_cast<BackgroundFlusher*>(self);
  while (WaitForSingleObject(flusher->wanted_.Get(), INFINITE) == WAIT_OBJECT_0 && !flusher->stopping_) {
    if (!FlushFileBuffers(flusher->file_)) flusher->failed_ = true;
  }
  return 0;
}

}  // namespace upgrade
