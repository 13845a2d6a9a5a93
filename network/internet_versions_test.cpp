// The internet optimizer under each Windows version, as Wine reports it per
// program: a helper program runs the dialog over a simulated path of MTU
// 1500 (or restores the defaults) and this test reads what landed in the
// registry. Keys the dialog creates are volatile, so they are read while the
// same Wine server runs.
#include <windows.h>

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "network/tuning_values.h"
#include "tests/support/wine_env.h"

using testing_support::BinFolder;
using testing_support::DeleteKeyTree;
using testing_support::RunProcess;

namespace {

const char kHelper[] = "internet_version_probe.exe";
const char kAppDefaults[] = "Software\\Wine\\AppDefaults\\internet_version_probe.exe";
const std::string kClass = tuning::kClass;
const std::string kNetTrans = kClass + "\\NetTrans";
const char kQuestionBox[] = "최적화 설정값을 찾았습니다. 적용하시겠습니까?";
const char kDoneBox[] = "최적화 설정을 완료했습니다.\\n해당 설정을 적용하려면 재부팅을 해야 합니다.";
const char kRestoredBox[] =
    "윈도우 설치 초기값으로 변경을 완료했습니다.\\n해당 설정을 적용하려면 재부팅을 해야 합니다.";

using tuning::Read;

void ExpectString(const std::string& path, const char* name, const std::string& text) {
  tuning::Value v = Read(path, name);
  EXPECT_TRUE(v.present) << path << " " << name;
  EXPECT_EQ(v.type, static_cast<DWORD>(REG_SZ)) << path << " " << name;
  EXPECT_EQ(v.bytes, tuning::SzBytes(text)) << path << " " << name;
}

void ExpectDword(const std::string& path, const char* name, DWORD n) {
  tuning::Value v = Read(path, name);
  EXPECT_TRUE(v.present) << path << " " << name;
  EXPECT_EQ(v.type, static_cast<DWORD>(REG_DWORD)) << path << " " << name;
  EXPECT_EQ(v.bytes, tuning::DwordBytes(n)) << path << " " << name;
}

void ExpectAbsent(const std::string& path, const char* name) {
  EXPECT_FALSE(Read(path, name).present) << path << " " << name;
}

void SetString(const std::string& path, const char* name, const std::string& text) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>(text.size() + 1));
  RegCloseKey(key);
}

bool KeyExists(const std::string& path) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

class InternetVersionsTest : public ::testing::Test {
 protected:
  const std::string tcpip_ = tuning::kTcpip;
  const std::string mstcp_ = tuning::kMstcp;

  void SetUp() override {
    classExisted_ = KeyExists(kClass);
    ASSERT_FALSE(KeyExists(kNetTrans)) << "the prefix is not expected to have NetTrans";
    // Two TCP/IP adapters, and siblings that only look alike or are not TCP/IP.
    SetString(kNetTrans + "\\0000", "DriverDesc", "TCP/IP");
    SetString(kNetTrans + "\\0001", "DriverDesc", "tcp/ip");
    SetString(kNetTrans + "\\0002", "DriverDesc", "NDISWAN");
    SetString(kNetTrans + "\\0003", "DriverDesc", "TCP/IP");
    ClearWrites();
  }

  void TearDown() override {
    ClearWrites();
    if (classExisted_)
      DeleteKeyTree(HKEY_LOCAL_MACHINE, kNetTrans);
    else
      DeleteKeyTree(HKEY_LOCAL_MACHINE, kClass);
    DeleteKeyTree(HKEY_CURRENT_USER, kAppDefaults);
  }

  void ClearWrites() {
    tuning::DeleteAll();
    for (const char* n : {"0000", "0001", "0002", "0003"}) tuning::DeleteValues(kNetTrans + "\\" + n);
  }

  // Runs the helper under Wine's Windows version `version`; returns its
  // output lines.
  std::vector<std::string> RunHelper(const char* version, const char* mode) {
    HKEY key;
    RegCreateKeyExA(HKEY_CURRENT_USER, kAppDefaults, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                    nullptr);
    RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                   static_cast<DWORD>(strlen(version) + 1));
    RegCloseKey(key);
    std::string output;
    const DWORD code = RunProcess("\"" + BinFolder() + "\\" + kHelper + "\" " + mode, BinFolder(),
                                  &output, 180000);
    EXPECT_EQ(code, 0u) << version << " " << mode << "\n" << output;
    std::vector<std::string> lines;
    std::istringstream in(output);
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
    }
    return lines;
  }

  void ExpectSiblingsUntouched() {
    ExpectString(kNetTrans + "\\0001", "DriverDesc", "tcp/ip");
    ExpectString(kNetTrans + "\\0002", "DriverDesc", "NDISWAN");
    ExpectAbsent(kNetTrans + "\\0001", "MaxMTU");
    ExpectAbsent(kNetTrans + "\\0002", "MaxMTU");
  }

  // The values each key must hold afterwards for the tag: mtu, window, ttl.
  void ExpectWritten(const std::string& tag, int mtu, int window, int ttl) {
    SCOPED_TRACE(tag);
    const bool nt = tag == "WNT4" || tag == "WME" || tag == "W2K";
    const bool nine = tag != "WNT4";
    if (nt) {
      ExpectDword(tcpip_, "DefaultRcvWindow", window);
      ExpectDword(tcpip_, "DefaultTTL", ttl);
    } else {
      ExpectAbsent(tcpip_, "DefaultRcvWindow");
      ExpectAbsent(tcpip_, "DefaultTTL");
    }
    for (const char* adapter : {"\\0000", "\\0003"}) {
      if (nine)
        ExpectString(kNetTrans + adapter, "MaxMTU", std::to_string(mtu));
      else
        ExpectAbsent(kNetTrans + adapter, "MaxMTU");
    }
    if (nine) {
      ExpectString(mstcp_, "DefaultRcvWindow", std::to_string(window));
      ExpectString(mstcp_, "DefaultTTL", std::to_string(ttl));
    } else {
      ExpectAbsent(mstcp_, "DefaultRcvWindow");
      ExpectAbsent(mstcp_, "DefaultTTL");
    }
    ExpectAbsent(tcpip_, "MaxMTU");
    ExpectSiblingsUntouched();
  }

  bool classExisted_ = false;
};

TEST_F(InternetVersionsTest, AnMtuOf1500IsWrittenIntoTheKeysOfEachWindowsVersion) {
  const struct {
    const char* version;
    const char* tag;
  } cases[] = {{"win95", "W95"}, {"win98", "W98"}, {"winme", "WME"}, {"nt40", "WNT4"},
               {"winxp", "W2K"}};
  for (const auto& c : cases) {
    ClearWrites();
    const std::vector<std::string> out = RunHelper(c.version, "probe");
    const std::vector<std::string> expected = {std::string("os ") + c.tag,
                                               std::string("box ") + kQuestionBox,
                                               std::string("box ") + kDoneBox};
    EXPECT_EQ(out, expected) << c.version;
    ExpectWritten(c.tag, 1500, 32120, 128);
  }
}

TEST_F(InternetVersionsTest, RestoringTheDefaultsWritesTheValuesWindowsInstallsWith) {
  std::vector<std::string> out = RunHelper("winxp", "restore");
  EXPECT_EQ(out, (std::vector<std::string>{"os W2K", std::string("box ") + kRestoredBox}));
  ExpectWritten("W2K", 1500, 32120, 128);

  // Windows 98 without the MSTCP key: it is created volatile.
  ClearWrites();
  const bool mstcpExisted = KeyExists(mstcp_);
  DeleteKeyTree(HKEY_LOCAL_MACHINE, mstcp_);
  out = RunHelper("win98", "restore");
  EXPECT_EQ(out, (std::vector<std::string>{"os W98", std::string("box ") + kRestoredBox}));
  ExpectWritten("W98", 1500, 8192, 32);
  HKEY child;
  EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, (mstcp_ + "\\lasting").c_str(), 0, nullptr,
                            REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &child, nullptr),
            ERROR_CHILD_MUST_BE_VOLATILE);
  DeleteKeyTree(HKEY_LOCAL_MACHINE, mstcp_);
  if (mstcpExisted) {
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, mstcp_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    &child, nullptr);
    RegCloseKey(child);
  }
}

}  // namespace
