#include "registry/dead_path.h"

#include "framework/mbstring.h"

namespace {

// True when byte offset pos starts a character (is not the trail byte of a
// double-byte character).
bool IsCharStart(const std::string& s, std::string::size_type pos) {
  std::string::size_type i = 0;
  while (i < pos) i += (mb::IsLeadByte(s[i]) && i + 1 < s.size()) ? 2 : 1;
  return i == pos;
}

// s cut just before the first occurrence of mark (s itself when absent).
std::string CutAt(const std::string& s, const std::string& mark) {
  std::string::size_type at = mb::Find(s, mark);
  return at == std::string::npos ? s : s.substr(0, at);
}

}  // namespace

bool IsDeadSoftwarePath(const std::string& expanded,
                        const std::function<bool(const std::string&)>& exists) {
  std::string x = mb::Trim(expanded);
  if (x.size() <= 3 || x[1] != ':' || x[2] != '\\') return false;

  // Characters that mark a command line, a list or a URL, not a path.
  for (const char* bad : {"=", "^", "\"", ";", "?", "/"}) {
    if (mb::Contains(x, bad)) return false;
  }
  // A variable the expansion could not resolve: only the part before it is
  // a path we can check.
  x = CutAt(x, "%");
  // A second drive path means the value lists several paths.
  if (mb::Find(x, ":\\", 3) != std::string::npos) return false;
  x = CutAt(x, ",");  // "C:\x.dll,0" - an icon index or an argument
  if (x.empty()) return false;

  x = mb::ToLower(x);
  // "app.exe -switch": drop the switches together with the ".exe", so that
  // the folder-or-program probe below covers both "app" and "app.exe".
  x = CutAt(x, ".exe -");
  if (x.empty()) return false;
  x = mb::Trim(x);
  // Arguments of another form, or a path inside an executable: not handled.
  if (mb::Contains(x, ".exe ") || mb::Contains(x, ".exe\\")) return false;

  if (x.size() > 5 && x.back() == '\\' && IsCharStart(x, x.size() - 1)) {
    x.pop_back();
  }
  if (x.empty()) return false;
  if (exists(x)) return false;

  // No three-letter extension: the value may name a program without ".exe".
  std::string::size_type dot = x.size() - 4;
  bool hasExtension = x.size() > 5 && x[dot] == '.' && IsCharStart(x, dot);
  if (x.size() > 5 && !hasExtension && exists(x + ".exe")) return false;
  return true;
}
