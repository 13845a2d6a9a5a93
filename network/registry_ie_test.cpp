// The internet optimizer's registry class on the real registry of the prefix.
#include "network/registry_ie.h"

#include <gtest/gtest.h>

#include "tests/support/recorder.h"
#include "tests/support/wine_env.h"

using testing_support::DeleteKeyTree;
using testing_support::MessageBoxRecorder;

namespace {

const std::string kRoot = "Software\\SpruceRegistryIETest";

void Plant(const std::string& path) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

struct RegistryIETest : ::testing::Test {
  void SetUp() override { DeleteKeyTree(HKEY_CURRENT_USER, kRoot); }
  void TearDown() override { DeleteKeyTree(HKEY_CURRENT_USER, kRoot); }
  MessageBoxRecorder recorder;
};

TEST_F(RegistryIETest, TheEndOfTheNamesAndAMissingKeyAreNoError) {
  Plant(kRoot + "\\NetTrans\\0000");
  Plant(kRoot + "\\NetTrans\\0001");
  RegistryIE key(HKEY_CURRENT_USER);
  ASSERT_TRUE(key.Open(kRoot));
  std::vector<std::string> names;
  EXPECT_TRUE(key.EnumSubkeys("NetTrans", names));
  EXPECT_EQ(names, (std::vector<std::string>{"0000", "0001"}));
  EXPECT_TRUE(key.EnumSubkeys("Missing", names));
  EXPECT_TRUE(names.empty());
  EXPECT_EQ(recorder.Count(), 0u);
}

TEST_F(RegistryIETest, ANameLongerThanTheBufferStopsTheListWithTheErrorBox) {
  Plant(kRoot + "\\NetTrans\\0000");
  Plant(kRoot + "\\NetTrans\\" + std::string(220, 'L'));
  Plant(kRoot + "\\NetTrans\\Z");
  RegistryIE key(HKEY_CURRENT_USER);
  ASSERT_TRUE(key.Open(kRoot));
  std::vector<std::string> names;
  EXPECT_FALSE(key.EnumSubkeys("NetTrans", names));
  EXPECT_EQ(names, (std::vector<std::string>{"0000"}));
  EXPECT_EQ(key.LastStatus(), ERROR_MORE_DATA);
  ASSERT_EQ(recorder.Count(), 1u);
  const auto box = recorder.Boxes()[0];
  EXPECT_EQ(box.text, "234 RegEnumKeyEx\n.\\RegistryIE 933");
  EXPECT_FALSE(box.caption.empty());  // the system's text for error 234
  EXPECT_EQ(box.style, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
}

TEST_F(RegistryIETest, StringsAreReadTerminatedAndCreatedKeysAreVolatile) {
  Plant(kRoot);
  RegistryIE key(HKEY_CURRENT_USER);
  ASSERT_TRUE(key.Create(kRoot + "\\Made"));
  EXPECT_EQ(key.Path(), kRoot + "\\Made");
  ASSERT_TRUE(key.SetString("DriverDesc", "TCP/IP"));
  EXPECT_EQ(key.LastSize(), 7u);
  // Data stored without its terminator, and data too long for the buffer.
  RegSetValueExA(key.Handle(), "Bare", 0, REG_SZ, reinterpret_cast<const BYTE*>("TCP/IPxx"), 6);
  const std::string longText(250, 'x');
  key.SetString("Long", longText);
  EXPECT_EQ(key.GetString("DriverDesc"), "TCP/IP");
  EXPECT_EQ(key.GetString("Bare"), "TCP/IP");
  EXPECT_EQ(key.GetString("Long"), "");
  ASSERT_TRUE(key.SetDword("DefaultTTL", 128));
  EXPECT_EQ(key.GetString("DefaultTTL"), "");  // not a string

  HKEY child;
  EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (kRoot + "\\Made\\Lasting").c_str(), 0, nullptr,
                            REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &child, nullptr),
            ERROR_CHILD_MUST_BE_VOLATILE);
  // An existing key is opened as it is.
  Plant(kRoot + "\\Kept");
  ASSERT_TRUE(key.Create(kRoot + "\\Kept"));
  EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (kRoot + "\\Kept\\Lasting").c_str(), 0, nullptr,
                            REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &child, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(child);
  EXPECT_EQ(recorder.Count(), 0u);
}

}  // namespace
