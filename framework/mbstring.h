// Byte-string helpers that respect the double-byte characters of the ANSI
// code page CP949: a lead byte is 0x81-0xFE and the byte after it is its
// trail byte, which never starts a match and is never case-mapped.
#pragma once
#include <string>

namespace mb {

// True when c is a lead byte of a two-byte CP949 character.
inline bool IsLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

// Offset of the first occurrence of needle in text at or after from, where a
// match may only start on a character boundary; npos when absent. An empty
// needle matches at from (when from is within the text).
std::string::size_type Find(const std::string& text, const std::string& needle,
                            std::string::size_type from = 0);

inline bool Contains(const std::string& text, const std::string& needle) {
  return Find(text, needle) != std::string::npos;
}

// ASCII letters lowered; both bytes of a double-byte character kept as they are.
std::string ToLower(const std::string& text);

// White space (blank, tab, CR, LF, VT, FF) removed at both ends.
std::string Trim(const std::string& text);

}  // namespace mb
