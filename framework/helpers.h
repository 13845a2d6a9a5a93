// Small shared helpers: size text, Windows version code, string splitting.
// Pure code: no <windows.h>.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Scales count to its unit and returns the unit name: at most 1024 (also zero
// and negative counts) "Byte" unchanged; up to 1,048,576 "KB"; up to
// 1,073,741,824 "MB"; above that "GB". Truncating signed division, so 1536
// bytes read "1 KB". Callers print the pair with "%I64d %s".
std::string FormatSize(int64_t& count);

// The short code of a Windows version: platform 2 (NT line) "WNT4" below major
// version 5, else "W2K"; platform 1 (95/98/ME) "W95" below minor version 10,
// "W98" below 90, else "WME"; anything else empty.
std::string OsCodeFor(unsigned long platformId, unsigned long major, unsigned long minor);

// The code of the running Windows (GetVersionExA); Windows builds only.
std::string GetOsCode();

// Splits text at every occurrence of delimiter ("," when empty), appending
// the pieces to out. The search respects CP949 double-byte characters. Empty
// pieces are appended only with keepEmpty; an empty remainder never is.
void SplitString(const std::string& text, const std::string& delimiter,
                 std::vector<std::string>& out, bool keepEmpty);
