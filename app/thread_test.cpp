#include "app/thread.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {

// A job that runs until released, counting its runs.
class TestJob : public COptimizeThread {
 public:
  ~TestJob() override {
    // Stop the thread while this object's members still exist.
    if (IsRunning()) Kill(0, true);
  }
  void DoWork() override {
    runs++;
    workerId = GetCurrentThreadId();
    started = 1;
    while (!release) Sleep(5);
    finished = 1;
  }
  std::atomic<int> runs{0}, started{0}, finished{0}, release{0};
  DWORD workerId = 0;
};

// Lets the job finish 300 ms from now, while the test waits in Stop.
DWORD WINAPI ReleaseLater(void* job) {
  Sleep(300);
  static_cast<TestJob*>(job)->release = 1;
  return 0;
}

bool WaitFor(const std::atomic<int>& flag, DWORD ms = 10000) {
  for (DWORD waited = 0; !flag && waited < ms; waited += 5) Sleep(5);
  return flag != 0;
}

TEST(Thread, StartTwiceThrowsCode2AndStopWaitsForTheJob) {
  TestJob job;
  job.Start();
  ASSERT_TRUE(WaitFor(job.started));
  EXPECT_EQ(job.Activity(), Busy);
  try {
    job.Start();
    FAIL() << "second Start did not throw";
  } catch (const CThreadException& e) {
    EXPECT_EQ(e.Code(), 2);
    EXPECT_EQ(e.ErrorText(), "Thread is already started!");
    EXPECT_EQ(e.Thread(), &job);
  }
  DWORD code = 99;
  HANDLE releaser = CreateThread(nullptr, 0, &ReleaseLater, &job, 0, nullptr);
  EXPECT_TRUE(job.Stop(code));
  EXPECT_TRUE(job.finished);  // Stop returned only after DoWork did
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(job.runs, 1);
  EXPECT_FALSE(job.IsRunning());
  EXPECT_EQ(job.Activity(), Down);
  WaitForSingleObject(releaser, INFINITE);
  CloseHandle(releaser);

  // The object outlives its thread and can start again.
  job.release = 1;
  job.Start();
  EXPECT_TRUE(job.Stop(code));
  EXPECT_EQ(job.runs, 2);
}

TEST(Thread, StopOnANeverStartedObjectGivesMinusTwo) {
  TestJob job;
  DWORD code = 0;
  EXPECT_TRUE(job.Stop(code));
  EXPECT_EQ(code, static_cast<DWORD>(-2));
}

// Exposes the queue of a thread object whose thread never consumes it.
class QueueOnly : public COptimizeThread {
 public:
  DWORD ThreadHandler() override {
    while (!done) Sleep(5);
    return 3;
  }
  std::atomic<int> done{0};
};

TEST(Thread, ConsecutiveDuplicateCommandsCollapse) {
  QueueOnly t;
  t.Start();  // posts Initialized
  EXPECT_TRUE(t.PostCommand(ThreadCommand::Run));
  EXPECT_TRUE(t.PostCommand(ThreadCommand::Run));
  EXPECT_TRUE(t.PostCommand(ThreadCommand::Pause));
  EXPECT_TRUE(t.PostCommand(ThreadCommand::Run));
  EXPECT_TRUE(t.PostCommandFirst(ThreadCommand::Exit));
  EXPECT_TRUE(t.PostCommand(0));  // nothing
  std::vector<DWORD> got;
  DWORD c;
  while (t.ReceiveCommand(c)) got.push_back(c);
  EXPECT_EQ(got, (std::vector<DWORD>{ThreadCommand::Exit, ThreadCommand::Initialized, ThreadCommand::Run, ThreadCommand::Pause, ThreadCommand::Run}));
  EXPECT_EQ(t.WaitForCommand(50), static_cast<DWORD>(ThreadCommand::WaitTimeout));
  t.done = 1;
  DWORD code;
  while (t.IsRunning()) Sleep(5);
  EXPECT_TRUE(t.Stop(code));
  EXPECT_EQ(code, 3u);
  EXPECT_FALSE(t.PostCommandFirst(ThreadCommand::Run));  // no thread any more
}

// Paused before it receives Run: the job never runs.
class PausedFirst : public COptimizeThread {
 public:
  DWORD ThreadHandler() override {
    SetActivity(Paused);
    return COptimizeThread::ThreadHandler();
  }
  void DoWork() override { ran = 1; }
  std::atomic<int> ran{0};
};

TEST(Thread, PausedThreadIgnoresRun) {
  PausedFirst t;
  t.Start();
  Sleep(200);
  DWORD code;
  EXPECT_TRUE(t.Stop(code));
  EXPECT_EQ(t.ran, 0);
  EXPECT_EQ(code, 0u);
}

TEST(Thread, DestroyingAnObjectWhoseJobRunsTerminatesIt) {
  HANDLE worker = nullptr;
  std::atomic<int> finished{0};
  {
    TestJob job;
    job.Start();
    ASSERT_TRUE(WaitFor(job.started));
    ASSERT_TRUE(job.PostCommand(ThreadCommand::Pause));  // the queue still works while busy
    worker = OpenThread(SYNCHRONIZE, FALSE, job.workerId);
    ASSERT_NE(worker, nullptr);
    finished = job.finished.load();
  }
  EXPECT_EQ(WaitForSingleObject(worker, 5000), WAIT_OBJECT_0);
  EXPECT_EQ(finished, 0);
  CloseHandle(worker);
}

TEST(Thread, BaseDestructorKillsARunningThread) {
  // A thread whose body never returns: only the destructor can end it.
  struct Forever : CThread {
    DWORD ThreadHandler() override {
      entered = 1;
      for (;;) Sleep(5);
    }
    std::atomic<int> entered{0};
  };
  auto* t = new Forever;
  t->Start();
  ASSERT_TRUE(WaitFor(t->entered));
  EXPECT_TRUE(t->IsRunning());
  delete t;  // must not hang
  SUCCEED();
}

TEST(Thread, SystemMessagesComeFromTheSystemTable) {
  EXPECT_FALSE(FormatSystemMessage(ERROR_FILE_NOT_FOUND).empty());
  EXPECT_TRUE(FormatSystemMessage(0x7FFFFFF0).empty());
}

}  // namespace
