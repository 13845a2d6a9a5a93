// Writes the internet optimizer's TCP/IP values into the keys the running
// Windows version reads (HKEY_LOCAL_MACHINE). A key that cannot be opened or
// created is skipped and the other values are still written; the object
// remembers every value written and whether anything failed, so the caller
// never reports success for writes that a user without administrator rights
// was refused.
#pragma once
#include <string>
#include <vector>

class TcpRegistry {
 public:
  static constexpr const char* kTcpipKey = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\";
  static constexpr const char* kMstcpKey = "System\\CurrentControlSet\\Services\\VxD\\MSTCP\\";
  static constexpr const char* kClassKey = "System\\CurrentControlSet\\Services\\Class\\";
  static constexpr const char* kNetTransKey = "System\\CurrentControlSet\\Services\\Class\\NetTrans\\";

  // osTag: the code of the running Windows ("W95" ... "W2K").
  explicit TcpRegistry(std::string osTag) : osTag_(std::move(osTag)) {}

  // "MaxMTU" (REG_SZ) into every NetTrans adapter whose "DriverDesc" is
  // exactly "TCP/IP" (9x, ME and 2000/XP tags).
  void SetMaxMtu(int mtu);
  // "DefaultRcvWindow" and "DefaultTTL": into the Tcpip key as REG_DWORD,
  // which is the only type the NT stack reads (NT 4, ME and 2000/XP tags),
  // and into the MSTCP key as REG_SZ, as the 9x stack reads them (9x, ME and
  // 2000/XP tags).
  void SetReceiveWindow(int window);
  void SetDefaultTtl(int ttl);

  // False once a key could not be reached (opened, or created) or listed,
  // or a value could not be written.
  bool AllWritten() const { return !failed_; }
  // The values written so far, in order, each as its key path followed by
  // its name ("SYSTEM\...\Parameters\DefaultTTL").
  const std::vector<std::string>& Written() const { return written_; }

 private:
  void SetTcpValue(const char* name, int value);
  void Record(const std::string& keyPath, const char* name, bool written);

  std::string osTag_;
  std::vector<std::string> written_;
  bool failed_ = false;
};
