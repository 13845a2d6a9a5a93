#include "network/mtu_probe.h"

bool EchoPasses(EchoSender& sender, const std::string& host, int payload, bool dontFragment) {
  EchoReply reply;
  return sender.Echo(host, reply, kEchoTtl, kEchoTimeoutMs, static_cast<uint16_t>(payload), 0,
                     dontFragment) &&
         reply.status == 0;
}

int ProbeLargestPayload(EchoSender& sender, const std::string& host, const std::atomic<int>& stop,
                        const std::function<void(int payload)>& onProbing) {
  int n = kProbeStart;
  bool found = false;
  for (;;) {
    n = found ? n + 1 : n - kProbeStep;
    onProbing(n);
    if (stop) return 0;
    if (EchoPasses(sender, host, n, true)) {
      found = true;
      if (n >= kProbeCeiling) return n;
    } else if (found) {
      return n - 1;
    }
    if (n <= kProbeFloor) return 0;
  }
}
