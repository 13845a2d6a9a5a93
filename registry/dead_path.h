// The test the registry optimizer applies to a software-path string value:
// does it name a program or folder that is no longer on the disk?
#pragma once
#include <functional>
#include <string>

// expanded: the value's data after environment expansion (not yet trimmed).
// exists(path) reports whether a file or folder exists; it receives the
// candidate path lower-cased (ASCII letters only) and without a trailing
// backslash, and is asked at most twice (the path, then the path + ".exe").
// True: report the value as a dead path. False for anything that is not a
// plain "X:\..." path (command lines with switches, lists, several drive
// paths, unexpanded variables left over) and for any path that exists.
// All searches are CP949-aware: a trail byte never counts as a separator.
bool IsDeadSoftwarePath(const std::string& expanded,
                        const std::function<bool(const std::string&)>& exists);
