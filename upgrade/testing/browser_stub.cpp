// A stand-in for the web browser in the test prefix: appends its command
// line to the file named by SPRUCE_BROWSER_LOG and ends.
#include <windows.h>

#include <cstdio>

int main() {
  char log[MAX_PATH];
  DWORD n = GetEnvironmentVariableA("SPRUCE_BROWSER_LOG", log, sizeof log);
  if (n == 0 || n >= sizeof log) return 1;
  FILE* file = std::fopen(log, "ab");
  if (!file) return 1;
  std::fprintf(file, "%s\n", GetCommandLineA());
  std::fclose(file);
  return 0;
}
