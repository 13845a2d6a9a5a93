#include "framework/site.h"

#include <windows.h>

std::string SiteBase() {
  char buf[512];
  DWORD n = GetEnvironmentVariableA("SPRUCE_SITE", buf, sizeof buf);
  std::string base = (n > 0 && n < sizeof buf) ? std::string(buf, n) : std::string("http://www.spruce.co.kr");
  while (!base.empty() && base.back() == '/') base.pop_back();
  return base;
}

std::string SiteUrl(const char* page) { return SiteBase() + page; }

std::string SiteHost() {
  std::string host = SiteBase();
  const std::string::size_type scheme = host.find("://");
  if (scheme != std::string::npos) host.erase(0, scheme + 3);
  const std::string::size_type end = host.find_first_of(":/");
  if (end != std::string::npos) host.erase(end);
  return host;
}
