#include "network/tcp_settings.h"

namespace {
constexpr int kIpAndIcmpHeaders = 28;
constexpr int kIpAndTcpHeaders = 40;
constexpr int kLargestWindow = 32767;
constexpr int kOptimizedTtl = 128;
}  // namespace

bool TcpSettingsForPayload(int payload, TcpSettings& out) {
  const int mtu = payload + kIpAndIcmpHeaders;
  const int mss = mtu - kIpAndTcpHeaders;
  if (mss <= 0 || mss > kLargestWindow) return false;
  out.mtu = mtu;
  out.receiveWindow = mss * (kLargestWindow / mss);
  out.ttl = kOptimizedTtl;
  return true;
}

TcpSettings WindowsDefaults(const std::string& osTag) {
  TcpSettings s;
  s.mtu = 1500;
  const bool w2k = osTag == "W2K";
  s.receiveWindow = w2k ? 32120 : 8192;
  s.ttl = w2k ? 128 : 32;
  return s;
}

TcpKeySet TcpKeysFor(const std::string& osTag) {
  TcpKeySet keys;
  keys.tcpip = osTag == "WNT4" || osTag == "WME" || osTag == "W2K";
  keys.mstcp = osTag == "W95" || osTag == "W98" || osTag == "WME" || osTag == "W2K";
  keys.netTrans = keys.mstcp;
  return keys;
}
