// The main program's application object: initialises the platform services,
// records the date of this run, fixes the program folder, switches the
// activity log on or off and runs the main window as a modal dialog.
#pragma once
#include <string>

#include "framework/app.h"

class CCleanerApp : public fw::Application {
 public:
  CCleanerApp();

  bool InitInstance() override;
  int ExitInstance() override;

  // The working directory at start-up; every side file is resolved against it.
  const std::string& ProgramFolder() const { return programFolder_; }
  // "RecentExecTime" as it stood before this run; empty on the first run.
  const std::string& PreviousRunDate() const { return previousRunDate_; }
  // For hosts that never run InitInstance (the test programs).
  void SetProgramFolder(const std::string& folder) { programFolder_ = folder; }

 private:
  std::string programFolder_;
  std::string previousRunDate_;
};

// The one application object.
CCleanerApp& TheApp();

// Convenience accessors used by the tools.
inline const std::string& ProgramFolder() { return TheApp().ProgramFolder(); }

// Drains the calling thread's message queue for a dialog that waits for a
// worker. False when the quit message came (it is posted again).
bool PumpMessages();
