// Waiting for a worker on a thread that owns windows. The workers talk to
// their dialog by synchronous messages, so a dialog thread that waits must go
// on serving messages; every such wait in the program goes through here.
#pragma once
#include <windows.h>

#include <functional>

namespace fw {

// Fetches and dispatches every message waiting in the calling thread's queue
// (through the application's pump when there is one), then runs the idle
// processing until it wants no more. False when the quit message came: it is
// posted again, for the outermost loop to see.
bool PumpMessages();

// Pumps the calling thread's messages until done() holds, looking at it
// whenever a message comes, every 10 ms, and at once when wake (if given) is
// signalled: the handle that tells of the end, so the end costs no wait. It
// must be signalled only once done() holds, or the wait spins.
// Once a quit message has come, only sent messages are served, so the quit
// waits in the queue for the outermost loop.
void WaitWhilePumping(const std::function<bool()>& done, HANDLE wake = nullptr);

// Waits for a thread (or any waitable handle) to be signalled while pumping;
// a handle that cannot be waited for (closed, invalid) counts as ended.
void WaitForHandleWhilePumping(HANDLE handle);

}  // namespace fw
