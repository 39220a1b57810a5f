// Reading and changing KV2's INI files (task files, "exe.ini", "KV2.ini", "Restore.ini") on disk.
//
// Several KV2 instances, of both builds, share "exe.ini" and "KV2.ini". Every change therefore runs
// as one read-modify-write under a lock shared by all of them: the file is read afresh inside the
// lock, only the caller's keys are changed, and the whole file is replaced atomically. So no instance
// loses another's sections, and a crash leaves the old or the new file, never a truncated one.
//
// The lock is a byte-range lock on "Settings.lock" in the data folder (in the saved file's own folder
// before start-up has named the data folder). Only the user's own processes of medium or high integrity
// can open that file, so a sandboxed program can neither hold the lock nor stand in for it, while KV2
// and an elevated KV2A exclude each other. The system releases the lock of a process that dies.
#pragma once

#include "common/FileSecurity.h"
#include "common/IniDocument.h"
#include "common/win/TextFile.h"

#include <functional>
#include <optional>
#include <string>

namespace common::win
{

// The SID of this program's user in string form; empty when it cannot be read.
std::u16string OwnUserSid();

// The file's owner and mandatory label as the system reports them; none when they cannot be read.
std::optional<FileSecurity> ReadFileSecurity(const std::u16string &path);

// Gives the file the owner and the mandatory label that `sddl` holds; false when the system refuses.
bool SetFileOwnerAndLabel(const std::u16string &path, const std::u16string &sddl);

// The lock file's name in the data folder.
constexpr char16_t kSettingsLockFileName[] = u"Settings.lock";

// The folder of the lock file from now on (the data folder, ending with a backslash), named by start-up
// once; before, the lock file is looked for beside the saved file. The text is read at every save, so it
// lives as long as the program.
void SetSettingsLockFolder(const std::u16string &folder) noexcept;

// When the file is missing but a save's backup of it is there (a save between its two renames):
// waits for the save lock, at most about a second, so that a save under way ends; then puts back the
// old file that a save of a process no longer running left under its backup name.
void AwaitInterruptedSave(const std::u16string &path);

// The file's content (after AwaitInterruptedSave); an empty document when the file does not exist. A
// byte-order mark decides the encoding, a file without one is read in the ANSI code page. A file held open by
// another program is tried again for about 300 ms. Raises WinError when the file exists but cannot be read
// (FileHeldError when it is still held).
common::IniDocument LoadIniFile(const std::u16string &path);

// Reads the file, lets `change` edit it and writes it back as UTF-16LE with a byte-order mark, all
// under the shared lock; a change that leaves the content as it was writes nothing. Answers Held, within
// about a second and with the file unchanged, when another program holds the file open (for reading or for
// the replace) or another save keeps the lock that long; the caller may try again later. Raises WinError when
// the file cannot be read or written for any other reason; the file is then unchanged. `durability` as for
// SaveTextFile.
SaveResult UpdateIniFile(const std::u16string &path, const std::function<void(common::IniDocument &)> &change,
                         Durability durability = Durability::Disk);

} // namespace common::win
