// Feeds arbitrary bytes to the backup reader; every typed entry it returns
// must survive being written again and read back, with and without the
// plain line the writer puts before it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "registry/backup_format.h"

static void Expect(bool ok) {
  if (!ok) std::abort();
}

static std::string TypedLine(const BackupEntry& e) {
  return e.kind == BackupEntry::kKey
             ? FormatTypedKeyLine(e.rootLong, e.keyPath)
             : FormatTypedValueLine(e.rootLong, e.keyPath, e.name, e.type, e.data);
}

static std::string PlainLine(const BackupEntry& e) {
  return e.kind == BackupEntry::kKey ? FormatKeyLine(e.rootLong, e.keyPath)
                                     : FormatValueLine(e.rootLong, e.keyPath, e.name, "text");
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string content(reinterpret_cast<const char*>(data), size);
  for (const BackupEntry& e : ParseBackup(content)) {
    Expect(IsRootLongName(e.rootLong));
    Expect(e.kind == BackupEntry::kValue || (e.name.empty() && e.data.empty()));
    if (!e.typed) continue;
    // The reader drops one leading backslash, so such a path reads back
    // shorter; it is not what the writer is ever given.
    if (!e.keyPath.empty() && e.keyPath[0] == '\\') continue;
    std::vector<BackupEntry> alone = ParseBackup(TypedLine(e));
    Expect(alone.size() == 1 && alone[0] == e);
    std::vector<BackupEntry> paired = ParseBackup(PlainLine(e) + TypedLine(e));
    Expect(paired.size() == 1 && paired[0] == e);
  }
  return 0;
}
