// KV2's windows and menus in the dark theme when Windows uses it for apps: the pop-up menus, the title
// bars and the colours of its own dialogs. High contrast always wins; message boxes stay as the system
// draws them; the light theme is left exactly as the system draws it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

namespace gui
{

// What the system tells about its theme: its build, the user's "AppsUseLightTheme" (none when absent)
// and whether high contrast is on.
struct SystemThemeSetting
{
    std::uint32_t build = 0;
    std::optional<std::uint32_t> appsUseLightTheme;
    bool highContrast = false;
};
// Tests stand in for the system's setting (nullptr: the system's again).
using ThemeSettingSource = SystemThemeSetting (*)();
void SetThemeSettingSource(ThemeSettingSource source) noexcept;

// Reads the system's setting (nothing is stored) and follows it: the menus, then every window of this
// thread. Called at the start and when the setting changes.
void FollowSystemTheme();

// Whether a WM_SETTINGCHANGE tells of a change of the apps' colours or of high contrast.
bool IsThemeChange(WPARAM wParam, LPARAM lParam) noexcept;

// Gives one window of KV2 the theme in force: its title bar and its controls.
void ApplyTheme(HWND window);

// A dialog's colours in the dark theme: answers WM_CTLCOLOR* and WM_ERASEBKGND then (true, with the
// answer in `result`); false in the light theme, where the system's answer stands.
bool DarkColors(HWND window, UINT message, WPARAM wParam, LRESULT &result);

} // namespace gui
