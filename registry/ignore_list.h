// The user's list of registry key paths the optimizer must leave alone.
#pragma once
#include <string>
#include <vector>

// Entries of the ignore-list file: one per line (LF or CR LF ends a line; a
// last line without a line end counts; an empty file has no entries), each
// trimmed of white space at both ends, empty entries kept. Lines are split at
// every LF byte, even one that follows a lead byte: a broken character must
// not swallow the end of its line.
std::vector<std::string> ParseIgnoreList(const std::string& fileContent);

// True when any entry occurs anywhere inside keyPath (case-sensitive,
// CP949-aware: a match never starts on a trail byte). An empty entry occurs
// in every path, so a blank line in the file excludes everything.
bool IsIgnoredPath(const std::string& keyPath,
                   const std::vector<std::string>& entries);
