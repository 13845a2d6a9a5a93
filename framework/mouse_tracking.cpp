#include "framework/mouse_tracking.h"

namespace fw {
namespace {

using TrackFunction = BOOL(WINAPI*)(TRACKMOUSEEVENT*);

TrackFunction Lookup(const char* module, const char* name) {
  HMODULE loaded = GetModuleHandleA(module);
  if (!loaded) return nullptr;
  return reinterpret_cast<TrackFunction>(reinterpret_cast<void*>(GetProcAddress(loaded, name)));
}

}  // namespace

bool TrackMouse(TRACKMOUSEEVENT& request) {
  // comctl32 is loaded by every program that initialises the common controls.
  static const TrackFunction track = [] {
    TrackFunction f = Lookup("user32.dll", "TrackMouseEvent");
    return f ? f : Lookup("comctl32.dll", "_TrackMouseEvent");
  }();
  return track && track(&request) != FALSE;
}

}  // namespace fw
