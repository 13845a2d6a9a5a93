#include "network/ip_text.h"

std::string KeepAddressCharacters(const std::string& page) {
  std::string out;
  for (char c : page)
    if ((c >= '0' && c <= '9') || c == '.') out += c;
  return out;
}
