// Shared steps of the end-to-end tests: a program folder for Spruce.exe, its
// start with the site pointed nowhere, and screenshots kept as artifacts.
#pragma once
#include <windows.h>

#include <string>

#include "tests/driver/driver.h"
#include "tests/support/wine_env.h"

namespace e2e {

extern const char kMainTitle[];

// The profile file Spruce keeps its previous-run date in.
std::string ProfileIniPath();

// Starts Spruce.exe in folder and waits for its main window; null when it
// did not appear.
HWND StartSpruce(driver::Process& process, const std::string& folder);
// Clicks the main window's button and waits for the tool's dialog, titled
// caption; null when it did not appear.
HWND OpenTool(const driver::Process& spruce, HWND main, int button, const std::string& caption);
// Waits for the program's next message box titled caption, presses OK and
// returns its text ("<no message box>" when none came in timeoutMs).
std::string AnswerBox(DWORD pid, const std::string& caption, DWORD timeoutMs = 60000);
// Closes the main window and waits for the program to end.
bool CloseSpruce(driver::Process& process, HWND main);

// Saves a screenshot of window as <artifacts>/<name>.bmp (turned into PNG by
// the test command); does nothing without an artifact folder.
void KeepScreenshot(HWND window, const std::string& name);

// Sets (or with an empty version removes) Wine's Windows version for Spruce.exe.
void SetSpruceWindowsVersion(const std::string& version);

}  // namespace e2e
