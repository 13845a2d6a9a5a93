// The privacy cleaner's dialog under Wine, with its operations watched (and
// one of them held back) by a test subclass: the steps, the progress bar's
// positions, the stop, the exit and the double click.
#include "cleaner/history_dlg.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "framework/controls.h"
#include "resources/resource.h"
#include "tests/support/recorder.h"

using namespace testing_support;

namespace {

// What happened, in order: "clear <id> <ui|worker>", "done <id>", "pos <n>".
class EventLog {
 public:
  void Add(const std::string& event) {
    std::lock_guard<std::mutex> guard(lock_);
    events_.push_back(event);
  }
  std::vector<std::string> Events() const {
    std::lock_guard<std::mutex> guard(lock_);
    return events_;
  }
  std::vector<std::string> Matching(const std::string& prefix) const {
    std::vector<std::string> found;
    for (const std::string& e : Events())
      if (e.compare(0, prefix.size(), prefix) == 0) found.push_back(e);
    return found;
  }
  void Clear() {
    std::lock_guard<std::mutex> guard(lock_);
    events_.clear();
  }

 private:
  mutable std::mutex lock_;
  std::vector<std::string> events_;
};

class WatchedHistoryDlg : public CHistoryDlg {
 public:
  explicit WatchedHistoryDlg(EventLog& log) : log_(log) {}

  // The step of item waits, once started, until a stop is asked.
  void HoldAt(PrivacyItem item) { held_ = static_cast<int>(item); }
  bool Holding() const { return holding_ != 0; }

 protected:
  void Clear(PrivacyItem item) override {
    const int id = static_cast<int>(item);
    log_.Add("clear " + std::to_string(id) +
             (GetWindowThreadProcessId(Hwnd(), nullptr) == GetCurrentThreadId() ? " ui" : " worker"));
    if (id == held_) {
      holding_ = 1;
      while (!StopRequested()) Sleep(5);
      holding_ = 0;
    }
    log_.Add("done " + std::to_string(id));
  }

 private:
  EventLog& log_;
  std::atomic<int> held_{0};
  std::atomic<int> holding_{0};
};

// Records every position the progress bar is given, whichever thread sends it.
LRESULT CALLBACK RecordPositions(HWND bar, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                 DWORD_PTR log) {
  if (msg == PBM_SETPOS) reinterpret_cast<EventLog*>(log)->Add("pos " + std::to_string(wp));
  return DefSubclassProc(bar, msg, wp, lp);
}

class HistoryDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dialog_.CreateModeless(nullptr));
    SetWindowSubclass(Bar(), &RecordPositions, 1, reinterpret_cast<DWORD_PTR>(&log_));
  }
  void TearDown() override {
    if (IsWindow(dialog_.Hwnd())) RemoveWindowSubclass(Bar(), &RecordPositions, 1);
  }

  HWND Bar() const { return dialog_.Item(IDC_PROGRESS); }
  std::string Text(int id) const { return fw::GetControlText(dialog_.Item(id)); }
  bool Ticked(int id) const { return IsDlgButtonChecked(dialog_.Hwnd(), id) == BST_CHECKED; }
  void TickOnly(const std::vector<int>& ids) {
    for (int id = IDC_HISTORY_BROWSING; id <= IDC_HISTORY_RECENT_DOCS; ++id) {
      bool tick = false;
      for (int wanted : ids) tick = tick || wanted == id;
      CheckDlgButton(dialog_.Hwnd(), id, tick ? BST_CHECKED : BST_UNCHECKED);
    }
  }
  void Click(int id) {
    SendMessageA(dialog_.Hwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(dialog_.Item(id)));
  }
  void Run() {
    Click(IDC_DELETE);
    ASSERT_TRUE(PumpUntil([&] { return !dialog_.IsWorking(); }));
  }
  int Position() const { return static_cast<int>(SendMessageA(Bar(), PBM_GETPOS, 0, 0)); }
  void ExpectIdle() {
    EXPECT_EQ(Text(IDC_DELETE), "삭제");
    EXPECT_TRUE(IsWindowEnabled(dialog_.Item(IDCANCEL)));
    EXPECT_EQ(Position(), 11);
  }

  MessageBoxRecorder boxes_;
  EventLog log_;
  WatchedHistoryDlg dialog_{log_};
};

std::vector<std::string> Positions(int from, int to) {
  std::vector<std::string> expected;
  for (int i = from; i <= to; ++i) expected.push_back("pos " + std::to_string(i));
  return expected;
}

TEST_F(HistoryDialogTest, OpensReadyWithEveryBoxTickedAndEnterDoesNothing) {
  for (int id = IDC_HISTORY_BROWSING; id <= IDC_HISTORY_RECENT_DOCS; ++id) EXPECT_TRUE(Ticked(id));
  EXPECT_EQ(Text(IDC_HISTORY_STATE), "준비");
  EXPECT_EQ(Text(IDC_TITLE), "컴퓨터, 인터넷 사용기록 관리 :");
  EXPECT_EQ(fw::GetControlText(dialog_.Hwnd()), "개인정보 삭제");
  EXPECT_EQ(Text(IDC_DELETE), "삭제");
  LOGFONTA font = {};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(dialog_.Item(IDC_TITLE), WM_GETFONT, 0, 0)),
             sizeof font, &font);
  EXPECT_EQ(font.lfWeight, 700);
  EXPECT_EQ(SendMessageA(Bar(), PBM_GETRANGE, FALSE, 0), 11);
  Click(IDOK);
  EXPECT_TRUE(IsWindow(dialog_.Hwnd()));
  EXPECT_EQ(boxes_.Count(), 0u);
}

TEST_F(HistoryDialogTest, RunsTheTickedStepsInOrderAndTheBarThroughElevenPositions) {
  // Only the browser history: cleared on this thread before the worker, and
  // the bar still goes through every position.
  TickOnly({IDC_HISTORY_BROWSING});
  Run();
  std::vector<std::string> expected = {"pos 0", "clear 1020 ui", "done 1020"};
  for (const std::string& p : Positions(1, 11)) expected.push_back(p);
  EXPECT_EQ(log_.Events(), expected);
  EXPECT_EQ(Text(IDC_HISTORY_STATE), "삭제완료");
  ExpectIdle();
  ASSERT_EQ(boxes_.Count(), 1u);
  EXPECT_EQ(boxes_.Boxes()[0].caption, "개인정보 삭제");
  EXPECT_EQ(boxes_.Boxes()[0].text, "삭제 완료되었습니다");
  EXPECT_EQ(boxes_.Boxes()[0].style, static_cast<UINT>(MB_OK));

  // Nothing ticked: still a whole run and the completion message.
  log_.Clear();
  TickOnly({});
  Run();
  expected = Positions(0, 11);
  EXPECT_EQ(log_.Events(), expected);
  ASSERT_EQ(boxes_.Count(), 2u);
  EXPECT_EQ(boxes_.LastText(), "삭제 완료되었습니다");

  // Everything: the ten worker steps in their order, each followed by its
  // position.
  log_.Clear();
  TickOnly({IDC_HISTORY_BROWSING, IDC_HISTORY_INTELLIFORMS, IDC_HISTORY_FORMDATA,
            IDC_HISTORY_WORDPAD, IDC_HISTORY_TYPED_URLS, IDC_HISTORY_MEDIAPLAYER,
            IDC_HISTORY_MESSENGER, IDC_HISTORY_COOKIES, IDC_HISTORY_CACHE, IDC_HISTORY_RUN,
            IDC_HISTORY_RECENT_DOCS});
  Run();
  expected = {"pos 0", "clear 1020 ui", "done 1020"};
  for (int step = 1; step <= 10; ++step) {
    expected.push_back("clear " + std::to_string(1020 + step) + " worker");
    expected.push_back("done " + std::to_string(1020 + step));
    expected.push_back("pos " + std::to_string(step));
  }
  expected.push_back("pos 11");
  EXPECT_EQ(log_.Events(), expected);
  EXPECT_EQ(boxes_.Count(), 3u);
  ExpectIdle();
}

TEST_F(HistoryDialogTest, AStopDuringASlowStepLetsItFinishAndSkipsTheRest) {
  dialog_.HoldAt(PrivacyItem::kCookies);
  Click(IDC_DELETE);
  ASSERT_TRUE(PumpUntil([&] { return dialog_.Holding(); }));
  EXPECT_EQ(Text(IDC_DELETE), "중지");
  EXPECT_FALSE(IsWindowEnabled(dialog_.Item(IDCANCEL)));
  // Esc, the close box and a WM_CLOSE cannot get round the disabled exit.
  Click(IDCANCEL);
  SendMessageA(dialog_.Hwnd(), WM_CLOSE, 0, 0);  // posts button 2's command
  PumpFor(100);
  EXPECT_TRUE(IsWindow(dialog_.Hwnd()));

  Click(IDC_DELETE);  // the stop: returns once the worker has ended
  EXPECT_FALSE(dialog_.IsWorking());
  const std::vector<std::string> clears = log_.Matching("clear");
  ASSERT_EQ(clears.size(), 8u);  // 1020, then steps 1 to 7
  EXPECT_EQ(clears.back(), "clear 1027 worker");
  EXPECT_EQ(log_.Matching("done").back(), "done 1027");
  EXPECT_EQ(log_.Matching("pos").back(), "pos 11");
  EXPECT_EQ(log_.Matching("pos").size(), 9u);  // 0, 1 to 7, 11
  EXPECT_EQ(Text(IDC_HISTORY_STATE), "삭제중지");
  ExpectIdle();
  // First from the worker as it ends, then from the stop button.
  ASSERT_EQ(boxes_.Count(), 2u);
  for (const RecordedBox& box : boxes_.Boxes()) {
    EXPECT_EQ(box.caption, "중지");
    EXPECT_EQ(box.text, "중지 되었습니다.");
  }
}

TEST_F(HistoryDialogTest, ADoubleClickStartsOneRun) {
  dialog_.HoldAt(PrivacyItem::kIntelliForms);
  // Both halves of a double click are queued before either is handled.
  PostMessageA(dialog_.Hwnd(), WM_COMMAND, MAKEWPARAM(IDC_DELETE, BN_CLICKED),
               reinterpret_cast<LPARAM>(dialog_.Item(IDC_DELETE)));
  PostMessageA(dialog_.Hwnd(), WM_COMMAND, MAKEWPARAM(IDC_DELETE, BN_CLICKED),
               reinterpret_cast<LPARAM>(dialog_.Item(IDC_DELETE)));
  ASSERT_TRUE(PumpUntil([&] { return boxes_.Count() == 2 && !dialog_.IsWorking(); }));
  PumpFor(100);
  // One worker: it set the last position once, and reached its first step at
  // most once (the second click's stop may come before that step).
  EXPECT_LE(log_.Matching("clear 1021").size(), 1u);
  EXPECT_EQ(log_.Matching("pos 11").size(), 1u);
  EXPECT_EQ(boxes_.Count(), 2u);
  EXPECT_EQ(boxes_.LastText(), "중지 되었습니다.");
  ExpectIdle();
}

TEST_F(HistoryDialogTest, ExitRightAfterAFinishedRunClosesAtOnce) {
  TickOnly({});
  Click(IDC_DELETE);
  // The worker is still ending (its message box has just been answered).
  ASSERT_TRUE(PumpUntil([&] { return boxes_.Count() == 1; }));
  Click(IDCANCEL);
  EXPECT_FALSE(IsWindow(dialog_.Hwnd()));
  EXPECT_FALSE(dialog_.IsWorking());
}

TEST_F(HistoryDialogTest, TheCloseBoxClosesWhenIdle) {
  SendMessageA(dialog_.Hwnd(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(dialog_.Hwnd()); }, 5000));
  EXPECT_EQ(boxes_.Count(), 0u);
}

}  // namespace
