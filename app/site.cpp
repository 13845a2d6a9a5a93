#include "app/site.h"

#include <windows.h>

std::string SiteBase() {
  char buf[512];
  DWORD n = GetEnvironmentVariableA("SPRUCE_SITE", buf, sizeof buf);
  std::string base = (n > 0 && n < sizeof buf) ? std::string(buf, n) : std::string("http://www.spruce.co.kr");
  while (!base.empty() && base.back() == '/') base.pop_back();
  return base;
}

std::string SiteUrl(const char* page) { return SiteBase() + page; }
