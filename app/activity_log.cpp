#include "app/activity_log.h"

#include <cstdarg>
#include <cstdio>
#include <ctime>

int LoggingDisabled = 1;
std::string LogFilePath;

void WriteLog(const char* format, ...) {
  if (LoggingDisabled) return;
  char message[1024];
  va_list args;
  va_start(args, format);
  int n = vsnprintf(message, sizeof message, format, args);
  va_end(args);
  if (n < 0 || n >= static_cast<int>(sizeof message)) return;

  const char* path = LogFilePath.empty() ? "C:\\Spruce.log" : LogFilePath.c_str();
  // Binary append: the line carries its own CR LF.
  FILE* file = std::fopen(path, "ab");
  if (!file) return;  // a read-only or locked log drops the line, by design
  char stamp[32];
  std::time_t now = std::time(nullptr);
  std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", std::localtime(&now));
  std::fprintf(file, "%s %s\r\n", stamp, message);
  std::fclose(file);
}
