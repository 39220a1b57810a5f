#include "gui/ThemeChoice.h"

namespace gui
{

namespace
{

constexpr std::uint32_t kWindows10_1809 = 17763;
constexpr std::uint32_t kWindows10_1903 = 18362;
constexpr std::uint32_t kWindows10_2004 = 19041;
// The last build the menu functions were seen with their 1903 signature (Windows 11 25H2).
constexpr std::uint32_t kLastKnownBuild = 26200;

constexpr int kDarkTitleBarBefore2004 = 19;
constexpr int kDarkTitleBar = 20;

} // namespace

ThemeChoice ChooseTheme(std::uint32_t build, std::optional<std::uint32_t> appsUseLightTheme,
                        bool highContrast) noexcept
{
    ThemeChoice choice;
    if (build < kWindows10_1809)
        return choice;
    choice.dark = !highContrast && appsUseLightTheme == 0u;
    choice.titleBarAttribute = build >= kWindows10_2004 ? kDarkTitleBar : kDarkTitleBarBefore2004;
    if (build == kWindows10_1809)
        choice.menus = MenuThemeCall::AllowDarkModeForApp;
    else if (build >= kWindows10_1903 && build <= kLastKnownBuild)
        choice.menus = MenuThemeCall::SetPreferredAppMode;
    return choice;
}

} // namespace gui
