// The two network tools opened from the main window, with the site pointed
// at a small server of the test's own that echoes the caller's address; the
// optimizer probes the loopback with real ICMP echoes.
#include <gtest/gtest.h>

#include "network/test_http_server.h"
#include "resources/resource.h"
#include "tests/e2e/e2e_support.h"

using namespace testing_support;

namespace {

const char kInternet[] = "인터넷 최적화";
const char kMyIp[] = "내컴퓨터 IP 알기";
const char kTcpip[] = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
const char kMstcp[] = "System\\CurrentControlSet\\Services\\VxD\\MSTCP";

// The value's type and bytes, or -1 when it is not there.
std::pair<long, std::string> ReadValue(const char* path, const char* name) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return {-1, ""};
  char data[64];
  DWORD size = sizeof data, type = 0;
  LONG status = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) return {-1, ""};
  return {static_cast<long>(type), std::string(data, size)};
}

void DeleteTuning() {
  for (const char* path : {kTcpip, kMstcp}) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) continue;
    RegDeleteValueA(key, "DefaultRcvWindow");
    RegDeleteValueA(key, "DefaultTTL");
    RegCloseKey(key);
  }
}

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
  TestHttpServer site;
  ASSERT_NE(site.Port(), 0);
  site.Answer(200, "<html><body>Your address: {peer}</body></html>", "/spruce/ip.html");
  DeleteTuning();

  TempFolder folder("e2e-network");
  driver::Process spruce;
  ASSERT_TRUE(spruce.Start("\"" + BinFolder() + "\\Spruce.exe\"", folder.Path(),
                           {"SPRUCE_SITE=" + site.Base()}));
  HWND main = driver::WaitForWindow(e2e::kMainTitle, spruce.Id(), 120000);
  ASSERT_NE(main, nullptr);

  // My IP: both addresses, looked up while the dialog opened.
  driver::Click(main, IDC_BTN_MYIP);
  HWND myIp = driver::WaitForWindow(kMyIp, spruce.Id(), 30000);
  ASSERT_NE(myIp, nullptr);
  EXPECT_EQ(driver::ControlText(myIp, IDC_MYIP_PUBLIC), "127.0.0.1");
  const std::string local = driver::ControlText(myIp, IDC_MYIP_LOCAL);
  EXPECT_NE(inet_addr(local.c_str()), INADDR_NONE) << local;
  e2e::KeepScreenshot(myIp, "readme-myip");
  driver::Click(myIp, IDCANCEL);
  ASSERT_TRUE(driver::WaitForWindowGone(myIp, 30000));

  // The optimizer probes the site's host, the loopback here, which passes
  // every size: the close box during the probe stops it and closes.
  driver::Click(main, IDC_BTN_INTERNET);
  HWND internet = driver::WaitForWindow(kInternet, spruce.Id(), 30000);
  ASSERT_NE(internet, nullptr);
  EXPECT_EQ(driver::ControlText(internet, IDC_INTERNET_SITE), "127.0.0.1");
  driver::Click(internet, IDOK);
  ASSERT_TRUE(WaitForStatusContaining(internet, "확인중", 30000));
  EXPECT_EQ(driver::ControlText(internet, IDOK), "중지");
  EXPECT_FALSE(driver::IsEnabled(internet, IDCANCEL));
  e2e::KeepScreenshot(internet, "readme-internet");
  PostMessageA(internet, WM_CLOSE, 0, 0);
  ASSERT_TRUE(driver::WaitForWindowGone(internet, 30000));
  EXPECT_EQ(ReadValue(kTcpip, "DefaultRcvWindow").first, -1);

  // Restoring the defaults, on Wine's default version (the W2K tag).
  driver::Click(main, IDC_BTN_INTERNET);
  internet = driver::WaitForWindow(kInternet, spruce.Id(), 30000);
  ASSERT_NE(internet, nullptr);
  driver::Click(internet, IDC_INTERNET_DEFAULTS);
  driver::MessageBoxInfo box;
  ASSERT_TRUE(driver::WaitForMessageBox(spruce.Id(), kInternet, box, 30000));
  EXPECT_EQ(box.text,
            "윈도우 설치 초기값으로 변경을 완료했습니다.\r\n해당 설정을 적용하려면 재부팅을 해야 합니다.");
  ASSERT_TRUE(driver::AnswerMessageBox(box, IDOK));
  const DWORD window = 32120, ttl = 128;
  EXPECT_EQ(ReadValue(kTcpip, "DefaultRcvWindow"),
            std::make_pair(static_cast<long>(REG_DWORD),
                           std::string(reinterpret_cast<const char*>(&window), 4)));
  EXPECT_EQ(ReadValue(kTcpip, "DefaultTTL"),
            std::make_pair(static_cast<long>(REG_DWORD),
                           std::string(reinterpret_cast<const char*>(&ttl), 4)));
  EXPECT_EQ(ReadValue(kMstcp, "DefaultRcvWindow"),
            std::make_pair(static_cast<long>(REG_SZ), std::string("32120", 6)));
  driver::Click(internet, IDCANCEL);
  ASSERT_TRUE(driver::WaitForWindowGone(internet, 30000));

  ASSERT_TRUE(e2e::CloseSpruce(spruce, main));
  DeleteTuning();
}

}  // namespace
