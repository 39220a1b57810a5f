#include "gui/PopupMenu.h"

#include "common/win/WinError.h"
#include "common/win/WinText.h"

namespace gui
{

using common::win::W;

namespace
{

void Append(HMENU menu, const PopupMenu::Item &item, HMENU submenu)
{
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    if (item.id == 0 && !item.submenu)
    {
        info.fMask = MIIM_FTYPE;
        info.fType = MFT_SEPARATOR;
    }
    else
    {
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_STRING;
        info.fType = item.radio ? MFT_RADIOCHECK : MFT_STRING;
        info.wID = item.id;
        info.fState = (item.checked ? MFS_CHECKED : 0u) | (item.enabled ? 0u : MFS_DISABLED);
        info.dwTypeData = const_cast<wchar_t *>(W(item.caption));
        if (submenu != nullptr)
        {
            info.fMask |= MIIM_SUBMENU;
            info.hSubMenu = submenu;
        }
    }
    if (!InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &info))
        throw common::win::WinError("InsertMenuItemW");
}

// Builds the items of one level from `next` on into `menu`; answers the index after them.
size_t Build(HMENU menu, const std::vector<PopupMenu::Item> &items, size_t next, int level)
{
    while (next < items.size() && items[next].level == level)
    {
        const PopupMenu::Item &item = items[next++];
        HMENU submenu = nullptr;
        if (item.submenu)
        {
            submenu = CreatePopupMenu();
            if (submenu == nullptr)
                throw common::win::WinError("CreatePopupMenu");
            try
            {
                next = Build(submenu, items, next, level + 1);
                Append(menu, item, submenu);
            }
            catch (...)
            {
                DestroyMenu(submenu);
                throw;
            }
        }
        else
        {
            Append(menu, item, nullptr);
        }
    }
    return next;
}

UINT State(HMENU menu, UINT id) noexcept
{
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STATE;
    if (!GetMenuItemInfoW(menu, id, FALSE, &info))
        return MFS_DISABLED | 0x80000000u; // marks an unknown item
    return info.fState;
}

void ChangeState(HMENU menu, UINT id, UINT flag, bool on) noexcept
{
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STATE;
    if (!GetMenuItemInfoW(menu, id, FALSE, &info))
        return;
    info.fState = on ? (info.fState | flag) : (info.fState & ~flag);
    SetMenuItemInfoW(menu, id, FALSE, &info);
}

} // namespace

PopupMenu::PopupMenu(const std::vector<Item> &items) : m_menu(CreatePopupMenu())
{
    if (!m_menu)
        throw common::win::WinError("CreatePopupMenu");
    Build(m_menu.Get(), items, 0, 0);
    for (const Item &item : items)
        if (item.id != 0)
            m_ids.push_back(item.id);
}

HMENU PopupMenu::Submenu(UINT id) const noexcept
{
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_SUBMENU;
    if (!GetMenuItemInfoW(m_menu.Get(), id, FALSE, &info))
        return nullptr;
    return info.hSubMenu;
}

bool PopupMenu::Checked(UINT id) const noexcept
{
    const UINT state = State(m_menu.Get(), id);
    return (state & 0x80000000u) == 0 && (state & MFS_CHECKED) != 0;
}

void PopupMenu::SetChecked(UINT id, bool checked) noexcept
{
    ChangeState(m_menu.Get(), id, MFS_CHECKED, checked);
}

bool PopupMenu::Enabled(UINT id) const noexcept
{
    return (State(m_menu.Get(), id) & MFS_DISABLED) == 0;
}

void PopupMenu::SetEnabled(UINT id, bool enabled) noexcept
{
    ChangeState(m_menu.Get(), id, MFS_DISABLED, !enabled);
}

std::u16string PopupMenu::Caption(UINT id) const
{
    wchar_t text[256] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STRING;
    info.dwTypeData = text;
    info.cch = 256;
    if (!GetMenuItemInfoW(m_menu.Get(), id, FALSE, &info))
        return {};
    return common::win::U(text);
}

void PopupMenu::SetCaption(UINT id, const std::u16string &caption)
{
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STRING;
    info.dwTypeData = const_cast<wchar_t *>(W(caption));
    SetMenuItemInfoW(m_menu.Get(), id, FALSE, &info);
}

void PopupMenu::CheckRadio(UINT first, UINT last, UINT id) noexcept
{
    for (UINT item = first; item <= last; ++item)
        SetChecked(item, item == id);
}

void TrackCommandMenu(HMENU menu, POINT screenPoint, HWND commandWindow)
{
    SetForegroundWindow(commandWindow);
    // Aligned as the system asks (right-to-left users, tablets held in the left hand).
    const UINT alignment = GetSystemMetrics(SM_MENUDROPALIGNMENT) != 0 ? TPM_RIGHTALIGN : TPM_LEFTALIGN;
    const UINT command =
        static_cast<UINT>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | alignment, screenPoint.x,
                                         screenPoint.y, 0, commandWindow, nullptr));
    PostMessageW(commandWindow, WM_NULL, 0, 0);
    if (command != 0)
        PostMessageW(commandWindow, WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

} // namespace gui
