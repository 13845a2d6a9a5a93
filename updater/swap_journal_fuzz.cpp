// Feeds arbitrary bytes to the swap journal's reader: whatever it accepts
// names only plain files of the program folder, none of them the swap's own,
// and is exactly the text the writer makes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "updater/swap_journal.h"
#include "upgrade/version_file.h"

static void Expect(bool ok) {
  if (!ok) std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  SwapJournal journal;
  if (!ParseSwapJournal(text, 40, journal)) return 0;
  Expect(FormatSwapJournal(journal) == text);
  Expect(journal.files.size() <= static_cast<size_t>(kMaxVersionFiles));
  for (const SwapJournal::File& file : journal.files) {
    Expect(CheckListedName(file.name, 40) == FileListProblem::kOk);
    Expect(file.name.find_first_of("\\/:") == std::string::npos);
    for (const std::string& reserved : SwapReservedNames()) Expect(file.name != reserved);
  }
  return 0;
}
