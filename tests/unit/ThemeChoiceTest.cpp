#include "gui/ThemeChoice.h"

#include <gtest/gtest.h>

using gui::ChooseTheme;
using gui::MenuThemeCall;
using gui::ThemeChoice;

TEST(ThemeChoice, DarkOnlyWhereTheUserChoseItForAppsWithoutHighContrastOnBuildsThatKnowIt)
{
    struct Case
    {
        const char *name;
        std::uint32_t build;
        std::optional<std::uint32_t> appsUseLightTheme;
        bool highContrast;
        ThemeChoice expected;
    };
    const Case cases[] = {
        {"Windows 11, dark apps", 22631, 0u, false, {true, 20, MenuThemeCall::SetPreferredAppMode}},
        {"Windows 11, light apps", 22631, 1u, false, {false, 20, MenuThemeCall::SetPreferredAppMode}},
        {"no setting: light", 22631, std::nullopt, false, {false, 20, MenuThemeCall::SetPreferredAppMode}},
        {"high contrast wins", 22631, 0u, true, {false, 20, MenuThemeCall::SetPreferredAppMode}},
        {"Windows 10 2004: the newer title bar attribute", 19041, 0u, false,
         {true, 20, MenuThemeCall::SetPreferredAppMode}},
        {"Windows 10 1909: the older one", 18363, 0u, false, {true, 19, MenuThemeCall::SetPreferredAppMode}},
        {"Windows 10 1809: menus by the older call", 17763, 0u, false, {true, 19, MenuThemeCall::AllowDarkModeForApp}},
        {"a preview between 1809 and 1903: no menu call", 18290, 0u, false, {true, 19, MenuThemeCall::None}},
        {"a build not known yet: title bars only", 27000, 0u, false, {true, 20, MenuThemeCall::None}},
        {"Windows 10 1803: nothing", 17134, 0u, false, {false, 0, MenuThemeCall::None}},
        {"Windows 7: nothing", 7601, 0u, false, {false, 0, MenuThemeCall::None}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ChooseTheme(c.build, c.appsUseLightTheme, c.highContrast), c.expected) << c.name;
}
