#include "framework/subclass.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "framework/sync.h"

namespace fw {
namespace {

// comctl32's window-subclass functions, looked up at run time: before
// version 6 they are exported by ordinal only (410, 412, 413; from 5.80 on),
// and Windows 95 and NT 4.0 without a newer Internet Explorer have none. A
// program importing them by name would not load on Windows 95 to XP.
struct ComctlSubclass {
  using SetFn = BOOL(WINAPI*)(HWND, SUBCLASSPROC, UINT_PTR, DWORD_PTR);
  using RemoveFn = BOOL(WINAPI*)(HWND, SUBCLASSPROC, UINT_PTR);
  using DefFn = LRESULT(WINAPI*)(HWND, UINT, WPARAM, LPARAM);
  SetFn set = nullptr;
  RemoveFn remove = nullptr;
  DefFn def = nullptr;
  bool Available() const { return set && remove && def; }
};

// The comctl32 version as DllGetVersion gives it (major * 100 + minor), or 0.
int ComctlVersion(HMODULE comctl) {
  struct VersionInfo {
    DWORD size, major, minor, build, platform;
  };
  using GetVersionFn = HRESULT(CALLBACK*)(VersionInfo*);
  auto getVersion = reinterpret_cast<GetVersionFn>(
      reinterpret_cast<void*>(GetProcAddress(comctl, "DllGetVersion")));
  VersionInfo info = {sizeof(VersionInfo), 0, 0, 0, 0};
  if (!getVersion || FAILED(getVersion(&info))) return 0;
  return static_cast<int>(info.major * 100 + info.minor);
}

template <class Fn>
Fn Lookup(HMODULE comctl, const char* name, WORD ordinal, bool byOrdinal) {
  FARPROC p = GetProcAddress(comctl, name);
  if (!p && byOrdinal) p = GetProcAddress(comctl, MAKEINTRESOURCEA(ordinal));
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(p));
}

ComctlSubclass FindComctlSubclass() {
  ComctlSubclass api;
  if (SubclassedWindow::ForceOwnChainForTests()) return api;
  HMODULE comctl = GetModuleHandleA("comctl32.dll");
  if (!comctl) return api;
  // Below 5.80 the same ordinals name other functions.
  const bool byOrdinal = ComctlVersion(comctl) >= 580;
  api.set = Lookup<ComctlSubclass::SetFn>(comctl, "SetWindowSubclass", 410, byOrdinal);
  api.remove = Lookup<ComctlSubclass::RemoveFn>(comctl, "RemoveWindowSubclass", 412, byOrdinal);
  api.def = Lookup<ComctlSubclass::DefFn>(comctl, "DefSubclassProc", 413, byOrdinal);
  if (!api.Available()) api = ComctlSubclass();
  return api;
}

const ComctlSubclass& Comctl() {
  static const ComctlSubclass api = FindComctlSubclass();
  return api;
}

// Without comctl32's functions: one window procedure of ours per window,
// which hands each message to the window's objects, newest first, and from
// the oldest to the window's own procedure. Objects may leave in any order.
struct Chain {
  HWND window;
  WNDPROC original;
  std::vector<SubclassedWindow*> objects;  // oldest first
};
CriticalSection g_chainLock;
std::vector<Chain> g_chains;

Chain* FindChain(HWND window) {
  for (Chain& c : g_chains)
    if (c.window == window) return &c;
  return nullptr;
}

}  // namespace

bool& SubclassedWindow::ForceOwnChainForTests() {
  static bool force = false;
  return force;
}

SubclassedWindow::~SubclassedWindow() { Unsubclass(); }

// Each object subclasses under its own id, so several objects can hook the
// same window (a control and, say, a widget that watches its parent).
bool SubclassedWindow::Subclass(HWND hwnd) {
  if (!hwnd || hwnd_) return false;
  if (Comctl().Available()) {
    if (!Comctl().set(hwnd, &SubclassedWindow::Thunk, reinterpret_cast<UINT_PTR>(this),
                      reinterpret_cast<DWORD_PTR>(this)))
      return false;
  } else {
    ScopedLock guard(g_chainLock);
    Chain* chain = FindChain(hwnd);
    if (!chain) {
      auto original = reinterpret_cast<WNDPROC>(
          SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ChainProc)));
      if (!original) return false;
      g_chains.push_back(Chain{hwnd, original, {}});
      chain = &g_chains.back();
    }
    chain->objects.push_back(this);
  }
  hwnd_ = hwnd;
  OnSubclassed();
  return true;
}

void SubclassedWindow::Unsubclass() {
  if (!hwnd_) return;
  if (Comctl().Available()) {
    Comctl().remove(hwnd_, &SubclassedWindow::Thunk, reinterpret_cast<UINT_PTR>(this));
  } else {
    ScopedLock guard(g_chainLock);
    if (Chain* chain = FindChain(hwnd_)) {
      auto& objects = chain->objects;
      objects.erase(std::remove(objects.begin(), objects.end(), this), objects.end());
      // Our procedure stays while anyone subclassed the window after it:
      // putting the original back would cut them off.
      if (objects.empty() && GetWindowLongPtrA(hwnd_, GWLP_WNDPROC) ==
                                 reinterpret_cast<LONG_PTR>(&ChainProc)) {
        SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(chain->original));
        g_chains.erase(g_chains.begin() + (chain - g_chains.data()));
      }
    }
  }
  hwnd_ = nullptr;
}

LRESULT SubclassedWindow::DefaultProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (Comctl().Available()) return Comctl().def(hwnd_, msg, wp, lp);
  // The next older object of the chain, else the window's own procedure.
  SubclassedWindow* next = nullptr;
  WNDPROC original = nullptr;
  {
    ScopedLock guard(g_chainLock);
    Chain* chain = FindChain(hwnd_);
    if (!chain) return DefWindowProcA(hwnd_, msg, wp, lp);
    auto& objects = chain->objects;
    auto self = std::find(objects.begin(), objects.end(), this);
    if (self != objects.end() && self != objects.begin()) next = *(self - 1);
    original = chain->original;
  }
  if (next) return next->Dispatch(msg, wp, lp);
  return CallWindowProcA(original, hwnd_, msg, wp, lp);
}

LRESULT SubclassedWindow::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg != WM_NCDESTROY) return WindowProc(msg, wp, lp);
  HWND hwnd = hwnd_;
  LRESULT r = WindowProc(msg, wp, lp);
  if (hwnd_ == hwnd) Unsubclass();
  return r;
}

LRESULT CALLBACK SubclassedWindow::ChainProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  SubclassedWindow* newest = nullptr;
  WNDPROC original = nullptr;
  {
    ScopedLock guard(g_chainLock);
    Chain* chain = FindChain(hwnd);
    if (!chain) return DefWindowProcA(hwnd, msg, wp, lp);
    if (!chain->objects.empty()) newest = chain->objects.back();
    original = chain->original;
  }
  if (newest) return newest->Dispatch(msg, wp, lp);
  return CallWindowProcA(original, hwnd, msg, wp, lp);
}

LRESULT CALLBACK SubclassedWindow::Thunk(HWND, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                         DWORD_PTR ref) {
  return reinterpret_cast<SubclassedWindow*>(ref)->Dispatch(msg, wp, lp);
}

}  // namespace fw
