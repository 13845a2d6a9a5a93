// The registry restore dialog (116): lists the backup files the optimization
// dialog wrote and replays the checked ones into the registry, or deletes
// them. Everything runs on the dialog's own thread.
#pragma once
#include <windows.h>

#include <string>

#include "framework/dialog.h"
#include "framework/raii.h"

class CRegistryRestoreDlg : public fw::Dialog {
 public:
  // The caption of every message box of the dialog.
  static constexpr const char* kTitle = "레지스트리 복원";

  CRegistryRestoreDlg();

  // Writes the entries of a backup file's content into the registry, in file
  // order: each key is created when missing; a value from a typed line gets
  // its exact type and bytes, one from a plain line (older files) its text
  // as REG_SZ when it is at most 254 bytes long. Nothing is deleted; keys and
  // values that can't be written are passed over.
  static void RestoreBackup(const std::string& content);

 protected:
  BOOL OnInitDialog() override;
  bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) override;
  void OnOK() override {}  // Enter does not close the dialog

 private:
  static const fw::MessageEntry<CRegistryRestoreDlg> kMessages[];

  // ProgramFolder() followed by "/backup".
  static std::string BackupFolder();
  void FillList();
  void OnRestore();
  void OnDeleteFiles();

  fw::Font boldFont_;
};
