#include "network/tcp_registry.h"

#include <windows.h>

#include <vector>

#include "network/registry_ie.h"
#include "network/tcp_settings.h"

namespace {

// Opens path, else creates it (volatile), then opens it once more, so the
// key object ends up holding the path it was reached by.
bool Reach(RegistryIE& key, const std::string& path) {
  if (!key.Open(path)) key.Create(path);
  return key.Open(path);
}

}  // namespace

void TcpRegistry::Record(const std::string& keyPath, const char* name, bool written) {
  if (written)
    written_.push_back(keyPath + name);
  else
    failed_ = true;
}

void TcpRegistry::SetMaxMtu(int mtu) {
  if (!TcpKeysFor(osTag_).netTrans) return;
  const std::string text = std::to_string(mtu);
  RegistryIE classKey(HKEY_LOCAL_MACHINE);
  std::vector<std::string> adapters;
  // Adapters that can't be listed or opened may be TCP/IP ones left unset.
  if (!Reach(classKey, kClassKey) || !classKey.EnumSubkeys("NetTrans", adapters)) failed_ = true;
  for (const std::string& adapter : adapters) {
    RegistryIE key(HKEY_LOCAL_MACHINE);
    const std::string path = std::string(kNetTransKey) + adapter;
    if (!Reach(key, path)) {
      failed_ = true;
      continue;
    }
    if (key.GetString("DriverDesc") != "TCP/IP") continue;
    Record(path + "\\", "MaxMTU", Reach(key, path) && key.SetString("MaxMTU", text));
  }
}

void TcpRegistry::SetReceiveWindow(int window) { SetTcpValue("DefaultRcvWindow", window); }

void TcpRegistry::SetDefaultTtl(int ttl) { SetTcpValue("DefaultTTL", ttl); }

void TcpRegistry::SetTcpValue(const char* name, int value) {
  const TcpKeySet keys = TcpKeysFor(osTag_);
  if (keys.tcpip) {
    RegistryIE key(HKEY_LOCAL_MACHINE);
    Record(kTcpipKey, name, Reach(key, kTcpipKey) && key.SetDword(name, static_cast<DWORD>(value)));
  }
  if (keys.mstcp) {
    RegistryIE key(HKEY_LOCAL_MACHINE);
    Record(kMstcpKey, name, Reach(key, kMstcpKey) && key.SetString(name, std::to_string(value)));
  }
}
