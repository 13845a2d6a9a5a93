// The probe of the internet optimizer: finds the largest ICMP echo payload
// that reaches a host in one piece. Pure code: no <windows.h>.
#pragma once
#include <atomic>
#include <functional>
#include <string>

#include "network/echo_sender.h"

// Every echo of the optimizer: time-to-live 128, a second to answer, type of
// service 0.
constexpr int kEchoTtl = 128;
constexpr int kEchoTimeoutMs = 1000;
// The size of the single echo that tells whether the host answers at all.
constexpr int kTestEchoPayload = 576;

// The probe walks down from 1490 bytes in steps of 10 and, once a size
// passes, climbs by 1; sizes of kProbeFloor and below never count.
constexpr int kProbeStart = 1500;
constexpr int kProbeStep = 10;
constexpr int kProbeFloor = 576;
// The largest payload the system's echo function sends; the climb ends there
// on a path that passes everything (a loopback, a tunnel), instead of
// wrapping the 16-bit payload size and never ending.
constexpr int kProbeCeiling = 65500;

// True when one echo of payload bytes reaches host and comes back with
// status 0: a reply that reports an error (unreachable, time-to-live
// expired, too big) did not pass.
bool EchoPasses(EchoSender& sender, const std::string& host, int payload, bool dontFragment);

// Runs the probe. Every probe echo forbids fragmenting, so a size passes
// only when it fits the path as one datagram. onProbing(n) is called before
// each echo, then stop is read: once it is non-zero the probe ends with 0.
// Returns the last size that passed before a larger one failed, the ceiling
// when even that passed, or 0 when no size above the floor passed.
int ProbeLargestPayload(EchoSender& sender, const std::string& host, const std::atomic<int>& stop,
                        const std::function<void(int payload)>& onProbing);
