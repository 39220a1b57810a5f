// File-system helpers that never raise a system dialog and never read more than asked.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace common::win
{

// True when the path's drive can be used. A path that begins with a letter is tested on that
// letter's drive root ("X:\"), with the critical-error dialog for an empty removable drive switched
// off; a path that begins with "\" (UNC or root-relative) is ready; anything else is not.
bool IsDriveReady(const std::u16string &path);

// IsDriveReady, and the path names an existing folder.
bool DirectoryExistsReady(const std::u16string &path);

// IsDriveReady, and the path names an existing file (not a folder).
bool FileExistsReady(const std::u16string &path);

// The whole content of a file, or nothing when it cannot be opened or read or is larger than `limit`
// bytes (in which case nothing beyond its size is looked at).
std::optional<std::string> ReadFileCapped(const std::u16string &path, size_t limit);

// The folder of the running executable, without a trailing backslash.
std::u16string ProgramFolder();

// The same path with every existing component spelled as stored on disk (long names, real letter
// case); the drive part and components that do not exist keep the spelling given.
std::u16string GetTrueCasePath(const std::u16string &path);

// The full path of a file or folder (GetFullPathNameW); the path itself when that fails.
std::u16string FullPath(const std::u16string &path);

} // namespace common::win
