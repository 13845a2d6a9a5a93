// The system's ICMP echo functions, loaded at run time: Windows 95 and NT 4
// have them in ICMP.DLL, later systems in Iphlpapi.dll, and a program that
// imported them statically would not start where they are missing.
#pragma once
#include <windows.h>

#include "network/echo_sender.h"

class IcmpEchoClient : public EchoSender {
 public:
  // Loads "Iphlpapi.dll" from the system folder, else "ICMP.DLL" from there;
  // a library missing any of the three functions counts as missing. When
  // neither loads the client is empty and every echo fails.
  IcmpEchoClient();
  ~IcmpEchoClient() override;
  IcmpEchoClient(const IcmpEchoClient&) = delete;
  IcmpEchoClient& operator=(const IcmpEchoClient&) = delete;

  bool Loaded() const { return library_ != nullptr; }

  // Sends one echo whose payload is payload bytes of 'E'. Fails with the
  // last error ERROR_CALL_NOT_IMPLEMENTED when the client is empty, and with
  // ERROR_UNEXP_NET_ERR when the reply's data is not what was sent; an
  // unresolvable host, a handle that cannot be opened and no reply (or more
  // than one) fail too.
  bool Echo(const std::string& host, EchoReply& reply, uint8_t ttl, uint32_t timeoutMs,
            uint16_t payload, uint8_t typeOfService, bool dontFragment) override;

 private:
  bool LoadFrom(const char* libraryName);

  HMODULE library_ = nullptr;
  HANDLE(WINAPI* create_)() = nullptr;
  DWORD(WINAPI* send_)(HANDLE, ULONG, LPVOID, WORD, void*, LPVOID, DWORD, DWORD) = nullptr;
  BOOL(WINAPI* close_)(HANDLE) = nullptr;
};
