// A pop-up menu built from a table, with its items addressed by command identifier.
#pragma once

#include "common/win/Unique.h"

#include <windows.h>

#include <string>
#include <vector>

namespace gui
{

class PopupMenu
{
  public:
    struct Item
    {
        UINT id = 0; // 0 for a separator
        std::u16string caption;
        int level = 0; // 0 for the top menu; an item one level deeper follows its submenu item
        bool checked = false;
        bool enabled = true;
        bool radio = false;   // drawn with a bullet
        bool submenu = false; // opens the items of the next level that follow it
    };

    // Builds the menu; raises common::win::WinError when the system refuses.
    explicit PopupMenu(const std::vector<Item> &items);

    HMENU Handle() const noexcept
    {
        return m_menu.Get();
    }
    // The submenu opened by item `id`; null when it opens none.
    HMENU Submenu(UINT id) const noexcept;

    // Items are looked up anywhere in the menu, submenus included. An unknown id answers false and
    // changes nothing.
    bool Checked(UINT id) const noexcept;
    void SetChecked(UINT id, bool checked) noexcept;
    bool Enabled(UINT id) const noexcept;
    void SetEnabled(UINT id, bool enabled) noexcept;
    std::u16string Caption(UINT id) const;
    void SetCaption(UINT id, const std::u16string &caption);
    // Checks `id` and unchecks the others of [first, last].
    void CheckRadio(UINT first, UINT last, UINT id) noexcept;
    // The ids of every item but the separators, in the order given to the constructor.
    const std::vector<UINT> &Ids() const noexcept
    {
        return m_ids;
    }

  private:
    common::win::UniqueMenu m_menu;
    std::vector<UINT> m_ids;
};

// Shows `menu` at `screenPoint` for `commandWindow` and posts the chosen command to it as a WM_COMMAND,
// as a tray icon's menu must be shown: the window takes the foreground first, or the menu would not
// close when the user clicks elsewhere, and a WM_NULL afterwards lets a second menu open at once (the
// shell's documented work-around). The menu runs a message loop of its own: the caller must not rely on
// anything that loop may destroy.
void TrackCommandMenu(HMENU menu, POINT screenPoint, HWND commandWindow);

} // namespace gui
