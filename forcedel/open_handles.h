// Finding and closing the handles other processes hold on a file.
#pragma once
#include <windows.h>

// Closes, in their owner processes, every handle that has the file named
// path open: among all the handles of the system, only file handles of
// processes running as the same user as this one (never this process, never
// a system process) whose object name is the file's. Returns how many were
// closed. module: this library, which the helper threads keep loaded.
int CloseOtherHandlesTo(const char* path, HMODULE module);
