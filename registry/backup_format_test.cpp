#include "registry/backup_format.h"

#include <gtest/gtest.h>

#include <ostream>

// Readable failure messages (found by argument-dependent lookup).
static void PrintTo(const BackupEntry& e, std::ostream* os) {
  *os << (e.kind == BackupEntry::kKey ? "key " : "value ") << e.rootLong << " [" << e.keyPath
      << "] [" << e.name << "] typed=" << e.typed << " type=" << e.type << " data.size=" << e.data.size();
}

namespace {

const std::string kLm = "HKEY_LOCAL_MACHINE";
using Entries = std::vector<BackupEntry>;

BackupEntry Key(const std::string& path, bool typed, const std::string& root = kLm) {
  BackupEntry e;
  e.rootLong = root, e.keyPath = path, e.typed = typed;
  return e;
}

BackupEntry Val(const std::string& path, const std::string& name, const std::string& data,
                bool typed = false, uint32_t type = 1, const std::string& root = kLm) {
  BackupEntry e;
  e.kind = BackupEntry::kValue;
  e.rootLong = root, e.keyPath = path, e.name = name, e.data = data, e.typed = typed, e.type = type;
  return e;
}

TEST(BackupFormat, WritesLinesByteForByte) {
  EXPECT_EQ(FormatKeyLine(kLm, "SOFTWARE\\App"), "KEY+HKEY_LOCAL_MACHINE+SOFTWARE\\App\r\n");
  EXPECT_EQ(FormatValueLine(kLm, "SOFTWARE\\App", "Path", "C:\\App"),
            "VAL+HKEY_LOCAL_MACHINE+SOFTWARE\\App+Path+C:\\App\r\n");
  EXPECT_EQ(FormatValueLine("HKEY_CLASSES_ROOT", ".xyz", "", "X"), "VAL+HKEY_CLASSES_ROOT+.xyz++X\r\n");
  EXPECT_EQ(FormatValueLine(kLm, "K", "N", ""), "VAL+HKEY_LOCAL_MACHINE+K+N+\r\n");
  EXPECT_EQ(FormatTypedKeyLine(kLm, "S\\A"), "XKEY+HKEY_LOCAL_MACHINE+x535C41\r\n");
  EXPECT_EQ(FormatTypedValueLine("HKEY_USERS", "K", "", 4294967295u, std::string("\1\0\xAB\xFF", 4)),
            "XVAL+HKEY_USERS+x4B+x+4294967295+x0100ABFF\r\n");
  EXPECT_TRUE(IsRootLongName("HKEY_CURRENT_CONFIG"));
  EXPECT_FALSE(IsRootLongName("hkey_users"));
}

TEST(BackupFormat, TypedLinesRoundTripAnyBytes) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  const std::string hostile("a+b\r\n\0c\xFF+\nXVAL", 14), big(300, '\xB0');
  for (const std::string& s : {std::string(), std::string("\x2A\0\0\0", 4), hostile, big, all}) {
    const Entries value{Val(s, s, s, true, 7)}, key{Key(s, true)};
    EXPECT_EQ(ParseBackup(FormatTypedValueLine(kLm, s, s, 7, s)), value);
    // With its plain line before it, even one broken over several lines.
    EXPECT_EQ(ParseBackup(FormatValueLine(kLm, s, s, "text") + FormatTypedValueLine(kLm, s, s, 7, s)), value);
    EXPECT_EQ(ParseBackup(FormatKeyLine(kLm, s) + FormatTypedKeyLine(kLm, s)), key);
  }
}

TEST(BackupFormat, CompanionReplacesOnlyItsOwnPlainLine) {
  std::string file = FormatKeyLine(kLm, "A") + FormatTypedKeyLine(kLm, "A") +
                     FormatValueLine(kLm, "A", "V", "1") + FormatTypedValueLine(kLm, "A", "V", 4, "\1") +
                     FormatValueLine(kLm, "A+B", "Old", "no companion") +
                     FormatKeyLine(kLm, "B") + FormatTypedKeyLine(kLm, "B") +
                     FormatKeyLine(kLm, "C") + FormatTypedKeyLine(kLm, "Other");
  EXPECT_EQ(ParseBackup(file), (Entries{Key("A", true), Val("A", "V", "\1", true, 4), Val("A", "B", "Old+no companion"),
                                        Key("B", true), Key("C", false), Key("Other", true)}));
  // A "+" in the key path shifts the plain reading; data with line breaks
  // must not leave lines inside it behind as entries.
  const std::string evil = FormatValueLine(kLm, "SOFTWARE", "Evil", "x");
  for (const std::string& data : {"one\r\n" + evil + "two",
                                  // complete fake pairs, one naming this value
                                  "\r\n" + FormatTypedValueLine(kLm, "A", "B", 1, "") + evil +
                                      FormatTypedValueLine(kLm, "SOFTWARE", "Evil", 1, "x") + evil}) {
    file = FormatValueLine(kLm, "A", "B+N", data) + FormatTypedValueLine(kLm, "A", "B+N", 1, data) +
           FormatKeyLine(kLm, "Z") + FormatTypedKeyLine(kLm, "Z");
    EXPECT_EQ(ParseBackup(file), (Entries{Val("A", "B+N", data, true), Key("Z", true)}));
  }
}

TEST(BackupFormat, MalformedCompanionFallsBackToPlainLine) {
  const std::string plain = FormatValueLine(kLm, "K", "N", "text");
  for (const char* bad : {"x4B+x4E+1+x4", "x4B+x4E+1+x4G", "x4B+x4E+1+", "4B+x4E+1+x41", "x4B+x4E+x41",
                          "x4B+x4E+1+x41+x", "x4B+x4E++x41", "x4B+x4E+-1+x41", "x4B+x4E+01+x41",
                          "x4B+x4E+4294967296+x41", "x4B+x4E+1+x41 "}) {
    EXPECT_EQ(ParseBackup(plain + "XVAL+HKEY_LOCAL_MACHINE+" + bad + "\r\n"), Entries{Val("K", "N", "text")}) << bad;
  }
  EXPECT_EQ(ParseBackup(plain + "XVAL+HKLM+x4B+x4E+1+x41"), Entries{Val("K", "N", "text")});
  // The next pair still finds its own plain line.
  std::string file = FormatKeyLine(kLm, "K") + "XKEY+HKEY_LOCAL_MACHINE+x4\r\n" +
                     FormatValueLine(kLm, "K", "M", "") + FormatTypedValueLine(kLm, "K", "M", 3, "\1");
  EXPECT_EQ(ParseBackup(file), (Entries{Key("K", false), Val("K", "M", "\1", true, 3)}));
}

TEST(BackupFormat, ReadsOldFilesByFieldPosition) {
  const std::string file =
      "KEY+HKEY_CURRENT_USER+\\Software\\B\n"        // leading backslash, LF only
      "KEY+HKEY_CURRENT_USER+\r\n"                   // the root itself
      "KEY+HKEY_CURRENT_USER+Soft+ware\r\n"
      "VAL+HKEY_CLASSES_ROOT+.xyz++X\r\n"            // default value
      "VAL+HKEY_CLASSES_ROOT+.xyz+Name+\r\n"         // empty data
      "VAL+HKEY_CLASSES_ROOT+.xyz++\r\n"
      "VAL+HKEY_CLASSES_ROOT+\\\\.abc+N+a+b++c\r\n"  // data with "+"
      "VAL+HKEY_CLASSES_ROOT+.xyz+N\r\nVAL+HKEY_CLASSES_ROOT+.xyz\r\nKEY+HKEY_CLASSES_ROOT\r\n"
      "KEY+HKLM+Software\r\nkey+HKEY_USERS+K\r\n# note\r\n\r\n+++\r\nKEYS+HKEY_USERS+K\r\n"
      "VAL+HKEY_USERS+K+N+a\rb";                     // lone CR is data; no line end
  const std::string cr = "HKEY_CLASSES_ROOT";
  EXPECT_EQ(ParseBackup(file),
            (Entries{Key("Software\\B", false, "HKEY_CURRENT_USER"), Key("", false, "HKEY_CURRENT_USER"),
                     Key("Soft+ware", false, "HKEY_CURRENT_USER"), Val(".xyz", "", "X", false, 1, cr),
                     Val(".xyz", "Name", "", false, 1, cr), Val(".xyz", "", "", false, 1, cr),
                     Val("\\.abc", "N", "a+b++c", false, 1, cr), Val("K", "N", "a\rb", false, 1, "HKEY_USERS")}));
  EXPECT_EQ(ParseBackup(FormatTypedKeyLine(kLm, "\\K")), Entries{Key("K", true)});
  EXPECT_EQ(ParseBackup("XVAL+HKEY_LOCAL_MACHINE+x4b+x+3+xabff\r"), Entries{Val("K", "", "\xAB\xFF", true, 3)});
}

TEST(BackupFormat, HostileInputIsHandled) {
  EXPECT_TRUE(ParseBackup(std::string(1 << 20, '+')).empty());
  EXPECT_TRUE(ParseBackup("XVAL+HKEY_USERS+x" + std::string(1 << 20, 'F')).empty());
  Entries big = ParseBackup("XVAL+HKEY_USERS+x4B+x+1+x" + std::string(1 << 20, 'A'));
  ASSERT_EQ(big.size(), 1u);
  EXPECT_EQ(big[0].data, std::string(1 << 19, '\xAA'));
  std::string many;
  for (int i = 0; i < 20000; ++i) many += "VAL+HKEY_USERS+K+N+\n";
  EXPECT_EQ(ParseBackup(many + FormatTypedValueLine("HKEY_USERS", "K", "M", 1, "")).size(), 20001u);
}

}  // namespace
