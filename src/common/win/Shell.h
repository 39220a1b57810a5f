// Shell helpers: a file's associated icon and opening a file with its default verb.
#pragma once

#include <windows.h>

#include <string>

namespace common::win
{

// The icon at `index` in the file, or the icon of the program associated with the file when it has
// none. The caller owns the icon (DestroyIcon). nullptr on failure.
HICON GetAssociatedIcon(const std::u16string &fileName, int index);

// ShellExecuteW with the default verb. Answers the shell's value: greater than 32 on success.
INT_PTR ShellOpen(HWND owner, const std::u16string &file, const std::u16string &parameters,
                  const std::u16string &directory, int showCommand);

} // namespace common::win
