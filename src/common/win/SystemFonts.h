// The user's interface fonts and the screen's resolution, for KV2's own dialogs.
#pragma once

#include <windows.h>

namespace common::win
{

// Dialog layouts are designed in pixels at this resolution and scaled from it.
constexpr int kDesignDpi = 96;

enum class SystemFont
{
    Menu,
    Message,
};

// A new font like the one the system uses for menus or message boxes; the caller deletes it. The
// stock GUI font (which must not be deleted, and DeleteObject ignores) when the system cannot tell.
HFONT CreateSystemFont(SystemFont which);

// The screen's logical resolution (kDesignDpi when it cannot be read).
int ScreenDpi();

} // namespace common::win
