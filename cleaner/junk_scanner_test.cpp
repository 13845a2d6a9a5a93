// The junk scan against the real folders of the test prefix. Other tests may
// leave files there too, so only the planted files are checked.
#include "cleaner/junk_scanner.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/wine_env.h"

using namespace testing_support;

namespace {

class RecordingScanner : public JunkScanner {
 public:
  std::vector<JunkItem> items;
  std::vector<std::string> folders;
  std::string stopAt;  // a folder whose entry asks for a stop

 protected:
  void OnItemFound(const JunkItem& item) override { items.push_back(item); }
  void OnFolderEntered(const std::string& folder) override {
    folders.push_back(folder);
    if (folder == stopAt) RequestStop();
  }
};

// Index of the item with this path and name, or -1.
int Find(const RecordingScanner& s, const std::string& path, const std::string& name) {
  for (size_t i = 0; i < s.items.size(); ++i)
    if (s.items[i].path == path && s.items[i].name == name) return static_cast<int>(i);
  return -1;
}

std::string Tag() { return "spruce-scan-" + std::to_string(GetCurrentProcessId()); }

TEST(JunkScan, ListsEveryFileOfTheFourFoldersWithTheWalksPathTexts) {
  const std::vector<std::string> roots = JunkScanner::JunkFolders();
  ASSERT_EQ(roots.size(), 4u);
  const std::string& userTemp = roots[1];
  ASSERT_EQ(userTemp.back(), '\\') << userTemp;
  for (const std::string& root : roots) CreateDirectoryA(root.c_str(), nullptr);

  // One file directly in each folder, and a small tree in the user temp folder.
  const std::string name = Tag() + ".tmp";
  const std::string sub = userTemp + "\\" + Tag();  // doubled backslash, as the walk builds it
  for (const std::string& root : roots) ASSERT_TRUE(WriteFileBytes(root + "\\" + name, "12345"));
  ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((sub + "\\deep").c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(sub + "\\deep\\d.bin", std::string(1536, 'd')));
  const char* flagged[] = {"hidden.txt", "system.txt", "readonly.txt"};
  const DWORD flags[] = {FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM, FILE_ATTRIBUTE_READONLY};
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(WriteFileBytes(sub + "\\" + flagged[i], "x"));
    SetFileAttributesA((sub + "\\" + flagged[i]).c_str(), flags[i]);
  }

  RecordingScanner scan;
  EXPECT_EQ(scan.ScanAll(), 0);

  // A file right in the user temp folder keeps the folder's trailing
  // backslash; below it the path has a doubled one and no trailing one.
  std::string top = userTemp;
  int inTop = Find(scan, top, name);
  EXPECT_GE(inTop, 0);
  EXPECT_GE(Find(scan, sub + "\\deep", "d.bin"), 0);
  for (const char* f : flagged) EXPECT_GE(Find(scan, sub, f), 0) << f;
  const JunkItem& deep = scan.items[std::max(0, Find(scan, sub + "\\deep", "d.bin"))];
  EXPECT_EQ(deep.size, 1536u);
  EXPECT_EQ(deep.kind, JunkItem::kFile);

  // The folders come in order: Windows temp, user temp, cache, cookies.
  int previous = -1;
  for (const std::string& root : roots) {
    int at = Find(scan, root, name);
    EXPECT_GT(at, previous) << root;
    previous = at;
  }
  EXPECT_EQ(scan.items[std::max(0, inTop)].size, 5u);
  EXPECT_EQ(scan.FoundCount(), static_cast<int>(scan.items.size()));

  // Folders are entered, never listed; each is entered before its files.
  auto entered = std::find(scan.folders.begin(), scan.folders.end(), sub + "\\deep");
  EXPECT_NE(entered, scan.folders.end());
  EXPECT_EQ(Find(scan, userTemp, Tag()), -1);
  EXPECT_EQ(scan.folders.front(), roots[0]);

  for (const std::string& root : roots) DeleteFileA((root + "\\" + name).c_str());
  RemoveTree(sub);
}

TEST(JunkScan, StopEndsTheWalkAtTheNextEntryAndSkipsTheLaterFolders) {
  const std::vector<std::string> roots = JunkScanner::JunkFolders();
  const std::string sub = roots[1] + "\\" + Tag() + "-stop";
  ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(sub + "\\never.txt", "x"));

  RecordingScanner scan;
  scan.stopAt = sub;
  scan.ScanAll();
  EXPECT_TRUE(scan.StopRequested());
  EXPECT_EQ(scan.folders.back(), sub);
  EXPECT_EQ(Find(scan, sub, "never.txt"), -1);
  EXPECT_EQ(std::count(scan.folders.begin(), scan.folders.end(), roots[3]), 0);

  // A stop before the run leaves only the recycle bins, which are not
  // interrupted.
  RecordingScanner early;
  early.RequestStop();
  early.ScanAll();
  EXPECT_TRUE(early.folders.empty());
  for (const JunkItem& item : early.items) EXPECT_EQ(item.kind, JunkItem::kRecycleBin);
  RemoveTree(sub);
}

}  // namespace
