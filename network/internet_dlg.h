// The internet optimizer (107): probes the largest ICMP echo payload that
// reaches the site in one piece, and on the user's word writes the MTU,
// receive window and time-to-live that follow from it; or writes the values
// Windows installs with. Every change takes effect after a restart.
#pragma once
#include <windows.h>

#include <atomic>
#include <memory>
#include <string>

#include "framework/dialog.h"
#include "framework/raii.h"
#include "framework/ui_feed.h"
#include "network/echo_sender.h"
#include "network/tcp_settings.h"

class CInternetDlg : public fw::Dialog {
 public:
  // The caption of every message box of the dialog.
  static constexpr const char* kTitle = "인터넷 최적화";

  CInternetDlg();
  ~CInternetDlg() override;

  // True from "실행" until the probe thread has handed the dialog back.
  bool IsProbing() const { return probing_ != 0; }
  // The code of the running Windows, taken when the dialog opened.
  const std::string& OsTag() const { return osTag_; }

 protected:
  BOOL OnInitDialog() override;
  bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) override;

  // The echo operation of one run (the test echo, or one probe): the system's
  // ICMP functions, loaded now and freed with the result. Tests give a
  // simulated path instead.
  virtual std::unique_ptr<EchoSender> OpenEchoSender();

 private:
  static const fw::MessageEntry<CInternetDlg> kMessages[];

  void OnRunOrStop();
  void OnRestoreDefaults();
  void OnExit();
  INT_PTR OnProbeEnded(WPARAM, LPARAM);

  // Switches to probing on the dialog's thread, before the thread exists,
  // so that nothing can start a second probe or close under it.
  void EnterProbing();
  static DWORD WINAPI ProbeThreadProc(void* dialog);
  // The probe thread's work, up to its last message to the dialog.
  void Probe();
  void ShowBox(const char* text, UINT style = MB_OK);
  // Writes the three values and shows `done` when every write succeeded;
  // otherwise an error that names the values that were written.
  void WriteSettings(const TcpSettings& settings, const char* done);

  std::string site_;
  std::string osTag_;
  // Set by "중지" or by closing; the probe reads it before every echo.
  std::atomic<int> stop_{0};
  std::atomic<int> probing_{0};
  // The dialog is waiting for the probe to end so it can close.
  std::atomic<int> closing_{0};
  fw::UniqueHandle probeThread_;
  std::unique_ptr<fw::UiFeed> feed_;
  fw::Font boldFont_;
};
