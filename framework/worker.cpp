#include "framework/worker.h"

namespace fw {

UniqueHandle StartWorkerThread(WorkerFunction fn, void* argument, int priority) {
  DWORD id = 0;
  UniqueHandle thread(CreateThread(nullptr, 0, fn, argument, CREATE_SUSPENDED, &id));
  if (!thread.Valid()) return UniqueHandle();
  SetThreadPriority(thread.Get(), priority);
  ResumeThread(thread.Get());
  return thread;
}

}  // namespace fw
