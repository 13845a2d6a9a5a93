// The TCP/IP values the internet optimizer writes, and where each Windows
// version keeps them. Pure code: no <windows.h>.
#pragma once
#include <string>

struct TcpSettings {
  int mtu = 0;
  int receiveWindow = 0;
  int ttl = 0;
};

// The settings for the largest echo payload that passed: MTU = payload + 28
// (20 bytes of IP header and 8 of ICMP header); MSS = MTU - 40; the receive
// window is the largest multiple of the MSS not above 32767; TTL 128.
// False (out unchanged) when no window fits: an MSS above 32767 would make
// the window 0.
bool TcpSettingsForPayload(int payload, TcpSettings& out);

// The values Windows installs with: MTU 1500; window 32120 and TTL 128 on
// "W2K", window 8192 and TTL 32 on every other tag.
TcpSettings WindowsDefaults(const std::string& osTag);

// Which keys a Windows version reads. The 2000/XP and ME tags get both the
// NT and the 9x keys written: an upgraded machine may carry either stack's
// settings, and the writes are meant to cover both.
struct TcpKeySet {
  bool tcpip = false;     // ...\Services\Tcpip\Parameters (the NT stack)
  bool mstcp = false;     // ...\Services\VxD\MSTCP (the 9x stack)
  bool netTrans = false;  // MaxMTU under the TCP/IP adapters of ...\Class\NetTrans
};
TcpKeySet TcpKeysFor(const std::string& osTag);
