// My IP against the site server in scripted mode on 127.0.0.1: what the
// public field shows for an echo page, an HTML page, a missing page, a
// server that is down and one that stalls, which holds one look-up at most.
#include "network/ip_addr_info_dlg.h"

#include <winsock.h>

#include <gtest/gtest.h>

#include "framework/controls.h"
#include "framework/site.h"
#include "network/ip_lookup.h"
#include "resources/resource.h"
#include "tests/support/recorder.h"
#include "upgrade/testing/scripted_site.h"

using testing_support::JsonString;
using testing_support::MessageBoxRecorder;

namespace {

class IpAddrInfoDlgTest : public ::testing::Test {
 protected:
  void SetUp() override { site_.ClearRequests(); }
  void TearDown() override { SetEnvironmentVariableA("SPRUCE_SITE", nullptr); }

  // Opens the dialog on the site base and returns the public field.
  std::string PublicAddressFrom(const std::string& base) {
    SetEnvironmentVariableA("SPRUCE_SITE", base.c_str());
    CIpAddrInfoDlg dialog;
    EXPECT_TRUE(dialog.CreateModeless(nullptr));
    return fw::GetControlText(dialog.Item(IDC_MYIP_PUBLIC));
  }

  // Answers the address page with rule (a JSON object).
  void AnswerPage(const std::string& rule) {
    ASSERT_TRUE(site_.SetScript("{\"/spruce/ip.html\": " + rule + "}"));
  }
  void AnswerPage(int status, const std::string& body) {
    AnswerPage("{\"status\": " + std::to_string(status) + ", \"body\": " + JsonString(body) + "}");
  }
  size_t Requests() const { return site_.Requests().size(); }

  MessageBoxRecorder recorder_;
  testing_support::ScriptedSite site_;
};

TEST_F(IpAddrInfoDlgTest, ShowsTheLocalAddressThePagesAddressAndTheWhoisLink) {
  ASSERT_TRUE(site_.Ok());
  AnswerPage(200, "Your address: 10.1.2.3\r\n");
  SetEnvironmentVariableA("SPRUCE_SITE", site_.Origin().c_str());
  CIpAddrInfoDlg dialog;
  ASSERT_TRUE(dialog.CreateModeless(nullptr));
  EXPECT_EQ(fw::GetControlText(dialog.Item(IDC_MYIP_PUBLIC)), "10.1.2.3");
  EXPECT_EQ(Requests(), 1u);
  const std::string local = fw::GetControlText(dialog.Item(IDC_MYIP_LOCAL));
  EXPECT_NE(inet_addr(local.c_str()), INADDR_NONE) << local;
  EXPECT_EQ(dialog.WhoisLink().Link(), CColorLabel::kLinkWeb);
  EXPECT_EQ(dialog.WhoisLink().LinkURL(), kWhoisPage);
  EXPECT_EQ(fw::GetControlText(dialog.Item(IDC_MYIP_WHOIS)), "IP Whois 정보검색하기");
  EXPECT_EQ(recorder_.Count(), 0u);
}

TEST_F(IpAddrInfoDlgTest, AnHtmlPageGivesEveryDigitAndDotOfTheFirst4KiB) {
  AnswerPage(200, "<html><head><title>v2</title></head>\r\n<body>\r\n1.2.3.4</body></html>");
  EXPECT_EQ(PublicAddressFrom(site_.Origin()), "21.2.3.4");
  AnswerPage(200, std::string(10000, '7'));
  EXPECT_EQ(PublicAddressFrom(site_.Origin()), std::string(4096, '7'));
  EXPECT_EQ(recorder_.Count(), 0u);
}

TEST_F(IpAddrInfoDlgTest, AMissingPageOrADownServerLeavesTheFieldEmptyWithoutABox) {
  AnswerPage(404, "<html>404 Not Found: 10.9.9.9</html>");
  EXPECT_EQ(PublicAddressFrom(site_.Origin()), "");
  AnswerPage(500, "10.9.9.9");
  EXPECT_EQ(PublicAddressFrom(site_.Origin()), "");
  EXPECT_EQ(Requests(), 2u);
  // Nothing listens on port 9 of the loopback.
  EXPECT_EQ(PublicAddressFrom("http://127.0.0.1:9"), "");
  EXPECT_EQ(recorder_.Count(), 0u);
}

TEST_F(IpAddrInfoDlgTest, AServerSilentAfterTheRequestDoesNotHoldTheDialogBack) {
  // As if the page could not be opened.
  AnswerPage("{\"silent\": 60}");
  DWORD start = GetTickCount();
  EXPECT_EQ(PublicAddressFrom(site_.Origin()), "");
  DWORD took = GetTickCount() - start;
  EXPECT_GE(took, CIpAddrInfoDlg::kFetchDeadlineMs - 500);
  EXPECT_LT(took, CIpAddrInfoDlg::kFetchDeadlineMs + 5000);
  EXPECT_EQ(recorder_.Count(), 0u);
}

TEST_F(IpAddrInfoDlgTest, AServerStalledInThePageDoesNotHoldTheDialogBack) {
  // The transfer failed.
  AnswerPage(R"({"body": "10.1.", "length": 100, "stall": 60, "stall_after": 5})");
  const DWORD start = GetTickCount();
  const std::string shown = PublicAddressFrom(site_.Origin());
  const DWORD took = GetTickCount() - start;
  EXPECT_LT(took, CIpAddrInfoDlg::kFetchDeadlineMs + 5000);
  EXPECT_EQ(std::string("10.1.").compare(0, shown.size(), shown), 0) << shown;
  ASSERT_EQ(recorder_.Count(), 1u);
  const auto box = recorder_.Boxes()[0];
  EXPECT_EQ(box.text, "외부 IP를 확인할 수 없습니다.");
  EXPECT_EQ(box.caption, "내컴퓨터 IP 알기");
  EXPECT_EQ(box.style, static_cast<UINT>(MB_OK));
}

TEST_F(IpAddrInfoDlgTest, AStalledServerHoldsOneLookupThatLaterOpeningsShare) {
  // The page comes 4 s after its headers; the first two look-ups give up
  // before that, the third waits long enough.
  AnswerPage(R"({"body": "10.1.2.3", "stall": 4})");
  const std::string page = site_.Origin() + "/spruce/ip.html";
  for (int i = 0; i < 2; ++i) {
    const PublicAddressFetch late = FetchPublicAddress(page, 1200);
    EXPECT_TRUE(late.failed);
    EXPECT_EQ(late.address, "");
  }
  const PublicAddressFetch shared = FetchPublicAddress(page, 8000);
  EXPECT_FALSE(shared.failed);
  EXPECT_EQ(shared.address, "10.1.2.3");
  EXPECT_EQ(Requests(), 1u) << "one look-up in flight, however often asked";

  // Once it has ended, the next opening asks the server again.
  AnswerPage(200, "10.9.8.7");
  EXPECT_EQ(FetchPublicAddress(page, 8000).address, "10.9.8.7");
  EXPECT_EQ(Requests(), 2u);

  // Another page is asked for only once the stalled look-up has ended.
  ASSERT_TRUE(site_.SetScript(R"({"/spruce/ip.html": {"body": "10.1.2.3", "stall": 3},
                                 "/spruce/other.html": {"body": "10.5.5.5"}})"));
  EXPECT_TRUE(FetchPublicAddress(page, 500).failed);
  const DWORD start = GetTickCount();
  EXPECT_EQ(FetchPublicAddress(site_.Origin() + "/spruce/other.html", 8000).address, "10.5.5.5");
  EXPECT_GE(GetTickCount() - start, 2000u);
}

}  // namespace
