#include "network/tcp_settings.h"

#include <gtest/gtest.h>

namespace {

TEST(TcpSettings, DerivesMtuWindowAndTtlFromThePayload) {
  TcpSettings s;
  ASSERT_TRUE(TcpSettingsForPayload(1472, s));
  EXPECT_EQ(s.mtu, 1500);
  EXPECT_EQ(s.receiveWindow, 32120);  // 22 x 1460
  EXPECT_EQ(s.ttl, 128);
  ASSERT_TRUE(TcpSettingsForPayload(577, s));
  EXPECT_EQ(s.mtu, 605);
  EXPECT_EQ(s.receiveWindow, 565 * 57);
}

TEST(TcpSettings, NoWindowFitsAnMssAbove32767) {
  TcpSettings s;
  ASSERT_TRUE(TcpSettingsForPayload(32779, s));  // MSS 32767: one segment
  EXPECT_EQ(s.receiveWindow, 32767);
  s = TcpSettings();
  EXPECT_FALSE(TcpSettingsForPayload(32780, s));
  EXPECT_FALSE(TcpSettingsForPayload(65500, s));  // the probe's ceiling
  EXPECT_EQ(s.mtu, 0);
  EXPECT_EQ(s.receiveWindow, 0);
}

}  // namespace
