#include "registry/backup_format.h"

namespace {

const char kLineEnd[] = "\r\n";

std::string Encode(const std::string& bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out = "x";
  out.reserve(1 + bytes.size() * 2);
  for (unsigned char c : bytes) {
    out += kHex[c >> 4];
    out += kHex[c & 0x0F];
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The bytes of an enc field; false when the field is not "x" + pairs of hex.
bool Decode(const std::string& field, std::string* bytes) {
  if (field.empty() || field[0] != 'x' || field.size() % 2 != 1) return false;
  bytes->clear();
  bytes->reserve(field.size() / 2);
  for (std::string::size_type i = 1; i < field.size(); i += 2) {
    int hi = HexDigit(field[i]), lo = HexDigit(field[i + 1]);
    if (hi < 0 || lo < 0) return false;
    bytes->push_back(static_cast<char>(hi * 16 + lo));
  }
  return true;
}

// A value type written in canonical decimal, within 32 bits.
bool ParseType(const std::string& field, uint32_t* type) {
  if (field.empty() || field.size() > 10) return false;
  if (field.size() > 1 && field[0] == '0') return false;
  uint64_t v = 0;
  for (char c : field) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + static_cast<uint64_t>(c - '0');
  }
  if (v > 0xFFFFFFFFull) return false;
  *type = static_cast<uint32_t>(v);
  return true;
}

// Every piece between "+" bytes, empty ones included.
std::vector<std::string> SplitFields(const std::string& line) {
  std::vector<std::string> pieces;
  std::string::size_type begin = 0;
  for (;;) {
    std::string::size_type plus = line.find('+', begin);
    if (plus == std::string::npos) break;
    pieces.push_back(line.substr(begin, plus - begin));
    begin = plus + 1;
  }
  pieces.push_back(line.substr(begin));
  return pieces;
}

std::string JoinFrom(const std::vector<std::string>& pieces, std::size_t first) {
  std::string out;
  for (std::size_t i = first; i < pieces.size(); ++i) {
    if (i > first) out += '+';
    out += pieces[i];
  }
  return out;
}

std::string StripLeadingBackslash(const std::string& path) {
  return !path.empty() && path[0] == '\\' ? path.substr(1) : path;
}

std::string FirstField(const std::string& line) {
  return line.substr(0, line.find('+'));
}

bool ParsePlain(const std::string& line, BackupEntry* e) {
  std::vector<std::string> f = SplitFields(line);
  if (f.size() < 3 || !IsRootLongName(f[1])) return false;
  e->rootLong = f[1];
  e->typed = false;
  if (f[0] == "KEY") {
    e->kind = BackupEntry::kKey;
    e->keyPath = StripLeadingBackslash(JoinFrom(f, 2));
    e->type = 0;
    return true;
  }
  if (f[0] != "VAL" || f.size() < 5) return false;
  e->kind = BackupEntry::kValue;
  e->keyPath = StripLeadingBackslash(f[2]);
  e->name = f[3];
  e->type = 1;  // the plain line only ever held string data
  e->data = JoinFrom(f, 4);
  return true;
}

// A well-formed typed line; *plainText receives what the writer put in the
// plain line before it (for a value, only up to the data).
bool ParseTyped(const std::string& line, BackupEntry* e, std::string* plainText) {
  std::vector<std::string> f = SplitFields(line);
  if (f.size() < 3 || !IsRootLongName(f[1])) return false;
  std::string keyPath;
  if (f[0] == "XKEY" && f.size() == 3) {
    if (!Decode(f[2], &keyPath)) return false;
    e->kind = BackupEntry::kKey;
    e->type = 0;
    *plainText = "KEY+" + f[1] + "+" + keyPath;
  } else if (f[0] == "XVAL" && f.size() == 6) {
    if (!Decode(f[2], &keyPath) || !Decode(f[3], &e->name) ||
        !ParseType(f[4], &e->type) || !Decode(f[5], &e->data)) {
      return false;
    }
    e->kind = BackupEntry::kValue;
    *plainText = "VAL+" + f[1] + "+" + keyPath + "+" + e->name + "+";
  } else {
    return false;
  }
  e->rootLong = f[1];
  e->keyPath = StripLeadingBackslash(keyPath);
  e->typed = true;
  return true;
}

struct Line {
  std::string::size_type begin, end;  // the text, without its line end
};

std::vector<Line> SplitLines(const std::string& s) {
  std::vector<Line> lines;
  std::string::size_type begin = 0;
  while (begin < s.size()) {
    std::string::size_type lf = s.find('\n', begin);
    std::string::size_type next = lf == std::string::npos ? s.size() : lf + 1;
    std::string::size_type end = lf == std::string::npos ? s.size() : lf;
    if (end > begin && s[end - 1] == '\r') --end;
    lines.push_back({begin, end});
    begin = next;
  }
  return lines;
}

}  // namespace

bool IsRootLongName(const std::string& name) {
  return name == "HKEY_CLASSES_ROOT" || name == "HKEY_CURRENT_USER" ||
         name == "HKEY_LOCAL_MACHINE" || name == "HKEY_USERS" ||
         name == "HKEY_CURRENT_CONFIG";
}

std::string FormatKeyLine(const std::string& rootLong, const std::string& keyPath) {
  return "KEY+" + rootLong + "+" + keyPath + kLineEnd;
}

std::string FormatTypedKeyLine(const std::string& rootLong, const std::string& keyPath) {
  return "XKEY+" + rootLong + "+" + Encode(keyPath) + kLineEnd;
}

std::string FormatValueLine(const std::string& rootLong, const std::string& keyPath,
                            const std::string& name, const std::string& data) {
  return "VAL+" + rootLong + "+" + keyPath + "+" + name + "+" + data + kLineEnd;
}

std::string FormatTypedValueLine(const std::string& rootLong, const std::string& keyPath,
                                 const std::string& name, uint32_t type,
                                 const std::string& rawBytes) {
  return "XVAL+" + rootLong + "+" + Encode(keyPath) + "+" + Encode(name) + "+" +
         std::to_string(type) + "+" + Encode(rawBytes) + kLineEnd;
}

std::vector<BackupEntry> ParseBackup(const std::string& content) {
  const std::size_t kNone = static_cast<std::size_t>(-1);
  std::vector<Line> lines = SplitLines(content);
  std::vector<BackupEntry> entries;
  std::vector<std::size_t> entryLine;    // the line each entry was read from
  std::vector<std::size_t> replacedFrom;  // first line of each plain line a companion replaced
  // Per kind (key, value): the first plain line since the last companion
  // that replaced one, the first since the last typed line of any sort,
  // and the latest.
  std::size_t afterReplace[2] = {kNone, kNone}, afterTyped[2] = {kNone, kNone},
              latest[2] = {kNone, kNone};

  for (std::size_t j = 0; j < lines.size(); ++j) {
    std::string text = content.substr(lines[j].begin, lines[j].end - lines[j].begin);
    std::string tag = FirstField(text);
    BackupEntry e;
    if (tag == "XKEY" || tag == "XVAL") {
      std::string plainText;
      if (ParseTyped(text, &e, &plainText)) {
        const int kind = e.kind;
        // Whether the text from line k up to this line is the writer's plain
        // line for the same key or value, however many lines it spans.
        auto isPlainLine = [&](std::size_t k) {
          if (k == kNone) return false;
          std::string::size_type from = lines[k].begin, len = lines[j - 1].end - from;
          if (kind == BackupEntry::kKey) return content.compare(from, len, plainText) == 0;
          return len >= plainText.size() && content.compare(from, plainText.size(), plainText) == 0;
        };
        // In the writer's layout the plain line starts right after the last
        // companion; the other candidates cover lost companions and lines
        // inside data that only looked like pairs.
        std::size_t start = kNone;
        if (isPlainLine(afterReplace[kind])) {
          start = afterReplace[kind];
        } else if (isPlainLine(afterTyped[kind])) {
          start = afterTyped[kind];
        }
        for (std::size_t i = replacedFrom.size(); start == kNone && i-- > 0;) {
          if (isPlainLine(replacedFrom[i])) start = replacedFrom[i];
        }
        if (start == kNone && isPlainLine(latest[kind])) start = latest[kind];
        if (start != kNone) {
          while (!entryLine.empty() && entryLine.back() >= start) {
            entryLine.pop_back();
            entries.pop_back();
          }
          while (!replacedFrom.empty() && replacedFrom.back() >= start) replacedFrom.pop_back();
          replacedFrom.push_back(start);
          afterReplace[0] = afterReplace[1] = kNone;
        }
        entries.push_back(e);
        entryLine.push_back(j);
      }
      afterTyped[0] = afterTyped[1] = kNone;
    } else if (tag == "KEY" || tag == "VAL") {
      const int kind = tag == "KEY" ? BackupEntry::kKey : BackupEntry::kValue;
      if (afterReplace[kind] == kNone) afterReplace[kind] = j;
      if (afterTyped[kind] == kNone) afterTyped[kind] = j;
      latest[kind] = j;
      if (ParsePlain(text, &e)) {
        entries.push_back(e);
        entryLine.push_back(j);
      }
    }
  }
  return entries;
}
