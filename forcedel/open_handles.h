// Finding and closing the handles other processes hold on a file. Part of
// ForceDel.dll: no C++ run-time.
#pragma once
#include <windows.h>

#include "framework/native_objects.h"

// One handle's name may take this long to read, the names of one search
// together this long: beyond it the dialog waiting for the answer would
// seem hung.
constexpr DWORD kNameQueryLimitMs = 1000;
constexpr DWORD kNameQueryBudgetMs = 3000;

// Closes, in their owner processes, every handle that has the file open as
// file (a handle of this process) open too: among all the handles of the
// system, only file handles of processes running as the same user as this
// one (never this process, never a system process) whose object name is the
// file's. Returns how many were closed. module: this library, which the
// helper threads that read names keep loaded.
int CloseOtherHandlesTo(HANDLE file, HMODULE module);
