// hold_file PATH: holds PATH open (creating it) for reading and writing,
// sharing only reading, as a program that locks its document does. Ends as
// soon as its handle has been closed from outside (exit code 3), or after
// two minutes (exit code 0); exit code 2 when PATH cannot be opened.
//
// hold_file PATH share-all: holds the existing PATH open for reading,
// sharing everything, as a viewer does, and says so by creating PATH.ready.
// Ends when PATH.done appears: code 0 when its handle still reads the file,
// 3 when the handle was closed from outside, 4 when it no longer reads; 5
// after two minutes.
#include <windows.h>

#include <string>

namespace {

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

int HoldLocked(const char* path) {
  HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
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

int HoldShared(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 2;
  HANDLE ready = CreateFileA((path + ".ready").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
  if (ready == INVALID_HANDLE_VALUE) return 2;
  CloseHandle(ready);
  DWORD flags = 0;
  for (int i = 0; i < 2400; ++i) {
    if (!GetHandleInformation(file, &flags)) return 3;
    if (Exists(path + ".done")) {
      char first = 0;
      DWORD got = 0;
      const bool read = SetFilePointer(file, 0, nullptr, FILE_BEGIN) == 0 &&
                        ReadFile(file, &first, 1, &got, nullptr) && got == 1;
      CloseHandle(file);
      return read ? 0 : 4;
    }
    Sleep(50);
  }
  CloseHandle(file);
  return 5;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 1;
  if (argc > 2 && std::string(argv[2]) == "share-all") return HoldShared(argv[1]);
  return HoldLocked(argv[1]);
}
