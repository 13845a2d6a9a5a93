// A smoke test of the system's ICMP echo through the run-time loaded client:
// real echoes to the loopback, which answers every size.
#include "network/icmp_echo_client.h"

#include <winsock.h>

#include <gtest/gtest.h>

namespace {

TEST(IcmpEchoClient, EchoesToTheLoopbackComeBackWithOrWithoutDontFragment) {
  IcmpEchoClient client;
  ASSERT_TRUE(client.Loaded());
  for (bool dontFragment : {false, true}) {
    for (uint16_t payload : {0, 576, 1472}) {
      EchoReply reply;
      reply.status = 12345;
      EXPECT_TRUE(client.Echo("127.0.0.1", reply, 128, 1000, payload, 0, dontFragment))
          << payload << " " << dontFragment << " error " << GetLastError();
      EXPECT_EQ(reply.status, 0u);
      EXPECT_EQ(reply.address, 0x0100007Fu);  // 127.0.0.1 in network order
    }
  }
  // A name resolves too, where the machine knows it (a bare root file
  // system may have no hosts file and no name service).
  if (!gethostbyname("localhost")) GTEST_SKIP() << "this machine does not resolve localhost";
  EchoReply reply;
  EXPECT_TRUE(client.Echo("localhost", reply, 128, 1000, 64, 0, true));
}

}  // namespace
