// Shell helpers: a file's associated icon.
#pragma once

#include <windows.h>

#include <string>

namespace common::win
{

// The icon at `index` in the file, or the icon of the program associated with the file when it has
// none, or the system's generic program icon when neither gives one (some systems answer nothing for
// a program without icons). The caller owns the icon (DestroyIcon). nullptr for a name that cannot be
// passed (MAX_PATH or longer, or holding a NUL).
HICON GetAssociatedIcon(const std::u16string &fileName, int index);

} // namespace common::win
