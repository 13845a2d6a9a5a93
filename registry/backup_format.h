// Lines of the registry backup file, written before the optimizer deletes
// anything and read back to restore it.
//
// Each line ends in CR LF. The plain lines are what every version reads:
//   KEY+<root long name>+<key path>
//   VAL+<root long name>+<key path>+<value name>+<data>
// written as they are, without quoting or escaping (an empty name or empty
// data is nothing between the separators). They lose the value type, cannot
// carry CR, LF or NUL, and are ambiguous when a field holds "+". So each plain
// line is followed by a typed companion that older readers skip (they ignore
// any line whose first field is not KEY or VAL):
//   XKEY+<root long name>+<enc(key path)>
//   XVAL+<root long name>+<enc(key path)>+<enc(value name)>+<type>+<enc(raw data)>
// where enc(s) is "x" followed by the bytes of s as upper-case hex (never
// empty, never holds "+", carries any byte) and type is the registry value
// type in decimal (1 REG_SZ, 2 REG_EXPAND_SZ, 3 REG_BINARY, 4 REG_DWORD, ...).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// True for "HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE",
// "HKEY_USERS" and "HKEY_CURRENT_CONFIG" (exact case).
bool IsRootLongName(const std::string& name);

// "KEY+<rootLong>+<keyPath>\r\n".
std::string FormatKeyLine(const std::string& rootLong, const std::string& keyPath);
// "XKEY+<rootLong>+<enc(keyPath)>\r\n"; written right after the KEY line.
std::string FormatTypedKeyLine(const std::string& rootLong, const std::string& keyPath);
// "VAL+<rootLong>+<keyPath>+<name>+<data>\r\n"; data is the value as text.
std::string FormatValueLine(const std::string& rootLong, const std::string& keyPath,
                            const std::string& name, const std::string& data);
// "XVAL+<rootLong>+<enc(keyPath)>+<enc(name)>+<type>+<enc(rawBytes)>\r\n";
// written right after the VAL line. rawBytes are the value's bytes as the
// registry holds them (including any terminating NULs).
std::string FormatTypedValueLine(const std::string& rootLong, const std::string& keyPath,
                                 const std::string& name, uint32_t type,
                                 const std::string& rawBytes);

struct BackupEntry {
  enum Kind { kKey, kValue };
  Kind kind = kKey;
  std::string rootLong;
  std::string keyPath;  // "" for the root key itself
  std::string name;     // value name; "" for the default value and for keys
  bool typed = false;   // read from an XKEY/XVAL line
  uint32_t type = 0;    // value type; 1 (REG_SZ) for a plain VAL line; 0 for keys
  std::string data;     // raw bytes when typed, else the text to store as REG_SZ

  bool operator==(const BackupEntry& o) const {
    return kind == o.kind && rootLong == o.rootLong && keyPath == o.keyPath &&
           name == o.name && typed == o.typed && type == o.type && data == o.data;
  }
  bool operator!=(const BackupEntry& o) const { return !(*this == o); }
};

// The entries of a backup file, in file order. Reading rules:
// - A line ends in CR LF or LF (a CR at the very end of the file also ends
//   it); the last line may lack its end. Lines split at every LF byte.
// - Fields split at every "+" byte (even one after a lead byte: the writer
//   joins bytes, so that is where its separators are).
// - A line whose first field is not KEY, VAL, XKEY or XVAL is ignored.
// - Plain lines keep empty pieces, so positions are exact. KEY needs at least
//   3 pieces: the key path is pieces 3.. joined with "+" again (an empty one
//   stands for the root itself). VAL needs at least 5 pieces: key path,
//   name, then the data as pieces 5.. joined with "+". Fewer pieces or a root
//   other than the five names: ignored.
// - A typed line needs exactly its 3 (XKEY) or 6 (XVAL) fields, a known root,
//   well-formed enc fields (upper- or lower-case hex, even length) and a type
//   of 1 to 10 decimal digits, no leading zero, at most 4294967295.
//   A malformed typed line is ignored; the plain line before it then stands.
// - A well-formed typed line replaces its plain line: the text from a line
//   of the same plain kind up to the typed line, when that text is what the
//   writer puts there for the same key ("KEY+root+path") or value (beginning
//   "VAL+root+path+name+"). The text may span several lines (CR or LF inside
//   a field) and every entry read from it is dropped, so lines inside the
//   data that look like entries, even complete pairs, are not read back.
//   Starts tried, in order: the first plain line after the last companion
//   that replaced one (the writer's layout), the first after the last typed
//   line of any sort (after a malformed companion), the starts of earlier
//   replaced lines, latest first (fake companions inside this line's data
//   took them), and the latest plain line. When none fits, the typed entry
//   is added on its own and the plain entries before it stay.
// - A key path beginning with a backslash loses that first character.
std::vector<BackupEntry> ParseBackup(const std::string& fileContent);
