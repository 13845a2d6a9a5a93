#include "network/internet_dlg.h"

#include <cstdio>

#include "framework/controls.h"
#include "framework/font.h"
#include "framework/helpers.h"
#include "framework/mbstring.h"
#include "framework/msgbox.h"
#include "framework/site.h"
#include "framework/wait.h"
#include "framework/worker.h"
#include "network/icmp_echo_client.h"
#include "network/mtu_probe.h"
#include "network/tcp_registry.h"
#include "network/tcp_settings.h"
#include "resources/resource.h"

namespace {

// Sent by the probe thread as its last step; the dialog returns to idle.
constexpr UINT kProbeEndedMessage = WM_APP + 0x160;

constexpr const char* kRunText = "실행";
constexpr const char* kStopText = "중지";

std::string PayloadText(const char* format, int payload) {
  char text[64];
  std::snprintf(text, sizeof text, format, payload);
  return text;
}

}  // namespace

const fw::MessageEntry<CInternetDlg> CInternetDlg::kMessages[] = {
    fw::OnCommand(IDOK, &CInternetDlg::OnRunOrStop),
    fw::OnCommand(IDC_INTERNET_DEFAULTS, &CInternetDlg::OnRestoreDefaults),
    fw::OnCommand(IDCANCEL, &CInternetDlg::OnExit),
    fw::OnMessage(kProbeEndedMessage, &CInternetDlg::OnProbeEnded),
};

bool CInternetDlg::HandleMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) {
  return Dispatch(*this, kMessages, msg, wp, lp, result);
}

CInternetDlg::CInternetDlg() : fw::Dialog(IDD_INTERNET) {}

CInternetDlg::~CInternetDlg() {
  // A modeless dialog may go while a probe runs: once the window is gone the
  // thread's messages fail at once, and it sees the stop before its next echo.
  stop_ = 1;
  if (IsModeless() && Hwnd()) DestroyWindow(Hwnd());
  if (probeThread_.Valid()) WaitForSingleObject(probeThread_.Get(), INFINITE);
}

std::unique_ptr<EchoSender> CInternetDlg::OpenEchoSender() {
  return std::make_unique<IcmpEchoClient>();
}

BOOL CInternetDlg::OnInitDialog() {
  boldFont_ = fw::SetBoldCaption(Hwnd(), IDC_TITLE);
  feed_ = std::make_unique<fw::UiFeed>(Hwnd());
  site_ = SiteHost();
  fw::SetControlText(Item(IDC_INTERNET_SITE), site_);
  osTag_ = GetOsCode();
  return TRUE;
}

void CInternetDlg::ShowBox(const char* text, UINT style) {
  fw::ShowMessageBox(Hwnd(), text, kTitle, style);
}

void CInternetDlg::OnRunOrStop() {
  if (closing_) return;
  if (fw::GetControlText(Item(IDOK)) == kStopText) {
    stop_ = 1;  // seen before the next echo; one under way runs to its time-out
    return;
  }
  site_ = mb::Trim(fw::GetControlText(Item(IDC_INTERNET_SITE)));
  if (site_.empty()) {
    ShowBox("사이트를 입력하세요. ");
    return;
  }
  // One echo of the ordinary size first: a host that does not answer at all
  // is not worth a probe of a hundred echoes.
  {
    std::unique_ptr<EchoSender> sender = OpenEchoSender();
    if (!EchoPasses(*sender, site_, kTestEchoPayload, false)) {
      ShowBox("인터넷에 연결할 수 없거나, 해당 사이트에 접속할 수 없습니다.");
      return;
    }
  }
  EnterProbing();
  probeThread_ = fw::StartWorkerThread(&CInternetDlg::ProbeThreadProc, this,
                                       THREAD_PRIORITY_TIME_CRITICAL);
  if (!probeThread_.Valid()) OnProbeEnded(0, 0);
}

void CInternetDlg::EnterProbing() {
  stop_ = 0;
  probing_ = 1;
  fw::SetControlText(Item(IDOK), kStopText);
  EnableWindow(Item(IDC_INTERNET_SITE), FALSE);
  EnableWindow(Item(IDC_INTERNET_DEFAULTS), FALSE);
  EnableWindow(Item(IDCANCEL), FALSE);
}

INT_PTR CInternetDlg::OnProbeEnded(WPARAM, LPARAM) {
  fw::SetControlText(Item(IDOK), kRunText);
  EnableWindow(Item(IDC_INTERNET_SITE), TRUE);
  EnableWindow(Item(IDC_INTERNET_DEFAULTS), TRUE);
  EnableWindow(Item(IDCANCEL), TRUE);
  stop_ = 0;
  probing_ = 0;
  return TRUE;
}

DWORD WINAPI CInternetDlg::ProbeThreadProc(void* dialog) {
  static_cast<CInternetDlg*>(dialog)->Probe();
  return 0;
}

void CInternetDlg::Probe() {
  HWND status = Item(IDC_INTERNET_STATUS);
  std::unique_ptr<EchoSender> sender = OpenEchoSender();
  // The status shows every size tried; the feed hands the latest one over
  // every 50 ms, so a fast path is not slowed down by its own status line.
  int payload = ProbeLargestPayload(*sender, site_, stop_, [&](int n) {
    feed_->SetText(status, PayloadText("최적화 패킷크기(%d) 확인중 ...", n));
  });
  TcpSettings settings;
  // A path that passes sizes beyond any usable window (a loopback, the
  // ceiling) gives no settings rather than a window of 0.
  if (payload > 0 && !TcpSettingsForPayload(payload, settings)) payload = 0;

  if (stop_) {
    feed_->SetText(status, "중단 되었습니다.");
    feed_->Flush();
  } else if (payload == 0) {
    feed_->Flush();
    ShowBox("최적화 설정값을 찾을 수 없습니다.");
  } else {
    feed_->SetText(status, PayloadText("최적화 패킷크기(%d) 찾음", payload));
    feed_->Flush();
    const int answer = fw::ShowMessageBox(Hwnd(), "최적화 설정값을 찾았습니다. 적용하시겠습니까?",
                                          kTitle, MB_YESNO | MB_ICONQUESTION);
    // A close asked for while the question was open leaves everything as it was.
    if (answer == IDYES && !closing_) {
      WriteSettings(settings,
                    "최적화 설정을 완료했습니다.\r\n해당 설정을 적용하려면 재부팅을 해야 합니다.");
    }
  }
  sender.reset();
  SendMessageA(Hwnd(), kProbeEndedMessage, 0, 0);
}

void CInternetDlg::OnRestoreDefaults() {
  if (probing_ || closing_) return;
  WriteSettings(WindowsDefaults(osTag_),
                "윈도우 설치 초기값으로 변경을 완료했습니다.\r\n해당 설정을 적용하려면 재부팅을 해야 합니다.");
}

void CInternetDlg::WriteSettings(const TcpSettings& settings, const char* done) {
  TcpRegistry registry(osTag_);
  registry.SetMaxMtu(settings.mtu);
  registry.SetReceiveWindow(settings.receiveWindow);
  registry.SetDefaultTtl(settings.ttl);
  if (registry.AllWritten()) {
    ShowBox(done);
    return;
  }
  // The keys belong to the machine: a user without administrator rights may
  // read them but not change them. What did get written stays (each value
  // stands on its own) and is named, so the user knows the machine's state.
  std::string text = "설정을 저장할 수 없습니다. 관리자 권한이 필요합니다.\r\n";
  if (registry.Written().empty()) {
    text += "저장된 값은 없습니다.";
  } else {
    text += "저장된 값:";
    for (const std::string& value : registry.Written()) text += "\r\nHKEY_LOCAL_MACHINE\\" + value;
  }
  ShowBox(text.c_str(), MB_OK | MB_ICONEXCLAMATION);
}

void CInternetDlg::OnExit() {
  // Esc and the close box come here even while the exit button is disabled.
  // During a probe they stop it and close once its thread has ended: the
  // thread sends to this window, so the wait serves messages meanwhile.
  if (closing_) return;
  if (probing_) {
    closing_ = 1;
    stop_ = 1;
    fw::WaitForHandleWhilePumping(probeThread_.Get());
  }
  EndDialog(IDCANCEL);
}
