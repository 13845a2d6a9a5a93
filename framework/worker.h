// Plain worker threads for the deletions and other one-shot jobs: created
// suspended, given their priority, then resumed. Nothing has to be deleted
// afterwards; the returned handle may be kept to wait for the thread or
// dropped, which leaves the thread running.
#pragma once
#include <windows.h>

#include "framework/raii.h"

namespace fw {

using WorkerFunction = DWORD(WINAPI*)(void* argument);

// Starts fn(argument) at the given priority; an empty handle on failure.
UniqueHandle StartWorkerThread(WorkerFunction fn, void* argument,
                               int priority = THREAD_PRIORITY_TIME_CRITICAL);

}  // namespace fw
