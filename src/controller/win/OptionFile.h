// Reading and changing KV2's INI files (task files, "exe.ini", "KV2.ini") on disk.
//
// Several KV2 instances, of both builds, share "exe.ini" and "KV2.ini". Every change therefore runs
// as one read-modify-write under a lock shared by all of them: the file is read afresh inside the
// lock, only the caller's keys are changed, and the whole file is replaced atomically. So no instance
// loses another's sections, and a crash leaves the old or the new file, never a truncated one.
//
// The lock is a byte-range lock on "Settings.lock" in the data folder (in the saved file's own folder
// before start-up has set the data folder). Only the user's own processes of medium or high integrity
// can open that file, so a sandboxed program can neither hold the lock nor stand in for it, while KV2
// and an elevated KV2A exclude each other. The system releases the lock of a process that dies.
#pragma once

#include "common/IniDocument.h"
#include "common/win/TextFile.h"
#include "ui/PickerPlacement.h"

#include <functional>
#include <string>
#include <utility>

namespace controller
{

using common::win::SaveResult;

// The lock file's name in the data folder.
constexpr char16_t kSettingsLockFileName[] = u"Settings.lock";

// The file's content; an empty document when the file does not exist. A byte-order mark decides the
// encoding, a file without one is read in the ANSI code page. A file held open by another program
// is tried again for about 300 ms. Raises WinError when the file exists but cannot be read
// (common::win::FileHeldError when it is still held).
common::IniDocument LoadIniFile(const std::u16string &path);

// Reads the file, lets `change` edit it and writes it back as UTF-16LE with a byte-order mark, all
// under the shared lock. Answers Held, within about a second and with the file unchanged, when
// another program holds the file open (for reading or for the replace) or another save keeps the
// lock that long; the caller may try again later. Raises WinError when the file cannot be read or
// written for any other reason; the file is then unchanged. `durability` as for SaveTextFile.
SaveResult UpdateIniFile(const std::u16string &path, const std::function<void(common::IniDocument &)> &change,
                         common::win::Durability durability = common::win::Durability::Disk);

// The picker's placement in the settings file at `path` (section "IRunFindWindow"), read with
// LoadIniFile and changed with UpdateIniFile; a save that finds the file held raises WinError
// (ERROR_SHARING_VIOLATION).
class PickerSettingsFile : public ui::PlacementStore
{
  public:
    explicit PickerSettingsFile(std::u16string path) : m_path(std::move(path))
    {
    }

    void LoadPlacement(ui::PickerPlacement &placement) override;
    void SavePlacement(const ui::PickerPlacement &placement) override;
    // True while the file cannot be opened without sharing; a file that does not exist yet has no
    // writer to wait for.
    bool Held() const override;

  private:
    std::u16string m_path;
};

} // namespace controller
