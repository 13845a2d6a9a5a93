#include "app/registry_key.h"

#include <gtest/gtest.h>

#include "tests/support/wine_env.h"

namespace {

const char* const kBase = "Software\\SpruceTests\\RegistryKey";

class RegistryKeyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing_support::DeleteKeyTree(HKEY_CURRENT_USER, kBase);
    ASSERT_TRUE(key_.CreateKey(kBase));
  }
  void TearDown() override { testing_support::DeleteKeyTree(HKEY_CURRENT_USER, kBase); }
  RegistryKey key_;
};

TEST_F(RegistryKeyTest, OnlyTheFourRootsAreAccepted) {
  EXPECT_TRUE(key_.SetRoot(HKEY_LOCAL_MACHINE));
  EXPECT_FALSE(key_.SetRoot(HKEY_CURRENT_CONFIG));
  EXPECT_EQ(key_.Root(), HKEY_LOCAL_MACHINE);
  EXPECT_TRUE(key_.SetRoot(HKEY_USERS));
  EXPECT_TRUE(key_.SetRoot(HKEY_CLASSES_ROOT));
  EXPECT_TRUE(key_.SetRoot(HKEY_CURRENT_USER));
}

TEST_F(RegistryKeyTest, StringsUpTo254BytesRoundTripLongerOnesDoNot) {
  const std::string s254(254, 'a'), s255(255, 'b');
  EXPECT_TRUE(key_.SetString("v254", s254));
  EXPECT_EQ(key_.GetString("v254", "def"), s254);
  EXPECT_FALSE(key_.SetString("v255", s255));
  EXPECT_EQ(key_.GetValueType("v255"), 0u);  // nothing was written

  // A 255-byte string written by someone else does not fit the buffer.
  HKEY raw;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kBase, 0, KEY_ALL_ACCESS, &raw), ERROR_SUCCESS);
  RegSetValueExA(raw, "long", 0, REG_SZ, reinterpret_cast<const BYTE*>(s255.c_str()), 256);
  DWORD number = 5;
  RegSetValueExA(raw, "dword", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4);
  RegSetValueExA(raw, "expand", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>("%TEMP%\\x"), 9);
  RegCloseKey(raw);
  EXPECT_EQ(key_.GetString("long", "def"), "def");
  EXPECT_EQ(key_.GetString("dword", "def"), "def");
  EXPECT_EQ(key_.GetString("missing", "def"), "def");
  EXPECT_EQ(key_.GetString("expand", "def"), "%TEMP%\\x");  // not expanded
  EXPECT_EQ(key_.GetValueType("dword"), static_cast<DWORD>(REG_DWORD));
}

TEST_F(RegistryKeyTest, OpenFailureKeepsPathAndRecordsStatus) {
  EXPECT_FALSE(key_.Open(std::string(kBase) + "\\missing"));
  EXPECT_EQ(key_.GetPath(), kBase);
  EXPECT_EQ(key_.LastStatus(), ERROR_FILE_NOT_FOUND);
  EXPECT_TRUE(key_.Open(""));
  EXPECT_EQ(key_.GetPath(), "");
  EXPECT_TRUE(key_.Open(std::string(kBase) + "\\made", true));
  EXPECT_EQ(key_.GetPath(), std::string(kBase) + "\\made");
}

TEST_F(RegistryKeyTest, EnumerationAndCounts) {
  std::vector<std::string> names{"stale"};
  EXPECT_TRUE(key_.EnumSubkeys(names));
  EXPECT_TRUE(names.empty());
  EXPECT_EQ(key_.CountSubkeys(), 0);
  EXPECT_EQ(key_.CountValues(), 0);

  RegistryKey other;
  ASSERT_TRUE(other.CreateKey(std::string(kBase) + "\\b"));
  ASSERT_TRUE(other.CreateKey(std::string(kBase) + "\\a"));
  key_.SetString("", "default");
  key_.SetString("named", "x");
  EXPECT_TRUE(key_.EnumSubkeys(names));
  EXPECT_EQ(names.size(), 2u);
  EXPECT_TRUE(key_.EnumValueNames(names));
  EXPECT_EQ(names.size(), 2u);
  EXPECT_EQ(key_.CountSubkeys(), 2);
  EXPECT_EQ(key_.CountValues(), 2);
  EXPECT_TRUE(key_.DeleteValue("named"));
  EXPECT_FALSE(key_.DeleteValue("named"));
  EXPECT_EQ(key_.CountValues(), 1);

  RegistryKey gone;
  gone.Open(std::string(kBase) + "\\a");
  testing_support::DeleteKeyTree(HKEY_CURRENT_USER, std::string(kBase) + "\\a");
  EXPECT_EQ(gone.CountSubkeys(), -1);
  EXPECT_FALSE(gone.EnumSubkeys(names));
}

TEST_F(RegistryKeyTest, KeyExistsUsesObjectRootWhenGivenNone) {
  EXPECT_TRUE(key_.KeyExists(kBase));
  EXPECT_TRUE(key_.KeyExists(kBase, HKEY_CURRENT_USER));
  EXPECT_FALSE(key_.KeyExists(kBase, HKEY_LOCAL_MACHINE));
  key_.SetRoot(HKEY_LOCAL_MACHINE);
  EXPECT_FALSE(key_.KeyExists(kBase));
  EXPECT_TRUE(key_.KeyExists("Software"));
}

}  // namespace
