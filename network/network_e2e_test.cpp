// The two network tools opened from the main window, with the site pointed
// at the site server, whose address page echoes the caller's address; the
// optimizer probes the loopback with real ICMP echoes.
#include <winsock.h>

#include <gtest/gtest.h>

#include "network/tuning_values.h"
#include "resources/resource.h"
#include "tests/e2e/e2e_support.h"
#include "upgrade/testing/scripted_site.h"

using namespace testing_support;

namespace {

const char kInternet[] = "인터넷 최적화";
const char kMyIp[] = "내컴퓨터 IP 알기";

bool WaitForStatusContaining(HWND dialog, const std::string& part, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < timeoutMs) {
    if (driver::ControlText(dialog, IDC_INTERNET_STATUS).find(part) != std::string::npos)
      return true;
    Sleep(20);
  }
  return false;
}

TEST(NetworkEndToEnd, MyIpAndTheInternetOptimizerFromTheMainWindow) {
  // The site server's address page names the caller: 127.0.0.1.
  ScriptedSite site;
  ASSERT_TRUE(site.Ok());
  tuning::DeleteAll();
  // Restoring the defaults creates the NetTrans class's parent (volatile)
  // when it is missing, as it is in a fresh prefix; it goes again below.
  HKEY probe;
  const bool classExisted = RegOpenKeyExA(HKEY_LOCAL_MACHINE, tuning::kClass, 0, KEY_READ,
                                          &probe) == ERROR_SUCCESS;
  if (classExisted) RegCloseKey(probe);

  TempFolder folder("e2e-network");
  driver::Process spruce;
  ASSERT_TRUE(spruce.Start("\"" + BinFolder() + "\\Spruce.exe\"", folder.Path(),
                           {"SPRUCE_SITE=" + site.Origin()}));
  HWND main = driver::WaitForWindow(e2e::kMainTitle, spruce.Id(), 120000);
  ASSERT_NE(main, nullptr);

  // My IP: both addresses, looked up while the dialog opened.
  HWND myIp = e2e::OpenTool(spruce, main, IDC_BTN_MYIP, kMyIp);
  ASSERT_NE(myIp, nullptr);
  EXPECT_EQ(driver::ControlText(myIp, IDC_MYIP_PUBLIC), "127.0.0.1");
  const std::string local = driver::ControlText(myIp, IDC_MYIP_LOCAL);
  EXPECT_NE(inet_addr(local.c_str()), INADDR_NONE) << local;
  e2e::KeepScreenshot(myIp, "readme-myip");
  driver::Click(myIp, IDCANCEL);
  ASSERT_TRUE(driver::WaitForWindowGone(myIp, 30000));

  // The optimizer probes the site's host, the loopback here, which passes
  // every size: the close box during the probe stops it and closes.
  HWND internet = e2e::OpenTool(spruce, main, IDC_BTN_INTERNET, kInternet);
  ASSERT_NE(internet, nullptr);
  EXPECT_EQ(driver::ControlText(internet, IDC_INTERNET_SITE), "127.0.0.1");
  driver::Click(internet, IDOK);
  ASSERT_TRUE(WaitForStatusContaining(internet, "확인중", 30000));
  EXPECT_EQ(driver::ControlText(internet, IDOK), "중지");
  EXPECT_FALSE(driver::IsEnabled(internet, IDCANCEL));
  e2e::KeepScreenshot(internet, "readme-internet");
  PostMessageA(internet, WM_CLOSE, 0, 0);
  ASSERT_TRUE(driver::WaitForWindowGone(internet, 30000));
  EXPECT_FALSE(tuning::AnyWritten());

  // Restoring the defaults, on Wine's default version (the W2K tag).
  internet = e2e::OpenTool(spruce, main, IDC_BTN_INTERNET, kInternet);
  ASSERT_NE(internet, nullptr);
  driver::Click(internet, IDC_INTERNET_DEFAULTS);
  ASSERT_EQ(e2e::AnswerBox(spruce.Id(), kInternet, 30000),
            "윈도우 설치 초기값으로 변경을 완료했습니다.\r\n해당 설정을 적용하려면 재부팅을 해야 합니다.");
  const tuning::Value nt = tuning::Read(tuning::kTcpip, "DefaultRcvWindow");
  EXPECT_EQ(nt.type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(nt.bytes, tuning::DwordBytes(32120));
  const tuning::Value nine = tuning::Read(tuning::kMstcp, "DefaultRcvWindow");
  EXPECT_EQ(nine.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(nine.bytes, tuning::SzBytes("32120"));
  driver::Click(internet, IDCANCEL);
  ASSERT_TRUE(driver::WaitForWindowGone(internet, 30000));

  ASSERT_TRUE(e2e::CloseSpruce(spruce, main));
  tuning::DeleteAll();
  if (!classExisted) DeleteKeyTree(HKEY_LOCAL_MACHINE, tuning::kClass);
}

}  // namespace
