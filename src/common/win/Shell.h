// Shell helpers: a file's associated icon.
#pragma once

#include <windows.h>

#include <string>

namespace common::win
{

// The icon at `index` in the file, or the icon of the program associated with the file when it has
// none. The caller owns the icon (DestroyIcon). nullptr on failure.
HICON GetAssociatedIcon(const std::u16string &fileName, int index);

} // namespace common::win
