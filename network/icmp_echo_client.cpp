#include "network/icmp_echo_client.h"

#include <winsock2.h>
#include <ipexport.h>

#include <string>
#include <vector>

namespace {

constexpr BYTE kPayloadByte = 'E';

// The address of host: a dotted address as it is, else the first address
// its name resolves to. False when it does not resolve.
bool ResolveHost(const std::string& host, ULONG& address) {
  address = inet_addr(host.c_str());
  if (address != INADDR_NONE) return true;
  const hostent* entry = gethostbyname(host.c_str());
  if (!entry || entry->h_addrtype != AF_INET || entry->h_length != 4 || !entry->h_addr_list[0])
    return false;
  memcpy(&address, entry->h_addr_list[0], 4);
  return true;
}

// True when the reply's data lies inside the buffer and is all 'E'; a reply
// without data passes.
bool ReplyDataIsOurs(const ICMP_ECHO_REPLY& reply, const std::vector<BYTE>& buffer) {
  if (reply.DataSize == 0) return true;
  const BYTE* data = static_cast<const BYTE*>(reply.Data);
  const BYTE* begin = buffer.data();
  const BYTE* end = begin + buffer.size();
  if (data < begin || data > end || static_cast<size_t>(end - data) < reply.DataSize) return false;
  for (USHORT i = 0; i < reply.DataSize; ++i)
    if (data[i] != kPayloadByte) return false;
  return true;
}

// The entry point name of library as the function type of target.
template <class Function>
void Bind(HMODULE library, const char* name, Function& target) {
  target = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

}  // namespace

IcmpEchoClient::IcmpEchoClient() {
  if (!LoadFrom("Iphlpapi.dll")) LoadFrom("ICMP.DLL");
}

IcmpEchoClient::~IcmpEchoClient() {
  if (library_) FreeLibrary(library_);
}

bool IcmpEchoClient::LoadFrom(const char* libraryName) {
  // From the system folder only: a library of that name in the program's
  // folder or the current folder is never picked up.
  char folder[MAX_PATH];
  const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  HMODULE library = LoadLibraryA((std::string(folder) + "\\" + libraryName).c_str());
  if (!library) return false;
  Bind(library, "IcmpCreateFile", create_);
  Bind(library, "IcmpSendEcho", send_);
  Bind(library, "IcmpCloseHandle", close_);
  if (!create_ || !send_ || !close_) {
    FreeLibrary(library);
    create_ = nullptr;
    send_ = nullptr;
    close_ = nullptr;
    return false;
  }
  library_ = library;
  return true;
}

bool IcmpEchoClient::Echo(const std::string& host, EchoReply& reply, uint8_t ttl,
                          uint32_t timeoutMs, uint16_t payload, uint8_t typeOfService,
                          bool dontFragment) {
  if (!library_) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return false;
  }
  ULONG address = 0;
  if (!ResolveHost(host, address)) return false;
  HANDLE icmp = create_();
  if (icmp == INVALID_HANDLE_VALUE) return false;

  std::vector<BYTE> request(payload, kPayloadByte);
  IP_OPTION_INFORMATION options = {};
  options.Ttl = ttl;
  options.Tos = typeOfService;
  options.Flags = dontFragment ? IP_FLAG_DF : 0;
  // Room for the reply record and the echoed data (at least 8 bytes), plus
  // the 8 bytes of an ICMP error message the system asks room for.
  std::vector<BYTE> buffer((payload > 8 ? payload : 8) + sizeof(ICMP_ECHO_REPLY) + 8);
  const DWORD replies = send_(icmp, address, request.empty() ? nullptr : request.data(), payload,
                              &options, buffer.data(), static_cast<DWORD>(buffer.size()),
                              timeoutMs);
  const DWORD sendError = GetLastError();
  ICMP_ECHO_REPLY echo;
  memcpy(&echo, buffer.data(), sizeof echo);
  bool ok = replies == 1;
  DWORD error = sendError;
  if (ok && !ReplyDataIsOurs(echo, buffer)) {
    ok = false;
    error = ERROR_UNEXP_NET_ERR;
  }
  close_(icmp);
  SetLastError(error);
  if (!ok) return false;
  reply.address = echo.Address;
  reply.roundTripMs = echo.RoundTripTime;
  reply.status = echo.Status;
  return true;
}
