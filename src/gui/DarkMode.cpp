#include "gui/DarkMode.h"

#include "common/win/SystemLibrary.h"
#include "gui/ThemeChoice.h"

#include <optional>

namespace gui
{

namespace
{

ThemeChoice g_theme;
ThemeSettingSource g_settingSource = nullptr;
bool g_everDark = false; // the light theme after a dark one is told to the system as well

constexpr COLORREF kDarkBackground = RGB(0x40, 0x40, 0x40); // DKGRAY_BRUSH
constexpr COLORREF kDarkText = RGB(0xF0, 0xF0, 0xF0);
// SetPreferredAppMode's modes: the program, not each window, chooses.
constexpr int kForceDark = 2;
constexpr int kForceLight = 3;
// The theme library's functions known by ordinal only.
constexpr WORD kAppModeOrdinal = 135;
constexpr WORD kAllowForWindowOrdinal = 133;
constexpr WORD kFlushMenuThemesOrdinal = 136;

const common::win::SystemLibrary &Uxtheme()
{
    static const common::win::SystemLibrary uxtheme(L"uxtheme.dll");
    return uxtheme;
}

template <typename Signature> Signature ThemeFunction(const char *name)
{
    return Uxtheme().Find<Signature>(name);
}

template <typename Signature> Signature ThemeFunction(WORD ordinal)
{
    return ThemeFunction<Signature>(MAKEINTRESOURCEA(ordinal));
}

// The system's dark grey: a brush that is never made nor deleted.
HBRUSH DarkBackground()
{
    return static_cast<HBRUSH>(GetStockObject(DKGRAY_BRUSH));
}

std::optional<std::uint32_t> AppsUseLightTheme()
{
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize",
                     L"AppsUseLightTheme", RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

bool HighContrast()
{
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof(contrast);
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

// The pop-up menus of the whole program.
void TellMenus()
{
    using AllowForApp = BOOL(WINAPI *)(BOOL);
    using SetAppMode = int(WINAPI *)(int);
    using Flush = void(WINAPI *)();
    if (g_theme.menus == MenuThemeCall::AllowDarkModeForApp)
    {
        if (const auto allow = ThemeFunction<AllowForApp>(kAppModeOrdinal))
            allow(g_theme.dark);
    }
    else if (g_theme.menus == MenuThemeCall::SetPreferredAppMode)
    {
        if (const auto setMode = ThemeFunction<SetAppMode>(kAppModeOrdinal))
            setMode(g_theme.dark ? kForceDark : kForceLight);
    }
    if (g_theme.menus != MenuThemeCall::None)
        if (const auto flush = ThemeFunction<Flush>(kFlushMenuThemesOrdinal))
            flush();
}

// The controls in the theme in force: dark buttons, edit fields and scroll bars, or the system's own.
void ThemeControls(HWND window)
{
    using SetTheme = HRESULT(WINAPI *)(HWND, LPCWSTR, LPCWSTR);
    const auto setTheme = ThemeFunction<SetTheme>("SetWindowTheme");
    for (HWND control = GetWindow(window, GW_CHILD); control != nullptr; control = GetWindow(control, GW_HWNDNEXT))
    {
        if (setTheme != nullptr)
            setTheme(control, g_theme.dark ? L"DarkMode_Explorer" : nullptr, nullptr);
        InvalidateRect(control, nullptr, TRUE);
    }
}

// A window of this thread, drawn again in the theme in force, frame and all.
BOOL CALLBACK FollowInWindow(HWND window, LPARAM)
{
    if (GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId())
        return TRUE;
    ApplyTheme(window);
    SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(window, nullptr, TRUE);
    return TRUE;
}

} // namespace

void SetThemeSettingSource(ThemeSettingSource source) noexcept
{
    g_settingSource = source;
}

void FollowSystemTheme()
{
    const SystemThemeSetting setting =
        g_settingSource != nullptr
            ? g_settingSource()
            : SystemThemeSetting{common::win::SystemVersion().dwBuildNumber, AppsUseLightTheme(), HighContrast()};
    const ThemeChoice theme = ChooseTheme(setting.build, setting.appsUseLightTheme, setting.highContrast);
    const bool changed = !(theme == g_theme);
    g_theme = theme;
    g_everDark = g_everDark || theme.dark;
    if (!g_everDark || !changed)
        return;
    TellMenus();
    EnumWindows(FollowInWindow, 0);
}

bool IsThemeChange(WPARAM wParam, LPARAM lParam) noexcept
{
    if (wParam == SPI_SETHIGHCONTRAST)
        return true;
    const auto *area = reinterpret_cast<const wchar_t *>(lParam);
    return area != nullptr && lstrcmpW(area, L"ImmersiveColorSet") == 0;
}

void ApplyTheme(HWND window)
{
    if (!g_everDark)
        return;
    using AllowForWindow = bool(WINAPI *)(HWND, bool);
    using SetAttribute = HRESULT(WINAPI *)(HWND, DWORD, LPCVOID, DWORD);
    static const common::win::SystemLibrary dwmapi(L"dwmapi.dll");
    static const auto setAttribute = dwmapi.Find<SetAttribute>("DwmSetWindowAttribute");
    if (g_theme.menus != MenuThemeCall::None)
        if (const auto allow = ThemeFunction<AllowForWindow>(kAllowForWindowOrdinal))
            allow(window, g_theme.dark);
    const BOOL dark = g_theme.dark;
    if (setAttribute != nullptr && g_theme.titleBarAttribute != 0)
        setAttribute(window, static_cast<DWORD>(g_theme.titleBarAttribute), &dark, sizeof(dark));
    ThemeControls(window);
}

bool DarkColors(HWND window, UINT message, WPARAM wParam, LRESULT &result)
{
    if (!g_theme.dark)
        return false;
    const auto dc = reinterpret_cast<HDC>(wParam);
    switch (message)
    {
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
        SetTextColor(dc, kDarkText);
        SetBkColor(dc, kDarkBackground);
        result = reinterpret_cast<LRESULT>(DarkBackground());
        return true;
    case WM_ERASEBKGND: {
        RECT client{};
        GetClientRect(window, &client);
        FillRect(dc, &client, DarkBackground());
        result = 1;
        return true;
    }
    default:
        return false;
    }
}

} // namespace gui
