// My IP against small HTTP servers of the test's own on 127.0.0.1: what the
// public field shows for an echo page, an HTML page, a missing page, a
// server that is down and one that stalls.
#include "network/ip_addr_info_dlg.h"

#include <gtest/gtest.h>

#include "app/site.h"
#include "framework/controls.h"
#include "network/test_http_server.h"
#include "resources/resource.h"
#include "tests/support/recorder.h"

using testing_support::MessageBoxRecorder;

namespace {

class IpAddrInfoDlgTest : public ::testing::Test {
 protected:
  void TearDown() override { SetEnvironmentVariableA("SPRUCE_SITE", nullptr); }

  // Opens the dialog on the site base and returns the public field.
  std::string PublicAddressFrom(const std::string& base) {
    SetEnvironmentVariableA("SPRUCE_SITE", base.c_str());
    CIpAddrInfoDlg dialog;
    EXPECT_TRUE(dialog.CreateModeless(nullptr));
    return fw::GetControlText(dialog.Item(IDC_MYIP_PUBLIC));
  }

  MessageBoxRecorder recorder_;
  TestHttpServer server_;
};

TEST_F(IpAddrInfoDlgTest, ShowsTheLocalAddressThePagesAddressAndTheWhoisLink) {
  ASSERT_NE(server_.Port(), 0);
  server_.Answer(200, "Your address: 10.1.2.3\r\n");
  SetEnvironmentVariableA("SPRUCE_SITE", server_.Base().c_str());
  CIpAddrInfoDlg dialog;
  ASSERT_TRUE(dialog.CreateModeless(nullptr));
  EXPECT_EQ(fw::GetControlText(dialog.Item(IDC_MYIP_PUBLIC)), "10.1.2.3");
  EXPECT_EQ(server_.Requests(), 1);
  const std::string local = fw::GetControlText(dialog.Item(IDC_MYIP_LOCAL));
  EXPECT_NE(inet_addr(local.c_str()), INADDR_NONE) << local;
  EXPECT_EQ(dialog.WhoisLink().Link(), CColorLabel::kLinkWeb);
  EXPECT_EQ(dialog.WhoisLink().LinkURL(), kWhoisPage);
  EXPECT_EQ(fw::GetControlText(dialog.Item(IDC_MYIP_WHOIS)), "IP Whois 정보검색하기");
  EXPECT_EQ(recorder_.Count(), 0u);
}

TEST_F(IpAddrInfoDlgTest, AnHtmlPageGivesEveryDigitAndDotOfTheFirst4KiB) {
  server_.Answer(200, "<html><head><title>v2</title></head>\r\n<body>\r\n1.2.3.4</body></html>");
  EXPECT_EQ(PublicAddressFrom(server_.Base()), "21.2.3.4");
  server_.Answer(200, std::string(10000, '7'));
  EXPECT_EQ(PublicAddressFrom(server_.Base()), std::string(4096, '7'));
  EXPECT_EQ(recorder_.Count(), 0u);
}

TEST_F(IpAddrInfoDlgTest, AMissingPageOrADownServerLeavesTheFieldEmptyWithoutABox) {
  server_.Answer(404, "<html>404 Not Found: 10.9.9.9</html>");
  EXPECT_EQ(PublicAddressFrom(server_.Base()), "");
  server_.Answer(500, "10.9.9.9");
  EXPECT_EQ(PublicAddressFrom(server_.Base()), "");
  EXPECT_EQ(server_.Requests(), 2);
  EXPECT_EQ(PublicAddressFrom("http://127.0.0.1:" + std::to_string(TestHttpServer::UnusedPort())),
            "");
  EXPECT_EQ(recorder_.Count(), 0u);
}

TEST_F(IpAddrInfoDlgTest, AStalledServerDoesNotHoldTheDialogBack) {
  // Silent after the request: as if the page could not be opened.
  server_.Stall();
  DWORD start = GetTickCount();
  EXPECT_EQ(PublicAddressFrom(server_.Base()), "");
  DWORD took = GetTickCount() - start;
  EXPECT_GE(took, CIpAddrInfoDlg::kFetchDeadlineMs - 500);
  EXPECT_LT(took, CIpAddrInfoDlg::kFetchDeadlineMs + 5000);
  EXPECT_EQ(recorder_.Count(), 0u);

  // Silent in the middle of the page: the transfer failed.
  TestHttpServer midway;
  midway.Stall("HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\n10.1.");
  start = GetTickCount();
  const std::string shown = PublicAddressFrom(midway.Base());
  took = GetTickCount() - start;
  EXPECT_LT(took, CIpAddrInfoDlg::kFetchDeadlineMs + 5000);
  EXPECT_EQ(std::string("10.1.").compare(0, shown.size(), shown), 0) << shown;
  ASSERT_EQ(recorder_.Count(), 1u);
  const auto box = recorder_.Boxes()[0];
  EXPECT_EQ(box.text, "외부 IP를 확인할 수 없습니다.");
  EXPECT_EQ(box.caption, "내컴퓨터 IP 알기");
  EXPECT_EQ(box.style, static_cast<UINT>(MB_OK));
}

}  // namespace
