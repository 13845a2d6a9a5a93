#include "framework/mbstring.h"

namespace mb {

std::string::size_type Find(const std::string& text, const std::string& needle,
                            std::string::size_type from) {
  if (from > text.size()) return std::string::npos;
  std::string::size_type i = 0;
  // Walk character by character from the start so that 'from' and every
  // candidate position are known to be character boundaries.
  while (i < from) i += (IsLeadByte(text[i]) && i + 1 < text.size()) ? 2 : 1;
  for (; i + needle.size() <= text.size();
       i += (IsLeadByte(text[i]) && i + 1 < text.size()) ? 2 : 1) {
    if (text.compare(i, needle.size(), needle) == 0) return i;
  }
  return std::string::npos;
}

std::string ToLower(const std::string& text) {
  std::string out = text;
  for (std::string::size_type i = 0; i < out.size(); ++i) {
    unsigned char c = out[i];
    if (IsLeadByte(c)) {
      ++i;  // the trail byte may look like a capital letter; leave it
    } else if (c >= 'A' && c <= 'Z') {
      out[i] = static_cast<char>(c - 'A' + 'a');
    }
  }
  return out;
}

static bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string Trim(const std::string& text) {
  std::string::size_type b = 0, e = text.size();
  while (b < e && IsSpace(text[b])) ++b;
  // A trailing blank can never be a trail byte (those are 0x41 and above).
  while (e > b && IsSpace(text[e - 1])) --e;
  return text.substr(b, e - b);
}

}  // namespace mb
