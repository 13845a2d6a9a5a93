#include "registry/ignore_list.h"

#include "framework/mbstring.h"

std::vector<std::string> ParseIgnoreList(const std::string& fileContent) {
  std::vector<std::string> entries;
  std::string::size_type begin = 0;
  while (begin < fileContent.size()) {
    std::string::size_type end = fileContent.find('\n', begin);
    if (end == std::string::npos) end = fileContent.size();
    // Trimming also removes the CR of a CR LF line end.
    entries.push_back(mb::Trim(fileContent.substr(begin, end - begin)));
    begin = end + 1;
  }
  return entries;
}

bool IsIgnoredPath(const std::string& keyPath,
                   const std::vector<std::string>& entries) {
  for (const std::string& entry : entries) {
    if (mb::Contains(keyPath, entry)) return true;
  }
  return false;
}
