#include "ui/win/KeyNames.h"

#include "common/win/WinText.h"

#include <windows.h>

namespace ui
{

static_assert(kKeyBack == VK_BACK && kKeyTab == VK_TAB && kKeyReturn == VK_RETURN && kKeyEscape == VK_ESCAPE);
static_assert(kKeyShift == VK_SHIFT && kKeyControl == VK_CONTROL && kKeyMenu == VK_MENU);
static_assert(kKeySpace == VK_SPACE && kKeyDown == VK_DOWN && VK_DOWN - VK_SPACE == 8);
static_assert(kKeyInsert == VK_INSERT && kKeyDelete == VK_DELETE);
static_assert(kKeyNumpad0 == VK_NUMPAD0 && kKeyNumpad9 == VK_NUMPAD9);
static_assert(kKeyF1 == VK_F1 && kKeyF24 == VK_F24);

std::u16string LayoutKeyNames::LayoutKeyName(unsigned keyCode) const
{
    const UINT scanCode = MapVirtualKeyW(keyCode, MAPVK_VK_TO_VSC);
    if (scanCode == 0)
        return {};
    wchar_t name[256] = {};
    const int length = GetKeyNameTextW(static_cast<LONG>(scanCode << 16), name, 256);
    return length > 0 ? common::win::U(name, static_cast<size_t>(length)) : std::u16string();
}

} // namespace ui
