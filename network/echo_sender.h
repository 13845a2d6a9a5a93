// The ICMP echo operation the internet optimizer probes with. The real one
// (IcmpEchoClient) sends echoes through the system's ICMP functions; tests
// give a simulated path in its place. Pure code: no <windows.h>.
#pragma once
#include <cstdint>
#include <string>

// What a successful echo returns: the replying address (network byte order,
// as the system gives it), the round-trip time and the reply's status (0 when
// the echo came back; an error status when a router or the local stack
// answered instead: unreachable, time-to-live expired, too big to pass).
struct EchoReply {
  uint32_t address = 0;
  uint32_t roundTripMs = 0;
  uint32_t status = 0;
};

class EchoSender {
 public:
  virtual ~EchoSender() = default;

  // Sends one echo of payload bytes to host (a dotted address or a name)
  // with the given time-to-live and type of service, fragmenting forbidden
  // when dontFragment is set, and waits at most timeoutMs for the answer.
  // True when exactly one reply came back with the data sent; reply then
  // holds it, whatever its status.
  virtual bool Echo(const std::string& host, EchoReply& reply, uint8_t ttl, uint32_t timeoutMs,
                    uint16_t payload, uint8_t typeOfService, bool dontFragment) = 0;
};
