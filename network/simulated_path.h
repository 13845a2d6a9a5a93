// Test support: a network path for the internet optimizer's echoes. It
// answers like a host behind a link of a given MTU: a datagram (payload + 28
// bytes) that fits passes, a larger one passes only when it may be
// fragmented, else the reply carries the "too big" status. Every echo is
// logged. Thread-safe: the dialog echoes from two threads.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "network/echo_sender.h"

class SimulatedPath {
 public:
  struct Sent {
    std::string host;
    int payload;
    bool dontFragment;
    int ttl;
    uint32_t timeoutMs;
    int typeOfService;
  };

  static constexpr uint32_t kTooBig = 11009;      // the system's "packet too big" status
  static constexpr uint32_t kUnreachable = 11003;  // "destination host unreachable"

  // The largest datagram that passes in one piece.
  int mtu = 1500;
  // 0: the host answers; otherwise every echo comes back with this status.
  uint32_t errorStatus = 0;
  // False: no echo is answered at all (the echo fails).
  bool answers = true;
  // Called with the number (from 1) of each echo before it is answered, on
  // the thread that sends it.
  std::function<void(int number)> beforeEcho;

  // A sender over this path, as the dialog's echo seam returns it.
  std::unique_ptr<EchoSender> NewSender();

  bool Echo(const std::string& host, EchoReply& reply, uint8_t ttl, uint32_t timeoutMs,
            uint16_t payload, uint8_t typeOfService, bool dontFragment);
  std::vector<Sent> Log() const;
  size_t Count() const;

 private:
  mutable std::mutex lock_;
  std::vector<Sent> log_;
};
