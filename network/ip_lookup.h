// The two addresses My IP shows: the computer's own (private) address and
// the public one that the site's echo page sees.
#pragma once
#include <windows.h>

#include <string>

// The first address the computer's own name resolves to, in dotted form;
// empty when sockets, the name or its resolution fail.
std::string GetLocalIpAddress();

struct PublicAddressFetch {
  // The digits and dots of the page (empty when it could not be opened).
  std::string address;
  // The internet layer failed after the page was opened, or could not start
  // at all; the address holds whatever was read before.
  bool failed = false;
};

// Fetches the echo page at url, always from the server (no cached copy, none
// written), and keeps the digits and dots of its first 4 KiB. A page that
// cannot be opened, or answers with a status other than 200 (a missing page,
// a proxy's or a portal's page), gives an empty address without failure.
// Returns within deadlineMs even when the server stalls: the transfer runs on
// a thread of its own, which is left to end by itself. A stall before the
// answer counts as not opened, a stall in the page as a failure.
// At most one transfer runs at a time: a fetch of the url whose transfer is
// still running (a stalled server) waits on that transfer and takes its
// page, rather than starting another; a fetch of another url first waits
// for the running one to end, within the same deadline.
PublicAddressFetch FetchPublicAddress(const std::string& url, DWORD deadlineMs);
