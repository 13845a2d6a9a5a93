// The hand-over from a worker to a dialog's controls under Wine: rows in
// order, a worker that never waits for the dialog, Flush's final state, and
// dialogs or feeds that are gone before their batches arrive.
#include "framework/ui_feed.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "framework/controls.h"
#include "framework/dialog.h"
#include "framework/raii.h"
#include "resources/resource.h"
#include "tests/support/recorder.h"

using testing_support::PumpFor;
using testing_support::PumpUntil;

namespace {

// The disk cleaner's template: a list, a status label and a progress bar.
class ListDialog : public fw::Dialog {
 public:
  ListDialog() : fw::Dialog(IDD_DISKCLEAN) {}
  HWND List() const { return Item(IDC_LIST); }

 protected:
  BOOL OnInitDialog() override {
    fw::list::SetupCheckedReport(List(), {{"선택", 50}, {"이름", 100}});
    fw::progress::SetRange(Item(IDC_PROGRESS), 0, 100000);
    return TRUE;
  }
};

std::string Name(int i) { return "행" + std::to_string(i); }

TEST(UiFeed, RowsKeepTheirOrderWhileTheWorkerGoesOnAndFlushShowsTheLastState) {
  ListDialog d;
  ASSERT_TRUE(d.CreateModeless(nullptr));
  HWND list = d.List(), status = d.Item(IDC_STATUS), bar = d.Item(IDC_PROGRESS);
  constexpr int kRows = 3000;
  fw::UniqueHandle appended(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  std::atomic<bool> flushed{false};

  std::thread worker([&] {
    fw::UiFeed feed(d.Hwnd());
    for (int i = 0; i < kRows; ++i) {
      feed.AppendRow(list, {std::string(), Name(i)}, i % 2 == 0, i);
      if (i % 100 == 99) {
        feed.SetText(status, "상태 " + std::to_string(i));
        feed.SetProgress(bar, i);
        Sleep(10);  // many hand-overs: 30 rounds of 10 ms
      }
    }
    SetEvent(appended.Get());
    // Removals interleave with appends and apply in order: index k now holds
    // row 2k, so this keeps the odd rows.
    for (int k = 0; k < kRows / 2; ++k) feed.DeleteRow(list, k);
    feed.AppendRow(list, {std::string(), "끝"}, false);
    feed.SetText(status, "완료");
    feed.SetProgress(bar, kRows);
    feed.Flush();
    flushed = true;
  });
  // The worker hands over without waiting: it gets through every batch
  // while this thread (the dialog's) serves no message at all.
  EXPECT_EQ(WaitForSingleObject(appended.Get(), 30000), WAIT_OBJECT_0);
  ASSERT_TRUE(PumpUntil([&] { return flushed.load(); }));
  worker.join();

  // Flush returned only once everything was applied.
  ASSERT_EQ(fw::list::Count(list), kRows / 2 + 1);
  for (int k = 0; k < kRows / 2; ++k) {
    ASSERT_EQ(fw::list::Text(list, k, 1), Name(2 * k + 1)) << k;
    EXPECT_FALSE(fw::list::IsChecked(list, k));  // odd rows were unticked
    EXPECT_EQ(fw::list::Data(list, k), 2 * k + 1);
  }
  EXPECT_EQ(fw::list::Text(list, kRows / 2, 1), "끝");
  EXPECT_EQ(fw::GetControlText(status), "완료");
  EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), kRows);
}

TEST(UiFeed, AListIsNotLeftFrozenWhenRowsStopComingWithoutAFlush) {
  ListDialog d;
  ASSERT_TRUE(d.CreateModeless(nullptr));
  std::atomic<bool> handed{false};
  std::thread worker([&] {
    fw::UiFeed feed(d.Hwnd());
    for (int i = 0; i < 300; ++i) feed.AppendRow(d.List(), {std::string(), Name(i)}, true);
    Sleep(150);  // the rows are due now, and go with this one
    feed.AppendRow(d.List(), {std::string(), Name(300)}, true);
    handed = true;
    // Kept alive, never flushed: the dialog's thread must still repaint.
    Sleep(800);
  });
  ASSERT_TRUE(PumpUntil([&] { return handed.load() && fw::list::Count(d.List()) == 301; }));
  // A suspended list's scroll bar is not updated; once its redraw is back
  // it spans every row.
  PumpFor(500);
  SCROLLINFO bar = {};
  bar.cbSize = sizeof bar;
  bar.fMask = SIF_RANGE;
  ASSERT_TRUE(GetScrollInfo(d.List(), SB_VERT, &bar));
  EXPECT_EQ(bar.nMax, 300);
  worker.join();
}

TEST(UiFeed, NothingReachesADialogThatIsGoneNorComesFromAFeedThatIsGone) {
  // A feed that goes with its batch still on the way: the late message
  // finds nothing of it, and nothing of it is applied.
  ListDialog d;
  ASSERT_TRUE(d.CreateModeless(nullptr));
  std::thread early([&] {
    fw::UiFeed feed(d.Hwnd());
    for (int i = 0; i < 5000; ++i) feed.AppendRow(d.List(), {std::string(), Name(i)}, true);
  });
  early.join();
  PumpFor(100);
  EXPECT_EQ(fw::list::Count(d.List()), 0);

  // A dialog that goes while a worker feeds it: hand-overs and Flush return
  // at once and touch nothing.
  ListDialog gone;
  ASSERT_TRUE(gone.CreateModeless(nullptr));
  HWND window = gone.Hwnd(), list = gone.List();
  fw::UniqueHandle started(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  fw::UniqueHandle closed(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  std::thread late([&] {
    fw::UiFeed feed(window);
    for (int i = 0; i < 2000; ++i) feed.AppendRow(list, {std::string(), Name(i)}, true);
    SetEvent(started.Get());
    WaitForSingleObject(closed.Get(), INFINITE);
    for (int i = 0; i < 2000; ++i) feed.AppendRow(list, {std::string(), Name(i)}, true);
    feed.SetText(list, "x");
    feed.Flush();
  });
  ASSERT_EQ(WaitForSingleObject(started.Get(), 30000), WAIT_OBJECT_0);
  DestroyWindow(window);
  SetEvent(closed.Get());
  late.join();
  PumpFor(100);
  EXPECT_FALSE(IsWindow(window));

  // The feeds of a living dialog are not disturbed by all this.
  std::thread after([&] {
    fw::UiFeed feed(d.Hwnd());
    feed.AppendRow(d.List(), {std::string(), "남음"}, true);
    feed.Flush();
  });
  ASSERT_TRUE(PumpUntil([&] { return fw::list::Count(d.List()) == 1; }));
  after.join();
  EXPECT_EQ(fw::list::Text(d.List(), 0, 1), "남음");
  EXPECT_TRUE(fw::list::IsChecked(d.List(), 0));
}

}  // namespace
