// The registry backup file of a deletion run: one file per run in the
// program's backup folder, named by the local time the run started, which
// the restore dialog lists and replays. Every tool that deletes registry
// entries writes each entry's lines (registry/backup_format.h) here, and
// forces them to the disk, before it deletes the entry.
#pragma once
#include <windows.h>

#include <string>

#include "framework/raii.h"

// The file name for a local time: "%Y년%m월%d일-%H시%M분%S초.reg".
std::string BackupFileName(const SYSTEMTIME& time);

// Creates the backup folder (ProgramFolder() + "/backup") when it is missing
// and opens the file of the current local time for appending: a run within
// the same second as an earlier one adds its lines after those of the
// earlier run, so no backup is ever emptied. Empty when the file can't be
// created or positioned at its end; the caller then deletes nothing.
fw::UniqueHandle OpenBackupFile();

// Appends lines to the file and forces them to the disk. False when they
// are not all written: the entry they describe must then stay.
bool AppendBackupLines(HANDLE file, const std::string& lines);

// A value's type and bytes exactly as the registry holds them, whatever
// their size. False when the value can't be read (gone, no rights).
bool ReadRawValue(HKEY key, const std::string& name, DWORD& type, std::string& bytes);

// The text RegistryKey::GetString gives for a value of this type and bytes:
// REG_SZ / REG_EXPAND_SZ data that fits its 255-byte buffer, up to the
// first NUL; empty for every other value. It is what a plain backup line
// and the lists show.
std::string RegistryStringText(DWORD type, const std::string& bytes);
