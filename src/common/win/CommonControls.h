// The common controls (tool tips), loaded when a window first needs them rather than with the program:
// most runs never show a window that has one, and loading the library sets up the visual styles.
#pragma once

#include <windows.h>

namespace common::win
{

// Loads the common controls once for the life of the process and registers the control classes named
// by `classes` (ICC_* flags). False when the library or its classes are not available.
bool LoadCommonControls(DWORD classes) noexcept;

} // namespace common::win
