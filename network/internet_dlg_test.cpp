// The internet optimizer driven as a user drives it, over a simulated path:
// the test echo, the probe's outcomes, "중지", and closing during a probe.
// This test program runs as Wine's default Windows version (the W2K tag);
// the writes of every version are checked by internet_versions_test.
#include "network/internet_dlg.h"

#include <gtest/gtest.h>

#include "framework/controls.h"
#include "network/simulated_internet_dlg.h"
#include "network/tuning_values.h"
#include "resources/resource.h"
#include "tests/support/recorder.h"
#include "tests/support/wine_env.h"

using testing_support::MessageBoxRecorder;
using testing_support::PumpUntil;

namespace {

const char kTitle[] = "인터넷 최적화";
const char kNotFound[] = "최적화 설정값을 찾을 수 없습니다.";

class InternetDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tuning::DeleteAll();
    ASSERT_TRUE(dialog_.CreateModeless(nullptr));
    hwnd_ = dialog_.Hwnd();
  }
  void TearDown() override { EXPECT_FALSE(tuning::AnyWritten()); }

  std::string Text(int id) { return fw::GetControlText(GetDlgItem(hwnd_, id)); }
  bool Enabled(int id) { return IsWindowEnabled(GetDlgItem(hwnd_, id)) != FALSE; }
  void Click(int id) { SendMessageA(hwnd_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
  // Runs a probe to its end: the dialog is idle again and `boxes` boxes came.
  bool RunProbe(size_t boxes) {
    Click(IDOK);
    return PumpUntil([&] { return !dialog_.IsProbing() && recorder_.Count() >= boxes; }, 120000);
  }
  void ExpectIdle() {
    EXPECT_EQ(Text(IDOK), "실행");
    EXPECT_TRUE(Enabled(IDCANCEL));
    EXPECT_TRUE(Enabled(IDC_INTERNET_DEFAULTS));
    EXPECT_TRUE(Enabled(IDC_INTERNET_SITE));
  }
  void ExpectOnlyBox(const char* text) {
    ASSERT_EQ(recorder_.Count(), 1u);
    const auto box = recorder_.Boxes()[0];
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.caption, kTitle);
    EXPECT_EQ(box.style, static_cast<UINT>(MB_OK));
  }

  MessageBoxRecorder recorder_;
  SimulatedPath path_;
  SimulatedInternetDlg dialog_{path_};
  HWND hwnd_ = nullptr;
};

TEST_F(InternetDlgTest, AnEmptySiteIsAskedForWithoutAnEcho) {
  fw::SetControlText(GetDlgItem(hwnd_, IDC_INTERNET_SITE), " \t ");
  Click(IDOK);
  ExpectOnlyBox("사이트를 입력하세요. ");
  EXPECT_EQ(path_.Count(), 0u);
}

TEST_F(InternetDlgTest, AHostThatDoesNotAnswerOrAnswersAnErrorFailsTheTestEcho) {
  fw::SetControlText(GetDlgItem(hwnd_, IDC_INTERNET_SITE), "  probe.example  ");
  path_.answers = false;
  Click(IDOK);
  path_.answers = true;
  path_.errorStatus = SimulatedPath::kUnreachable;
  Click(IDOK);
  ASSERT_EQ(recorder_.Count(), 2u);
  for (const auto& box : recorder_.Boxes()) {
    EXPECT_EQ(box.text, "인터넷에 연결할 수 없거나, 해당 사이트에 접속할 수 없습니다.");
    EXPECT_EQ(box.caption, kTitle);
  }
  // One test echo each: 576 bytes, fragmenting allowed, to the trimmed site.
  auto log = path_.Log();
  ASSERT_EQ(log.size(), 2u);
  for (const auto& echo : log) {
    EXPECT_EQ(echo.host, "probe.example");
    EXPECT_EQ(echo.payload, 576);
    EXPECT_FALSE(echo.dontFragment);
  }
  EXPECT_FALSE(dialog_.IsProbing());
  ExpectIdle();
}

TEST_F(InternetDlgTest, AnMtuOf1500FindsPayload1472AndWritesNothingWhenDeclined) {
  recorder_.QueueAnswer(IDNO);
  ASSERT_TRUE(RunProbe(1));
  EXPECT_EQ(Text(IDC_INTERNET_STATUS), "최적화 패킷크기(1472) 찾음");
  ASSERT_EQ(recorder_.Count(), 1u);
  const auto box = recorder_.Boxes()[0];
  EXPECT_EQ(box.text, "최적화 설정값을 찾았습니다. 적용하시겠습니까?");
  EXPECT_EQ(box.caption, kTitle);
  EXPECT_EQ(box.style, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
  ExpectIdle();
}

TEST_F(InternetDlgTest, AHostPassingOnly576GivesUpAfter93DescendingEchoes) {
  path_.mtu = 604;
  ASSERT_TRUE(RunProbe(1));
  ExpectOnlyBox(kNotFound);
  auto log = path_.Log();
  ASSERT_EQ(log.size(), 1u + 93u);  // the test echo, then the probe
  EXPECT_EQ(log[1].payload, 1490);
  EXPECT_EQ(log.back().payload, 570);
  ExpectIdle();
}

TEST_F(InternetDlgTest, APathThatPassesEverythingStopsAtTheCeilingWithoutWriting) {
  path_.mtu = 1 << 20;
  ASSERT_TRUE(RunProbe(1));
  ExpectOnlyBox(kNotFound);
  auto log = path_.Log();
  EXPECT_EQ(log.back().payload, 65500);
  EXPECT_EQ(log.size(), 1u + 1u + (65500 - 1490));
  ExpectIdle();
}

TEST_F(InternetDlgTest, StopShowsInterruptedWithoutABox) {
  // The user presses "중지" while the fifth probe echo is under way.
  path_.beforeEcho = [&](int number) {
    if (number == 1 + 5) SendMessageA(hwnd_, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  };
  Click(IDOK);
  EXPECT_TRUE(PumpUntil([&] { return !dialog_.IsProbing(); }, 60000));
  EXPECT_EQ(Text(IDC_INTERNET_STATUS), "중단 되었습니다.");
  EXPECT_EQ(recorder_.Count(), 0u);
  EXPECT_EQ(path_.Count(), 1u + 5u);
  ExpectIdle();
  // The next run starts afresh.
  path_.beforeEcho = nullptr;
  recorder_.QueueAnswer(IDNO);
  ASSERT_TRUE(RunProbe(1));
  EXPECT_EQ(Text(IDC_INTERNET_STATUS), "최적화 패킷크기(1472) 찾음");
}

// A user without administrator rights may read the machine's TCP/IP key
// but not change it: both the optimization and the restore say so instead
// of their success text, and name the values that did get written.
TEST_F(InternetDlgTest, AKeyThatCannotBeWrittenGivesAnErrorNamingWhatWasWritten) {
  const std::string expected =
      "설정을 저장할 수 없습니다. 관리자 권한이 필요합니다.\r\n저장된 값:"
      "\r\nHKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\VxD\\MSTCP\\DefaultRcvWindow"
      "\r\nHKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\VxD\\MSTCP\\DefaultTTL";
  {
    testing_support::ReadOnlyKey readOnly(HKEY_LOCAL_MACHINE, tuning::kTcpip);
    ASSERT_TRUE(readOnly.Locked());
    Click(IDC_INTERNET_DEFAULTS);
    recorder_.QueueAnswer(IDYES);
    ASSERT_TRUE(RunProbe(3));
    ASSERT_EQ(recorder_.Count(), 3u);
    for (size_t i : {0u, 2u}) {
      EXPECT_EQ(recorder_.Boxes()[i].text, expected);
      EXPECT_EQ(recorder_.Boxes()[i].caption, kTitle);
      EXPECT_EQ(recorder_.Boxes()[i].style, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
    }
    EXPECT_FALSE(tuning::Read(tuning::kTcpip, "DefaultRcvWindow").present);
    EXPECT_FALSE(tuning::Read(tuning::kTcpip, "DefaultTTL").present);
    EXPECT_EQ(tuning::Read(tuning::kMstcp, "DefaultRcvWindow").bytes, tuning::SzBytes("32120"));
    ExpectIdle();
  }
  tuning::DeleteAll();
  // Neither key may be changed: nothing is written, and the error says so.
  HKEY mstcp;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, tuning::kMstcp, 0, nullptr, REG_OPTION_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &mstcp, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(mstcp);
  testing_support::ReadOnlyKey tcpip(HKEY_LOCAL_MACHINE, tuning::kTcpip);
  testing_support::ReadOnlyKey vxd(HKEY_LOCAL_MACHINE, tuning::kMstcp);
  ASSERT_TRUE(tcpip.Locked() && vxd.Locked());
  Click(IDC_INTERNET_DEFAULTS);
  EXPECT_EQ(recorder_.LastText(),
            "설정을 저장할 수 없습니다. 관리자 권한이 필요합니다.\r\n저장된 값은 없습니다.");
}

// Esc and the close box reach the dialog even with its exit button
// disabled: they stop the probe, and the dialog closes once the probe
// thread has ended, having written nothing.
TEST(InternetDlgClosing, EscOrTheCloseBoxDuringAProbeStopsItAndCloses) {
  for (UINT how : {0u, static_cast<UINT>(WM_CLOSE)}) {
    SCOPED_TRACE(how ? "close box" : "Esc");
    MessageBoxRecorder recorder;
    SimulatedPath path;
    SimulatedInternetDlg dialog(path);
    ASSERT_TRUE(dialog.CreateModeless(nullptr));
    HWND hwnd = dialog.Hwnd();
    path.beforeEcho = [&](int number) {
      if (number != 4) return;
      if (how)
        PostMessageA(hwnd, WM_CLOSE, 0, 0);
      else
        PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      Sleep(300);  // the echo under way runs to its end
    };
    SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(hwnd); }, 60000));
    EXPECT_FALSE(dialog.IsProbing());
    EXPECT_EQ(path.Count(), 4u);
    EXPECT_EQ(recorder.Count(), 0u);
    EXPECT_FALSE(tuning::AnyWritten());
  }
}

}  // namespace
