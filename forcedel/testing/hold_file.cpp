// hold_file PATH: holds PATH open (creating it) for reading and writing,
// sharing only reading, as a program that locks its document does. Ends as
// soon as its handle has been closed from outside (exit code 3), or after
// two minutes (exit code 0); exit code 2 when PATH cannot be opened.
#include <windows.h>

int main(int argc, char** argv) {
  if (argc < 2) return 1;
  HANDLE file = CreateFileA(argv[1], GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 2;
  DWORD flags = 0;
  for (int i = 0; i < 2400; ++i) {
    if (!GetHandleInformation(file, &flags)) return 3;
    Sleep(50);
  }
  CloseHandle(file);
  return 0;
}
