// Object names of other processes' handles, asked on helper threads within
// one time budget for a whole search. Part of ForceDel.dll: no C++ run-time.
#pragma once
#include <windows.h>

#include "framework/native_objects.h"

class NameQueries {
 public:
  // How a name is read: fw::ReadLowerObjectName, which can block for ever on
  // some handles of Windows (never under Wine, where the tests put a query
  // that blocks in its place).
  using ReadFunction = bool (*)(HANDLE handle, fw::LowerName& name);

  // module: the library this code lives in, which each helper keeps loaded
  // until it has left it (null when the code is the program's own). One
  // query may take perQueryMs, all of them together budgetMs, counted from
  // construction.
  NameQueries(HMODULE module, DWORD perQueryMs, DWORD budgetMs,
              ReadFunction read = &fw::ReadLowerObjectName);

  // The name of handle (a duplicate this call takes over and closes), read on
  // a helper thread. False when it cannot be read, or does not come within
  // the time left: that helper is abandoned, still blocked, and once the
  // budget is spent no more helpers are started.
  bool Read(HANDLE handle, fw::LowerName& name);

 private:
  HMODULE module_;
  DWORD perQueryMs_;
  DWORD budgetMs_;
  DWORD start_;
  ReadFunction read_;
};
