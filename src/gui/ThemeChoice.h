// Whether KV2's menus and windows are drawn dark, and through which of the system's calls, from what
// the system tells: its build, the user's choice of colours for apps, and high contrast.
#pragma once

#include <cstdint>
#include <optional>

namespace gui
{

// How the theme library is told that a program's pop-up menus follow the dark theme. Its functions
// for this are exported by ordinal only; they are called only on builds whose signatures are known.
enum class MenuThemeCall
{
    None,                // before Windows 10 1809, or a build not known
    AllowDarkModeForApp, // ordinal 135 on 1809: BOOL
    SetPreferredAppMode, // ordinal 135 from 1903 on: an app mode (force dark, force light)
};

struct ThemeChoice
{
    bool dark = false;
    int titleBarAttribute = 0; // DWMWA_USE_IMMERSIVE_DARK_MODE as the build knows it; 0: none
    MenuThemeCall menus = MenuThemeCall::None;

    bool operator==(const ThemeChoice &) const = default;
};

// `appsUseLightTheme`: the user's "AppsUseLightTheme" value (none when it is absent: light). High
// contrast always wins: its colours are the user's, never dark ones of KV2's.
ThemeChoice ChooseTheme(std::uint32_t build, std::optional<std::uint32_t> appsUseLightTheme,
                        bool highContrast) noexcept;

} // namespace gui
