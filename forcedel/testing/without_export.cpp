// A library named like ForceDel.dll in the tests, but without its Delete
// export: the tool must say so rather than call into nothing.
#include <windows.h>

extern "C" __declspec(dllexport) int __cdecl Remove(const char*) { return 0; }
