#include "framework/helpers.h"

#include "framework/mbstring.h"

std::string FormatSize(int64_t& count) {
  const int64_t kKb = 1024, kMb = kKb * 1024, kGb = kMb * 1024;
  if (count <= kKb) return "Byte";
  if (count <= kMb) { count /= kKb; return "KB"; }
  if (count <= kGb) { count /= kMb; return "MB"; }
  count /= kGb;
  return "GB";
}

std::string OsCodeFor(unsigned long platformId, unsigned long major, unsigned long minor) {
  if (platformId == 2) return major < 5 ? "WNT4" : "W2K";
  if (platformId == 1) {
    if (minor < 10) return "W95";
    if (minor < 90) return "W98";
    return "WME";
  }
  return std::string();
}

void SplitString(const std::string& text, const std::string& delimiter,
                 std::vector<std::string>& out, bool keepEmpty) {
  const std::string delim = delimiter.empty() ? std::string(",") : delimiter;
  std::string::size_type start = 0;
  for (;;) {
    std::string::size_type at = mb::Find(text, delim, start);
    if (at == std::string::npos) break;
    if (at > start || keepEmpty) out.push_back(text.substr(start, at - start));
    start = at + delim.size();
  }
  if (start < text.size()) out.push_back(text.substr(start));
}
