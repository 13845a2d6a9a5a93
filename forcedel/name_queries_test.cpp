// The time budget of a search through other programs' handles: names that
// never come (a synchronous pipe on Windows; Wine answers every name query
// at once, so a read that blocks stands in) hold the search up for the budget
// in all, not for a second each.
#include "forcedel/name_queries.h"

#include <gtest/gtest.h>

#include "forcedel/open_handles.h"
#include "framework/raii.h"

namespace {

HANDLE g_release = nullptr;

bool StuckRead(HANDLE, fw::LowerName& name) {
  WaitForSingleObject(g_release, INFINITE);
  name.length = 0;
  return false;
}

TEST(NameQueries, ReadsNamesAndStuckOnesHoldTheSearchNoLongerThanTheBudget) {
  // An answering handle gives its name.
  char module[MAX_PATH] = {};
  ASSERT_GT(GetModuleFileNameA(nullptr, module, MAX_PATH), 0u);
  fw::UniqueHandle file(CreateFileA(module, FILE_READ_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(file.Valid());
  fw::LowerName expected, name;
  ASSERT_TRUE(fw::ReadLowerObjectName(file.Get(), expected));
  HANDLE copy = nullptr;
  ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), file.Get(), GetCurrentProcess(), &copy, 0,
                              FALSE, DUPLICATE_SAME_ACCESS));
  NameQueries answering(nullptr, kNameQueryLimitMs, kNameQueryBudgetMs);
  ASSERT_TRUE(answering.Read(copy, name));
  EXPECT_TRUE(fw::SameName(name, expected));

  // Eight handles whose names never come.
  g_release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(g_release, nullptr);
  NameQueries stuck(nullptr, kNameQueryLimitMs, kNameQueryBudgetMs, &StuckRead);
  const DWORD start = GetTickCount();
  for (int i = 0; i < 8; ++i) {
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), file.Get(), GetCurrentProcess(), &copy, 0,
                                FALSE, DUPLICATE_SAME_ACCESS));
    EXPECT_FALSE(stuck.Read(copy, name));
  }
  const DWORD elapsed = GetTickCount() - start;
  EXPECT_GE(elapsed + 50, kNameQueryBudgetMs);
  EXPECT_LT(elapsed, kNameQueryBudgetMs + 1000);
  // The abandoned helpers end now; the event stays open for them.
  SetEvent(g_release);
}

}  // namespace
