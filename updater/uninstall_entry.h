// The uninstall entry the setup program writes ("프로그램 추가/제거" lists it
// with its DisplayVersion). An upgrade in place makes the programs newer
// than that entry says, so the updater brings the version up to date.
#pragma once
#include <string>

// Sets the entry's DisplayVersion to version when the entry's
// InstallLocation is folder (the upgraded program folder, without a final
// backslash; letter case ignored). An install without an entry (the zip), an
// entry of another folder, or a user without the rights to write the
// machine's keys leaves it as it is: the programs are upgraded either way.
void RecordVersionInUninstallEntry(const std::string& folder, const std::string& version);
