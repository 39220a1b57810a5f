#include "ui/win/CoolTrayIcon.h"

#include "common/win/SystemFonts.h"
#include "common/win/SystemLibrary.h"
#include "gui/PopupMenu.h"
#include "gui/SharedWindow.h"

#include <algorithm>
#include <cstddef>
#include <map>
#include <string_view>
#include <utility>

namespace ui
{

static_assert(kNotifySelect == NIN_SELECT && kNotifyKeySelect == NIN_KEYSELECT &&
              kNotifyContextMenu == WM_CONTEXTMENU);

namespace
{

// The shell shows at most this many characters of a version 2 tip (szTip holds 128 with the NUL).
constexpr size_t kTipLength = 126;
constexpr size_t kTipCapacity = sizeof(NOTIFYICONDATAW::szTip) / sizeof(wchar_t);
static_assert(kTipLength < kTipCapacity);

// The tip text cut to kTipLength characters, without leaving half of a surrogate pair at the end.
void FillTip(wchar_t (&tip)[kTipCapacity], std::u16string_view text)
{
    size_t length = std::min(text.size(), kTipLength);
    if (length < text.size() && length > 0 && text[length - 1] >= 0xD800 && text[length - 1] <= 0xDBFF)
        --length;
    std::fill(std::begin(tip), std::end(tip), L'\0');
    std::copy_n(text.begin(), length, tip);
}

bool IsElevatedProcess()
{
    common::win::UniqueHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Put()))
        return false;
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    return GetTokenInformation(token.Get(), TokenElevation, &elevation, sizeof(elevation), &size) &&
           elevation.TokenIsElevated;
}

void AllowThroughSystemFilter(HWND window, UINT message)
{
    using ChangeFilter = BOOL(WINAPI *)(HWND, UINT, DWORD, void *);
    static const bool elevated = IsElevatedProcess();
    static const ChangeFilter change =
        common::win::SystemLibrary(L"user32.dll").Find<ChangeFilter>("ChangeWindowMessageFilterEx");
    if (elevated && change != nullptr)
        change(window, message, MSGFLT_ALLOW, nullptr);
}

ShellMessageFilter g_shellMessageFilter = AllowThroughSystemFilter;

} // namespace

void SetShellMessageFilter(ShellMessageFilter filter) noexcept
{
    g_shellMessageFilter = filter != nullptr ? filter : AllowThroughSystemFilter;
}

void LetMessageIn(HWND window, UINT message)
{
    g_shellMessageFilter(window, message);
}

// The hidden top-level window that the shell reports to for every tray icon of the process. Shared
// by the icons through their references; destroyed with the last one.
class TTrayIconHandler : public gui::SharedWindow<TTrayIconHandler, TCoolTrayIcon, UINT>
{
  public:
    TTrayIconHandler() : m_taskbarCreated(RegisterWindowMessageW(L"TaskbarCreated"))
    {
        // WS_POPUP and never shown: a top-level window without a taskbar button or a frame.
        CreateParams params{};
        params.className = L"KV2TrayIconHandler";
        params.style = WS_POPUP;
        params.place = {0, 0, 0, 0};
        Create(params);
        if (m_taskbarCreated != 0)
            g_shellMessageFilter(Handle(), m_taskbarCreated);
        g_shellMessageFilter(Handle(), kTrayCallbackMessage);
    }

  protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == kTrayCallbackMessage)
        {
            // The icon's events may destroy it and with it this window: nothing of either is used
            // after it.
            const TrayNotification notification = DecodeTrayNotification(static_cast<std::uint64_t>(wParam),
                                                                         static_cast<std::uint64_t>(lParam));
            if (TCoolTrayIcon *icon = Find(notification.iconId))
                icon->OnNotification(notification);
            return 0;
        }
        if (message == m_taskbarCreated && m_taskbarCreated != 0)
        {
            // Adding an icon talks to the shell, which may let other messages in: look each icon up
            // again rather than hold on to an iterator.
            std::vector<UINT> ids;
            for (const auto &entry : Clients())
                ids.push_back(entry.first);
            for (UINT id : ids)
                if (TCoolTrayIcon *icon = Find(id))
                    icon->OnTaskbarCreated();
            return 0;
        }
        switch (message)
        {
        case WM_DISPLAYCHANGE:
        case WM_SETTINGCHANGE:
        case WM_DPICHANGED: {
            // The notification area's icon size may have changed with the display or its settings.
            std::vector<UINT> ids;
            for (const auto &entry : Clients())
                ids.push_back(entry.first);
            for (UINT id : ids)
                if (TCoolTrayIcon *icon = Find(id); icon != nullptr && icon->m_onDisplayChange)
                    icon->m_onDisplayChange();
            return message == WM_DPICHANGED ? 0 : Window::OnMessage(message, wParam, lParam);
        }
        case WM_DESTROY:
        case WM_CLOSE:
        case WM_QUERYENDSESSION:
        case WM_QUIT:
        case WM_ENDSESSION:
        case WM_NCDESTROY:
            // Lets the session end, and keeps the window alive until its last icon releases it.
            return 1;
        default:
            return Window::OnMessage(message, wParam, lParam);
        }
    }

  private:
    const UINT m_taskbarCreated;
};

TCoolTrayIcon::TCoolTrayIcon()
    : m_handler(TTrayIconHandler::Acquire()), m_clickTimer(GetDoubleClickTime(), [this] { OnClickTimer(); })
{
    m_data.cbSize = kTrayRecordSize;
    m_data.hWnd = m_handler->Handle();
    m_data.uID = m_handler->Register(*this);
    // NIF_SHOWTIP: with version 4 the shell shows the tip only when asked to.
    m_data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;
    m_data.uCallbackMessage = kTrayCallbackMessage;
    m_data.uVersion = NOTIFYICON_VERSION_4;
}

TCoolTrayIcon::~TCoolTrayIcon()
{
    Notify(NIM_DELETE);
    m_handler->Unregister(m_data.uID);
}

void TCoolTrayIcon::SetIcon(HICON icon)
{
    m_icon.Reset(icon == nullptr ? nullptr : CopyIcon(icon));
    Notify(NIM_MODIFY);
}

void TCoolTrayIcon::SetIconList(std::vector<HICON> icons)
{
    m_iconList = std::move(icons);
    SetIconIndex(0);
}

void TCoolTrayIcon::SetIconIndex(int index)
{
    if (m_iconList.empty())
    {
        m_iconIndex = 0;
    }
    else
    {
        m_iconIndex = std::clamp(index, 0, static_cast<int>(m_iconList.size()) - 1);
        m_icon.Reset(CopyIcon(m_iconList[static_cast<size_t>(m_iconIndex)]));
    }
    Notify(NIM_MODIFY);
}

void TCoolTrayIcon::SetHint(std::u16string hint)
{
    m_hint = std::move(hint);
    Notify(NIM_MODIFY);
}

void TCoolTrayIcon::SetShowHint(bool showHint)
{
    m_showHint = showHint;
    Notify(NIM_MODIFY);
}

bool TCoolTrayIcon::SetIconVisible(bool visible)
{
    m_visible = visible;
    return Notify(visible ? NIM_ADD : NIM_DELETE);
}

bool TCoolTrayIcon::Notify(DWORD command)
{
    // The shell hears of changes to an icon it shows only.
    if (command == NIM_MODIFY && !m_visible)
        return false;
    m_data.hIcon = m_icon.Get();
    FillTip(m_data.szTip, m_showHint ? std::u16string_view(m_hint) : std::u16string_view());
    const bool done = Shell_NotifyIconW(command, &m_data) != FALSE;
    // Keyboard users reach the icon through version 4's notifications; a shell without it keeps
    // sending the earlier form, which is read as well.
    if (done && command == NIM_ADD)
        Shell_NotifyIconW(NIM_SETVERSION, &m_data);
    return done;
}

void TCoolTrayIcon::OnTaskbarCreated()
{
    if (m_visible)
        Notify(NIM_ADD);
    // The shell also starts again when the resolution changes: the icon is made at the new size.
    if (m_onDisplayChange)
        m_onDisplayChange();
    if (m_onTaskbarCreated)
        m_onTaskbarCreated();
}

int TCoolTrayIcon::IconSize() const
{
    using MetricsForDpi = int(WINAPI *)(int, UINT);
    static const auto metricsForDpi =
        common::win::LoadedFunction<MetricsForDpi>(L"user32.dll", "GetSystemMetricsForDpi");
    // The handler window sits on the primary monitor, where the notification area is.
    if (metricsForDpi != nullptr)
        return metricsForDpi(SM_CXSMICON, static_cast<UINT>(common::win::WindowDpi(m_handler->Handle())));
    return GetSystemMetrics(SM_CXSMICON);
}

void TCoolTrayIcon::OnNotification(const TrayNotification &notification)
{
    if (!m_enabled)
        return;
    POINT point{notification.x, notification.y};
    if (!notification.hasPoint)
        GetCursorPos(&point);
    switch (notification.event)
    {
    case WM_LBUTTONDOWN:
        Perform(m_click.LButtonDown(static_cast<bool>(m_onDblClick)));
        break;
    case WM_LBUTTONUP:
        Perform(m_click.LButtonUp(m_clickTimer.Running()));
        break;
    case WM_LBUTTONDBLCLK:
        Perform(m_click.LButtonDblClk());
        break;
    case WM_RBUTTONDOWN:
        m_click.RButtonDown();
        PopupAt(point);
        break;
    case kNotifyContextMenu:
        if (m_click.ContextMenu())
        {
            // From the keyboard: the focus goes back to the notification area once the menu closes (the
            // icon may be gone by then: only its window and id are used).
            NOTIFYICONDATAW focus{};
            focus.cbSize = kTrayRecordSize;
            focus.hWnd = m_data.hWnd;
            focus.uID = m_data.uID;
            PopupAt(point);
            Shell_NotifyIconW(NIM_SETFOCUS, &focus);
        }
        break;
    case kNotifyKeySelect:
        Perform(
            m_click.KeySelect(static_cast<bool>(m_onDblClick), static_cast<std::uint32_t>(GetMessageTime())));
        break;
    default:
        // NIN_SELECT follows a click the mouse messages have handled already.
        break;
    }
}

void TCoolTrayIcon::OnClickTimer()
{
    Perform(m_click.TimerElapsed());
}

void TCoolTrayIcon::Perform(const TrayClickActions &actions)
{
    if (actions.startTimer)
    {
        m_clickTimer.SetInterval(GetDoubleClickTime());
        m_clickTimer.Start();
    }
    if (actions.stopTimer)
        m_clickTimer.Stop();
    // Copies: an event may destroy the icon and its handlers while it runs.
    const Event onClick = actions.raiseClick ? m_onClick : Event();
    const Event onDblClick = actions.raiseDblClick ? m_onDblClick : Event();
    if (onClick)
        onClick();
    if (onDblClick)
        onDblClick();
}

void TCoolTrayIcon::PopupAtCursor()
{
    POINT cursor{};
    GetCursorPos(&cursor);
    PopupAt(cursor);
}

void TCoolTrayIcon::PopupAt(POINT point)
{
    if (m_menu == nullptr)
        return;
    // The command window owns the menu while it is open, so it also hears of its submenus opening. The
    // menu runs its own message loop, in which the icon may be destroyed: nothing of it is used after.
    gui::TrackCommandMenu(m_menu, point, m_commandWindow != nullptr ? m_commandWindow : m_data.hWnd);
}

} // namespace ui
