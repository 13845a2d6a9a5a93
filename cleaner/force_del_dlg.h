// Forced delete ("파일 강제삭제", template 117): the user collects files in
// a list and deletes the ticked ones through the "Delete" export of
// "ForceDel.dll" beside the program file, which frees files other programs
// hold open. The library is loaded for each deletion and unloaded after it;
// each call into it runs on a worker while the dialog goes on painting.
#pragma once
#include <windows.h>

#include <string>

#include "framework/dialog.h"
#include "framework/raii.h"

class CForceDelDlg : public fw::Dialog {
 public:
  static constexpr const char* kTitle = "파일 강제삭제";

  CForceDelDlg();

  // Appends a ticked row for path, as choosing a file does.
  void AddFile(const std::string& path);
  // For the tests: the folder the library is loaded from, in place of the
  // running program file's own.
  void SetLibraryFolder(const std::string& folder) { libraryFolder_ = folder; }

 protected:
  BOOL OnInitDialog() override;
  bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) override;
  // The Enter key does nothing.
  void OnOK() override {}

 private:
  void OnChooseFile();
  void OnDelete();
  void DeleteTickedRows();
  void OnExit();
  // Switches the three buttons off while a deletion runs, and on again.
  void SetBusy(bool busy);

  static const fw::MessageEntry<CForceDelDlg> kMessages[];

  fw::Font boldFont_;
  std::string libraryFolder_;
  // True while a deletion runs: the buttons, Esc and the close box wait.
  bool busy_ = false;
};
