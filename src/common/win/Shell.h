// Shell helpers: the thread's COM apartment, a file's associated icon.
#pragma once

#include <windows.h>

#include <string>

namespace common::win
{

// The single-threaded COM apartment that the shell's objects and some shell functions need, entered
// by the user-interface thread at the first such call: a start needs none before its target runs, and
// entering costs some milliseconds. Every later call does nothing.
void EnterComApartment() noexcept;
// Leaves the apartment when it was entered; for the end of the program.
void LeaveComApartment() noexcept;

// The icon at `index` in the file, or the icon of the program associated with the file when it has
// none, or the system's generic program icon when neither gives one (some systems answer nothing for
// a program without icons). The caller owns the icon (DestroyIcon). nullptr for a name that cannot be
// passed (MAX_PATH or longer, or holding a NUL).
HICON GetAssociatedIcon(const std::u16string &fileName, int index);

} // namespace common::win
