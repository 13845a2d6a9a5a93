// The memory optimizer driven as a user drives it: the figures and bars of
// a given reading, the run with its passes, progress and closing message,
// a second press, and closing while a run is going.
#include "memory/memory_dlg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <vector>

#include "framework/controls.h"
#include "framework/raii.h"
#include "memory/peak_working_set.h"
#include "resources/resource.h"
#include "tests/support/recorder.h"

using testing_support::MessageBoxRecorder;
using testing_support::PumpFor;
using testing_support::PumpUntil;

namespace {

constexpr uint64_t kMiB = 1024 * 1024;

// The dialog with a reading of the test's choosing and passes that can be
// held at their start until the test lets them go on.
class TestMemoryDlg : public CMemoryDlg {
 public:
  MemoryFigures figures;
  std::atomic<int> passes{0};
  std::atomic<int> hold{0};  // 1: a pass waits until the exit button is disabled
  fw::UniqueHandle released{CreateEventA(nullptr, TRUE, TRUE, nullptr)};

 protected:
  MemoryFigures QueryFigures() override { return figures; }
  size_t FreeMemoryPass() override {
    ++passes;
    WaitForSingleObject(released.Get(), 10000);
    // Held for a close: carry on once the dialog's closing has begun.
    for (DWORD start = GetTickCount(); hold && GetTickCount() - start < 10000;) {
      if (!IsWindowEnabled(Item(IDCANCEL))) break;
      Sleep(5);
    }
    return 0;
  }
};

void Press(const fw::Dialog& dialog, int id) {
  SendMessageA(dialog.Hwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

std::string Text(const fw::Dialog& dialog, int id) { return fw::GetControlText(dialog.Item(id)); }

int Position(const fw::Dialog& dialog, int id) {
  return static_cast<int>(SendMessageA(dialog.Item(id), PBM_GETPOS, 0, 0));
}

TEST(MemoryDialog, FiguresBarsAndTextColoursFollowEachReading) {
  TestMemoryDlg dialog;
  dialog.figures = {1000 * kMiB, 499 * kMiB, 511 * kMiB + 5, 511 * kMiB + 1048575};
  ASSERT_TRUE(dialog.CreateModeless());
  EXPECT_EQ(fw::GetControlText(dialog.Hwnd()), "메모리 최적화");
  EXPECT_EQ(Text(dialog, IDC_MEM_TOTAL_PHYSICAL), "1000.0 MB");
  EXPECT_EQ(Text(dialog, IDC_MEM_AVAILABLE_PHYSICAL), "499.0 MB");
  EXPECT_EQ(Text(dialog, IDC_MEM_TOTAL_VIRTUAL), "511.0 MB");
  EXPECT_EQ(Text(dialog, IDC_MEM_AVAILABLE_VIRTUAL), "511.9 MB");
  // 49.9 % shows 49 in black; the virtual share is 100 %, in white.
  EXPECT_EQ(Position(dialog, IDC_MEM_PHYSICAL_BAR), 49);
  EXPECT_EQ(Position(dialog, IDC_MEM_VIRTUAL_BAR), 100);
  auto textColour = [&](int id) {
    // The bars are the dialog's own CGradientProgress objects; their text
    // colour shows in the pixels of the percentage.
    HWND bar = dialog.Item(id);
    RECT client;
    GetClientRect(bar, &client);
    UpdateWindow(bar);
    fw::WindowDc dc(bar);
    int black = 0, white = 0;
    for (int y = 0; y < client.bottom; ++y)
      for (int x = client.right / 3; x < client.right * 2 / 3; ++x) {
        const COLORREF c = GetPixel(dc.Get(), x, y);
        black += c == RGB(0, 0, 0);
        white += c == RGB(255, 255, 255);
      }
    return black > white ? RGB(0, 0, 0) : RGB(255, 255, 255);
  };
  EXPECT_EQ(textColour(IDC_MEM_PHYSICAL_BAR), RGB(0, 0, 0));
  EXPECT_EQ(textColour(IDC_MEM_VIRTUAL_BAR), RGB(255, 255, 255));

  // The next tick of the one-second timer shows the next reading.
  dialog.figures = {1000 * kMiB, 500 * kMiB, 0, 5 * kMiB};
  ASSERT_TRUE(PumpUntil([&] { return Text(dialog, IDC_MEM_TOTAL_VIRTUAL) == "0 MB"; }, 5000));
  EXPECT_EQ(Text(dialog, IDC_MEM_AVAILABLE_PHYSICAL), "500.0 MB");
  EXPECT_EQ(Text(dialog, IDC_MEM_AVAILABLE_VIRTUAL), "0 MB");
  EXPECT_EQ(Position(dialog, IDC_MEM_PHYSICAL_BAR), 50);
  EXPECT_EQ(Position(dialog, IDC_MEM_VIRTUAL_BAR), 0);
  EXPECT_EQ(textColour(IDC_MEM_PHYSICAL_BAR), RGB(255, 255, 255));

  // Enter is button 1.
  EXPECT_EQ(LOWORD(SendMessageA(dialog.Hwnd(), DM_GETDEFID, 0, 0)), IDOK);
}

TEST(MemoryDialog, OneRunPerOpeningAndASecondPressDuringItIsIgnored) {
  MessageBoxRecorder boxes;
  TestMemoryDlg dialog;
  dialog.figures = {1000 * kMiB, 400 * kMiB, 2048 * kMiB, 1024 * kMiB};
  ResetEvent(dialog.released.Get());
  ASSERT_TRUE(dialog.CreateModeless());
  Press(dialog, IDOK);
  ASSERT_TRUE(PumpUntil([&] { return dialog.passes == 1; }, 10000));
  EXPECT_TRUE(dialog.IsRunning());
  EXPECT_EQ(Position(dialog, IDC_MEM_RUN_PROGRESS), 0);
  PBRANGE range = {};
  SendMessageA(dialog.Item(IDC_MEM_RUN_PROGRESS), PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
  EXPECT_EQ(range.iHigh, 2);
  Press(dialog, IDOK);  // ignored: a run is going
  SendMessageA(dialog.Hwnd(), WM_COMMAND, IDOK, 0);  // Enter, ignored too
  SetEvent(dialog.released.Get());

  ASSERT_TRUE(PumpUntil([&] { return !dialog.IsRunning(); }, 30000));
  EXPECT_EQ(dialog.passes, 2);
  EXPECT_TRUE(dialog.IsDone());
  ASSERT_EQ(boxes.Count(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].caption, "메모리 최적화");
  EXPECT_EQ(boxes.Boxes()[0].text, "작업이 완료되었습니다");
  EXPECT_EQ(boxes.Boxes()[0].style & 0xF, static_cast<UINT>(MB_OK));
  EXPECT_EQ(Position(dialog, IDC_MEM_RUN_PROGRESS), 2);

  // After the end: nothing more until the dialog is opened again.
  Press(dialog, IDOK);
  PumpFor(200);
  EXPECT_EQ(dialog.passes, 2);
  EXPECT_EQ(boxes.Count(), 1u);
  Press(dialog, IDCANCEL);
  EXPECT_FALSE(IsWindow(dialog.Hwnd()));
}

TEST(MemoryDialog, ClosingDuringARunWaitsForItAndSkipsTheRest) {
  for (UINT close : {static_cast<UINT>(WM_CLOSE), static_cast<UINT>(WM_COMMAND)}) {
    MessageBoxRecorder boxes;
    TestMemoryDlg dialog;
    dialog.hold = 1;
    ASSERT_TRUE(dialog.CreateModeless());
    HWND window = dialog.Hwnd();
    Press(dialog, IDOK);
    ASSERT_TRUE(PumpUntil([&] { return dialog.passes == 1; }, 10000));
    // Esc and the close box arrive as IDCANCEL, the window manager's close as WM_CLOSE.
    PostMessageA(window, close, close == WM_COMMAND ? IDCANCEL : 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(window); }, 30000)) << close;
    EXPECT_FALSE(dialog.IsRunning());
    EXPECT_EQ(dialog.passes, 1);
    EXPECT_FALSE(dialog.IsDone());
    EXPECT_EQ(boxes.Count(), 0u);
  }
}

// The real passes: as much physical memory as a 32-bit process can claim,
// committed and touched, twice.
class MeasuredMemoryDlg : public CMemoryDlg {
 public:
  std::vector<size_t> claimed;

 protected:
  size_t FreeMemoryPass() override {
    const size_t size = CMemoryDlg::FreeMemoryPass();
    claimed.push_back(size);
    return size;
  }
};

TEST(MemoryDialog, RunReallyClaimsAndTouchesMemoryAndEndsWithItsMessage) {
  MessageBoxRecorder boxes;
  MeasuredMemoryDlg dialog;
  ASSERT_TRUE(dialog.CreateModeless());
  EXPECT_NE(Text(dialog, IDC_MEM_TOTAL_PHYSICAL), "MB");
  const SIZE_T before = PeakWorkingSet();
  ASSERT_GT(before, 0u);
  Press(dialog, IDOK);
  ASSERT_TRUE(PumpUntil([&] { return !dialog.IsRunning(); }, 120000));
  ASSERT_EQ(dialog.claimed.size(), 2u);
  const size_t largest = std::max(dialog.claimed[0], dialog.claimed[1]);
  EXPECT_GE(largest, 16 * kMiB);
  EXPECT_GE(PeakWorkingSet(), before + largest - largest / 16);
  ASSERT_EQ(boxes.Count(), 1u);
  EXPECT_EQ(boxes.LastText(), "작업이 완료되었습니다");
  Press(dialog, IDCANCEL);
  EXPECT_FALSE(IsWindow(dialog.Hwnd()));
}

}  // namespace
