#include "cleaner/backup_slots.h"

#include <cstdio>

#include "framework/mbstring.h"

namespace diskclean {
namespace {

constexpr std::string::size_type kStatusBytes = 60;

bool EndsWithTxt(const std::string& name) {
  if (name.size() < 4) return false;
  std::string tail = mb::ToLower(name.substr(name.size() - 4));
  return tail == ".txt";
}

}  // namespace

int SlotOfFileName(const std::string& name) {
  if (name.compare(0, 5, "disk-") != 0 || name.size() < 9 || !EndsWithTxt(name)) return 0;
  char digit = name[name.size() - 5];
  if (digit < '0' + kFirstSlot || digit > '0' + kLastSlot) return 0;
  return digit - '0';
}

int SlotFromIndexText(const std::string& text) {
  std::string::size_type i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long value = 0;
  bool digits = false;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    digits = true;
    // Any value past 3 is out of range anyway; stop growing it before it could overflow.
    if (value < 1000) value = value * 10 + (text[i] - '0');
  }
  if (!digits || negative || value < kFirstSlot || value > kLastSlot) return kFirstSlot;
  return static_cast<int>(value);
}

int NextSlot(int slot) { return slot >= kLastSlot || slot < kFirstSlot ? kFirstSlot : slot + 1; }

std::string StampText(int year, int month, int day, int hour, int minute, int second) {
  char buf[96];
  std::snprintf(buf, sizeof buf, "%04d년%02d월%02d일-%02d시%02d분%02d초", year, month, day, hour,
                minute, second);
  return buf;
}

std::string ListFileName(const std::string& stamp, int slot) {
  return "disk-" + stamp + "-" + std::to_string(slot) + ".txt";
}

std::string FileLine(const std::string& path, const std::string& name) {
  return path + "\\" + name + "\r\n";
}

std::string RecycleBinLine(const std::string& path, const std::string& name,
                           const std::string& size) {
  return path + " " + name + "(" + size + ")\r\n";
}

std::string StatusText(const std::string& folder) {
  if (folder.size() <= kStatusBytes) return folder;
  std::string::size_type cut = 0;
  while (cut < kStatusBytes) {
    std::string::size_type step = mb::IsLeadByte(static_cast<unsigned char>(folder[cut])) ? 2 : 1;
    if (cut + step > kStatusBytes) break;
    cut += step;
  }
  return folder.substr(0, cut) + "...";
}

}  // namespace diskclean
