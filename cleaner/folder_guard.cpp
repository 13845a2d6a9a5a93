#include "cleaner/folder_guard.h"

#include "framework/mbstring.h"

#include <vector>

namespace {

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// True when inner lies at or below outer (both keys).
bool IsAtOrBelow(const std::string& inner, const std::string& outer) {
  if (inner.compare(0, outer.size(), outer) != 0) return false;
  const bool driveRoot = outer.size() == 3 && outer[1] == ':';
  return inner.size() == outer.size() || driveRoot || inner[outer.size()] == '\\';
}

// FolderKey, with the length of its root ("c:\\" or "\\\\server\\share").
std::string KeyOf(const std::string& folder, size_t& rootLength) {
  const std::string lowered = mb::ToLower(folder);
  // Split into components at the real separators: a trail byte may be 0x5C
  // ('\') or 0x2F ('/') and belongs to its character.
  std::vector<std::string> parts(1);
  for (size_t i = 0; i < lowered.size(); ++i) {
    const char c = lowered[i];
    if (mb::IsLeadByte(static_cast<unsigned char>(c)) && i + 1 < lowered.size()) {
      parts.back() += c;
      parts.back() += lowered[++i];
    } else if (c == '\\' || c == '/') {
      parts.emplace_back();
    } else {
      parts.back() += c;
    }
  }
  std::string key;
  size_t first;  // the first component after the root
  if (parts.size() >= 2 && parts[0].size() == 2 && IsAsciiLetter(parts[0][0]) &&
      parts[0][1] == ':') {
    key = parts[0] + "\\";
    first = 1;
    rootLength = key.size();
  } else if (parts.size() >= 3 && parts[0].empty() && parts[1].empty() && !parts[2].empty()) {
    if (parts.size() == 3 || parts[3].empty()) {
      rootLength = std::string::npos;  // a server without a share: a root
      return "\\\\" + parts[2];
    }
    key = "\\\\" + parts[2] + "\\" + parts[3];
    first = 4;
    rootLength = key.size();
  } else {
    return std::string();
  }
  for (size_t i = first; i < parts.size(); ++i) {
    // "." and ".." would let a path name a folder it does not spell.
    if (parts[i] == "." || parts[i] == "..") return std::string();
    if (parts[i].empty()) continue;  // doubled or trailing separators
    if (key.size() != rootLength || first != 1) key += '\\';  // "c:\\" has its own
    key += parts[i];
  }
  return key;
}

}  // namespace

std::string FolderKey(const std::string& folder) {
  size_t rootLength = 0;
  return KeyOf(folder, rootLength);
}

bool IsGuardedFolder(const std::string& folder, const std::vector<std::string>& protectedFolders) {
  size_t rootLength = 0;
  const std::string key = KeyOf(folder, rootLength);
  if (key.empty() || key.size() <= rootLength) return true;
  for (const std::string& p : protectedFolders) {
    const std::string guarded = FolderKey(p);
    if (!guarded.empty() && IsAtOrBelow(guarded, key)) return true;
  }
  return false;
}
