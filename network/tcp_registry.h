// Writes the internet optimizer's TCP/IP values into the keys the running
// Windows version reads (HKEY_LOCAL_MACHINE). A key that cannot be opened or
// created is skipped: the writes report nothing.
#pragma once
#include <string>

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

 private:
  void SetTcpValue(const char* name, int value);

  std::string osTag_;
};
