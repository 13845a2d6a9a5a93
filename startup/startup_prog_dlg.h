// The startup-program manager (108): lists the values of the two Run keys
// and deletes the ones the user checks, each written first into a registry
// backup file that the restore dialog lists. Everything runs on the
// dialog's thread; nothing is asked.
#pragma once
#include <windows.h>

#include <vector>

#include "framework/dialog.h"
#include "framework/raii.h"
#include "startup/startup_entries.h"

class CStartProgDlg : public fw::Dialog {
 public:
  // The caption of the dialog's message box.
  static constexpr const char* kTitle = "시작프로그램 관리";

  CStartProgDlg();

 protected:
  BOOL OnInitDialog() override;

 private:
  static const fw::MessageEntry<CStartProgDlg> kMessages[];
  bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) override;

  void FillList();
  void OnDelete();
  void OnExit();

  // Read once when the dialog opens. Each list row keeps the index of its
  // entry as item data, so a deletion acts on the row's own root and exact
  // value name, never on what its text happens to match.
  std::vector<StartupEntry> entries_;
  fw::Font boldFont_;
};
