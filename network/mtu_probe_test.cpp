#include "network/mtu_probe.h"

#include <gtest/gtest.h>

#include <vector>

#include "network/simulated_path.h"

namespace {

struct ProbeRun {
  int result;
  std::vector<int> shown;  // the sizes announced before each echo
};

ProbeRun Probe(SimulatedPath& path, std::atomic<int>& stop) {
  ProbeRun run;
  auto sender = path.NewSender();
  run.result = ProbeLargestPayload(*sender, "probe.host", stop,
                                   [&](int n) { run.shown.push_back(n); });
  return run;
}

ProbeRun Probe(SimulatedPath& path) {
  std::atomic<int> stop{0};
  return Probe(path, stop);
}

TEST(MtuProbe, WalksDownByTenThenClimbsByOneWithoutFragmenting) {
  SimulatedPath path;  // MTU 1500
  ProbeRun run = Probe(path);
  EXPECT_EQ(run.result, 1472);
  const std::vector<int> expected = {1490, 1480, 1470, 1471, 1472, 1473};
  EXPECT_EQ(run.shown, expected);
  auto log = path.Log();
  ASSERT_EQ(log.size(), expected.size());
  for (size_t i = 0; i < log.size(); ++i) {
    EXPECT_EQ(log[i].payload, expected[i]);
    EXPECT_TRUE(log[i].dontFragment);
    EXPECT_EQ(log[i].host, "probe.host");
    EXPECT_EQ(log[i].ttl, 128);
    EXPECT_EQ(log[i].timeoutMs, 1000u);
    EXPECT_EQ(log[i].typeOfService, 0);
  }
  // The first size that passes is 580, just above the floor.
  SimulatedPath narrow;
  narrow.mtu = 612;
  EXPECT_EQ(Probe(narrow).result, 584);
}

TEST(MtuProbe, AStopEndsBeforeTheNextEcho) {
  SimulatedPath path;
  std::atomic<int> stop{0};
  path.beforeEcho = [&](int number) {
    if (number == 3) stop = 1;
  };
  ProbeRun run = Probe(path, stop);
  EXPECT_EQ(run.result, 0);
  EXPECT_EQ(path.Count(), 3u);
  EXPECT_EQ(run.shown.size(), 4u);  // the fourth size is shown, then the stop is seen
}

}  // namespace
