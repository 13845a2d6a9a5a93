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
}

TEST(MtuProbe, RepliesWithAnErrorStatusDoNotPass) {
  SimulatedPath path;
  path.errorStatus = SimulatedPath::kUnreachable;
  EXPECT_EQ(Probe(path).result, 0);
  EXPECT_EQ(path.Count(), 93u);
}

TEST(MtuProbe, NothingAboveTheFloorGivesZeroAfterNinetyThreeEchoes) {
  for (int mtu : {604, 590}) {  // 576 and 570 pass / nothing passes
    SimulatedPath path;
    path.mtu = mtu;
    ProbeRun run = Probe(path);
    EXPECT_EQ(run.result, 0) << mtu;
    ASSERT_EQ(run.shown.size(), 93u) << mtu;
    EXPECT_EQ(run.shown.front(), 1490);
    EXPECT_EQ(run.shown[91], 580);
    EXPECT_EQ(run.shown.back(), 570);
  }
  // The first size that passes is 580: the climb finds the exact limit.
  SimulatedPath path;
  path.mtu = 612;
  EXPECT_EQ(Probe(path).result, 584);
}

TEST(MtuProbe, APathThatPassesEverythingEndsAtTheCeiling) {
  SimulatedPath path;
  path.mtu = 1 << 20;
  ProbeRun run = Probe(path);
  EXPECT_EQ(run.result, kProbeCeiling);
  EXPECT_EQ(run.shown.back(), 65500);
  EXPECT_EQ(path.Count(), 1u + (65500 - 1490));
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
