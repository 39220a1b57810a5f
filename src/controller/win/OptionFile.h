// Reading and changing KV2's INI files (task files, "exe.ini", "KV2.ini") on disk.
//
// Several KV2 instances, of both builds, share "exe.ini" and "KV2.ini". Every change therefore runs
// as one read-modify-write under a lock shared by all of them: the file is read afresh inside the
// lock, only the caller's keys are changed, and the whole file is replaced atomically. So no instance
// loses another's sections, and a crash leaves the old or the new file, never a truncated one.
#pragma once

#include "common/IniDocument.h"

#include <functional>
#include <string>

namespace controller
{

// The file's content; an empty document when the file does not exist. A byte-order mark decides the
// encoding, a file without one is read in the ANSI code page. Raises WinError when the file exists but
// cannot be read.
common::IniDocument LoadIniFile(const std::u16string &path);

// Reads the file, lets `change` edit it and writes it back as UTF-16LE with a byte-order mark, all
// under the shared lock (waited for at most a few seconds). Answers false when the file is held open
// by another program and was left alone. Raises WinError when it cannot be read or written; the file
// is then unchanged.
bool UpdateIniFile(const std::u16string &path, const std::function<void(common::IniDocument &)> &change);

} // namespace controller
