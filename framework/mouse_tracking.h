// Mouse hover and leave tracking where the system has it. Windows 95 has no
// TrackMouseEvent (only comctl32 from Internet Explorer 3 on has its
// _TrackMouseEvent), and a program importing it would not load there, so the
// function is looked up at run time.
#pragma once
#include <windows.h>

namespace fw {

// TrackMouseEvent(request) of user32, else _TrackMouseEvent of comctl32;
// false when neither exists or the call fails (no hover or leave messages
// will come).
bool TrackMouse(TRACKMOUSEEVENT& request);

}  // namespace fw
