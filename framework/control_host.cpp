#include "framework/control_host.h"

namespace {
bool g_enabled = false;
}

void EnableControlHosting() { g_enabled = true; }
bool ControlHostingEnabled() { return g_enabled; }
