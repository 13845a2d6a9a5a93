#include "framework/control_host.h"

#include <windows.h>
#include <ole2.h>

namespace {
bool g_enabled = false;
}

void EnableControlHosting() { g_enabled = true; }
bool ControlHostingEnabled() { return g_enabled; }

namespace fw {

bool OleSession::Begin() {
  if (active_) return true;
  if (!g_enabled) return false;
  // S_FALSE (already initialised on this thread) also needs its own
  // OleUninitialize, so any success counts.
  active_ = SUCCEEDED(OleInitialize(nullptr));
  return active_;
}

void OleSession::End() {
  if (!active_) return;
  OleUninitialize();
  active_ = false;
}

}  // namespace fw
