// The user's interface fonts and the resolution of the monitor a window is on, for KV2's own windows.
#pragma once

#include "common/Dpi.h"

#include <windows.h>

namespace common::win
{

enum class SystemFont
{
    Menu,
    Message,
};

// A new font like the one the system uses for menus or message boxes, at `dpi` (0: the system's
// resolution); the caller deletes it. The stock GUI font (which must not be deleted, and DeleteObject
// ignores) when the system cannot tell.
HFONT CreateSystemFont(SystemFont which, int dpi = 0);

// The system's resolution, as every program sees it that is not aware of monitors of their own
// (kDesignDpi when it cannot be read).
int ScreenDpi();

// A monitor's own resolution (GetDpiForMonitor, Windows 8.1 on); the system's before.
int MonitorDpi(HMONITOR monitor);

// The resolution of the monitor `window` is on: GetDpiForWindow from Windows 10 1607, the monitor's
// own (GetDpiForMonitor) on Windows 8.1 to 1607, the system's before (and for a null window).
int WindowDpi(HWND window);

} // namespace common::win
