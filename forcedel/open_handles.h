// Finding and closing the handles other processes hold on a file.
#pragma once
#include <windows.h>

#include <string>

// The system's name of the object behind handle (on Windows a device path
// such as "\Device\HarddiskVolume1\x.txt", under Wine "\??\C:\x.txt");
// empty when it has none or cannot be had. The query can block for ever on
// some handles (synchronous pipes): ask it only of disk files.
std::wstring ObjectNameOf(HANDLE handle);

// Closes, in their owner processes, every handle that has the file named
// path open: among all the handles of the system, only file handles of
// processes running as the same user as this one (never this process, never
// a system process) whose object name is the file's. Returns how many were
// closed. module: this library, kept loaded by the helper threads.
int CloseOtherHandlesTo(const char* path, HMODULE module);
