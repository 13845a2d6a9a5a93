#include "forcedel/name_queries.h"

namespace {

// One name query run on a helper thread. Shared by the asking thread and the
// helper; whichever lets go last frees it (a helper that stays blocked keeps
// it, and the library, for ever).
struct NameQuery {
  LONG references;
  HANDLE handle;  // owned
  HMODULE module;
  NameQueries::ReadFunction read;
  bool found;
  fw::LowerName name;
};

void Release(NameQuery* query) {
  if (InterlockedDecrement(&query->references) != 0) return;
  CloseHandle(query->handle);
  HeapFree(GetProcessHeap(), 0, query);
}

DWORD WINAPI NameQueryThread(void* parameter) {
  auto* query = static_cast<NameQuery*>(parameter);
  const HMODULE module = query->module;
  query->found = query->read(query->handle, query->name);
  Release(query);
  // The thread's own reference keeps this code loaded until it has left it.
  if (module) FreeLibraryAndExitThread(module, 0);
  return 0;
}

}  // namespace

NameQueries::NameQueries(HMODULE module, DWORD perQueryMs, DWORD budgetMs, ReadFunction read)
    : module_(module),
      perQueryMs_(perQueryMs),
      budgetMs_(budgetMs),
      start_(GetTickCount()),
      read_(read) {}

bool NameQueries::Read(HANDLE handle, fw::LowerName& name) {
  name.length = 0;
  const DWORD spent = GetTickCount() - start_;
  if (spent >= budgetMs_) {
    CloseHandle(handle);
    return false;
  }
  const DWORD left = budgetMs_ - spent;
  const DWORD limit = left < perQueryMs_ ? left : perQueryMs_;

  HMODULE reference = nullptr;
  if (module_) {
    char modulePath[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameA(module_, modulePath, MAX_PATH);
    if (n > 0 && n < MAX_PATH) reference = LoadLibraryA(modulePath);
    if (!reference) {
      CloseHandle(handle);
      return false;
    }
  }
  auto* query = static_cast<NameQuery*>(HeapAlloc(GetProcessHeap(), 0, sizeof(NameQuery)));
  if (!query) {
    if (reference) FreeLibrary(reference);
    CloseHandle(handle);
    return false;
  }
  query->references = 2;
  query->handle = handle;
  query->module = reference;
  query->read = read_;
  query->found = false;
  query->name.length = 0;
  DWORD id = 0;
  HANDLE thread = CreateThread(nullptr, 0, &NameQueryThread, query, 0, &id);
  if (!thread) {
    if (reference) FreeLibrary(reference);
    query->references = 1;
    Release(query);
    return false;
  }
  const bool answered = WaitForSingleObject(thread, limit) == WAIT_OBJECT_0;
  CloseHandle(thread);
  if (answered && query->found) name = query->name;
  Release(query);
  return answered && name.length > 0;
}
