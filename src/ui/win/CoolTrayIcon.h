// An icon in the notification area, with tip text, click and double-click events and a pop-up menu.
#pragma once

#include "common/win/Unique.h"
#include "ui/TrayClick.h"
#include "gui/SimpleTimer.h"

#include <windows.h>

#include <shellapi.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ui
{

class TTrayIconHandler;

// The message the shell sends to the handler window for mouse and keyboard activity on an icon, in the
// form of NOTIFYICON_VERSION_4 (ui::DecodeTrayNotification reads it, and the earlier form too).
constexpr UINT kTrayCallbackMessage = 0x800;

// An elevated process hears nothing from the shell, which runs with the user's rights, unless it lets
// the shell's messages in. The handler window lets in exactly two: "TaskbarCreated" and
// kTrayCallbackMessage, through this filter (ChangeWindowMessageFilterEx where the system has it,
// nothing for a process that is not elevated). Replaceable for tests; null restores the system's.
using ShellMessageFilter = void (*)(HWND window, UINT message);
void SetShellMessageFilter(ShellMessageFilter filter) noexcept;
// Lets `message` from programs of the user's rights into `window` through the same filter (the
// controller's hand-over of a second start, sent by KV2 to KV2A).
void LetMessageIn(HWND window, UINT message);

// The notification record is sent whole (the shell reads NIF_SHOWTIP and version 4 from it); the balloon
// fields are never used, and the icon is known by window and id, not by a GUID, which would tie it to the
// program's path.
constexpr DWORD kTrayRecordSize = sizeof(NOTIFYICONDATAW);

// All icons of the process share one hidden top-level window (never shown, created with the first
// icon and destroyed with the last) as the shell's callback window. It is top-level and not
// message-only because the shell announces its restart ("TaskbarCreated") by a broadcast, which only
// top-level windows receive; on it every icon meant to be visible is added again.
//
// The shell's results are not checked: an icon that could not be added (no notification area yet)
// comes back with the next "TaskbarCreated". Use an icon on the thread that created it; its events run
// from that thread's message loop, and an error escaping them goes to
// gui::Application::ParkException. An event may destroy the icon.
class TCoolTrayIcon
{
  public:
    using Event = std::function<void()>;

    // Not visible, enabled, no picture, no tip. Raises common::win::WinError when the handler window
    // cannot be created.
    TCoolTrayIcon();
    // Removes the icon from the notification area and releases the handler window.
    ~TCoolTrayIcon();
    TCoolTrayIcon(const TCoolTrayIcon &) = delete;
    TCoolTrayIcon &operator=(const TCoolTrayIcon &) = delete;

    // The record as last sent to the shell: hWnd is the handler window, uID fixed and unique in the
    // process, szTip the tip actually shown.
    const NOTIFYICONDATAW &Data() const noexcept
    {
        return m_data;
    }

    // The picture: a copy owned by the tray icon, destroyed when replaced and with the icon; the
    // caller keeps its own handle. Null shows no picture. Updates the shell.
    HICON Icon() const noexcept
    {
        return m_icon.Get();
    }
    void SetIcon(HICON icon);

    // Icons to pick the picture from by index; not owned: they must stay valid until the list is
    // replaced (an empty list drops it). Setting a list picks entry 0.
    void SetIconList(std::vector<HICON> icons);
    int IconIndex() const noexcept
    {
        return m_iconIndex;
    }
    // Copies entry `index` of the list into the picture, an index beyond the list giving the last
    // entry; without a list the index is 0 and the picture stays. Updates the shell.
    void SetIconIndex(int index);

    // The tip text; the shell shows its first 126 characters. Updates the shell.
    const std::u16string &Hint() const noexcept
    {
        return m_hint;
    }
    void SetHint(std::u16string hint);
    // False shows an empty tip whatever the hint. True at creation. Updates the shell.
    bool ShowHint() const noexcept
    {
        return m_showHint;
    }
    void SetShowHint(bool showHint);

    // True adds the icon to the notification area, false deletes it; the shell is asked each time.
    // Answers the shell's result. False at creation.
    bool IconVisible() const noexcept
    {
        return m_visible;
    }
    bool SetIconVisible(bool visible);

    // While false every mouse notification is ignored: no click, double click or menu; picture and tip
    // still change. True at creation.
    bool Enabled() const noexcept
    {
        return m_enabled;
    }
    void SetEnabled(bool enabled) noexcept
    {
        m_enabled = enabled;
    }

    // The pop-up menu opened on a right-button press (at the mouse), or from the keyboard (Shift+F10,
    // the menu key; at the icon, and the focus goes back to the notification area after), and the window
    // that receives the
    // chosen item as a posted WM_COMMAND (wParam = item id, lParam 0), after the menu has closed; that
    // window owns the menu while it is open (WM_INITMENUPOPUP goes to it). Neither is owned; the menu must be
    // a pop-up menu and stay valid while it is set. A null menu opens nothing.
    void SetPopupMenu(HMENU menu, HWND commandWindow) noexcept
    {
        m_menu = menu;
        m_commandWindow = commandWindow;
    }
    // Opens the menu at the cursor now, when there is one; the handler window is made the foreground
    // window first, so that a click elsewhere closes the menu.
    void PopupAtCursor();

    // With only OnClick assigned a click runs it at the release, and the second press of a double
    // click does not run it again. With OnDblClick assigned a click runs OnClick only once the
    // double-click time has passed without a second press; a double click runs OnDblClick once.
    // Enter or Space on the icon runs OnDblClick when it is assigned, OnClick otherwise.
    void SetOnClick(Event onClick)
    {
        m_onClick = std::move(onClick);
    }
    void SetOnDblClick(Event onDblClick)
    {
        m_onDblClick = std::move(onDblClick);
    }
    // The shell restarted ("TaskbarCreated"): it has added the icon again and shows every program's
    // taskbar button again.
    void SetOnTaskbarCreated(Event onTaskbarCreated)
    {
        m_onTaskbarCreated = std::move(onTaskbarCreated);
    }

    // The display, its resolution or the system's settings changed, or the shell started again: the
    // picture is to be made again at IconSize().
    void SetOnDisplayChange(Event onDisplayChange)
    {
        m_onDisplayChange = std::move(onDisplayChange);
    }
    // The side of the pictures the notification area shows, in pixels: the small icon size at the
    // resolution of the primary monitor (as LoadIconMetric's small size).
    int IconSize() const;

  private:
    friend class TTrayIconHandler;
    bool Notify(DWORD command);
    void OnNotification(const TrayNotification &notification);
    void PopupAt(POINT point);
    void OnTaskbarCreated();
    void OnClickTimer();
    // Carries out the timer actions and then raises the events; the icon may be gone afterwards.
    void Perform(const TrayClickActions &actions);

    std::shared_ptr<TTrayIconHandler> m_handler;
    NOTIFYICONDATAW m_data{};
    common::win::UniqueIcon m_icon;
    std::vector<HICON> m_iconList; // not owned
    int m_iconIndex = 0;
    std::u16string m_hint;
    bool m_showHint = true;
    bool m_visible = false;
    bool m_enabled = true;
    HMENU m_menu = nullptr;         // not owned
    HWND m_commandWindow = nullptr; // not owned
    Event m_onClick;
    Event m_onDblClick;
    Event m_onTaskbarCreated;
    Event m_onDisplayChange;
    TrayClick m_click;
    gui::TSimpleTimer m_clickTimer;
};

} // namespace ui
