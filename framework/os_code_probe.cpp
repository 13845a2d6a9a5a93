// Prints GetOsCode() of the Windows version Wine reports for this program.
#include <cstdio>

#include "framework/helpers.h"

int main() {
  std::printf("%s\n", GetOsCode().c_str());
  return 0;
}
