// The activity log: an optional plain-text trace of program start and end and
// of the registry scan's rules. Off until start-up finds "createlog.dat".
#pragma once
#include <string>

// Non-zero (the initial value) makes every WriteLog return at once.
extern int LoggingDisabled;
// Full path of the log file; empty means "C:\Spruce.log".
extern std::string LogFilePath;

// Appends "<%Y-%m-%d %H:%M:%S> <message>\r\n". A message of 1024 characters
// or more is dropped whole, and every failure is silent. Not thread-safe:
// only one thread may log at a time.
void WriteLog(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
