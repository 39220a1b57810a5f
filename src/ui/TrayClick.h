// How the tray icon tells a single click from a double click.
//
// The shell reports the second press of a double click as a double-click message instead of a
// button-down. When the owner wants double clicks, a single click is only known to be single once the
// system's double-click time has passed without one, so a click timer decides it; without a
// double-click handler a click is reported at once, on the first release.
#pragma once

#include <cstdint>

namespace ui
{

// What the tray icon has to do after an event, in this order: the timer first, the events last.
struct TrayClickActions
{
    bool startTimer = false; // start (or restart) the click timer with the double-click time
    bool stopTimer = false;
    bool raiseClick = false;
    bool raiseDblClick = false;

    bool operator==(const TrayClickActions &) const = default;
};

// The shell's notifications beside the mouse messages (NIN_SELECT, NIN_KEYSELECT, WM_CONTEXTMENU).
constexpr unsigned kNotifySelect = 0x400;
constexpr unsigned kNotifyKeySelect = 0x401;
constexpr unsigned kNotifyContextMenu = 0x7B;

// One notification of the shell about an icon, from its callback message's parameters.
struct TrayNotification
{
    unsigned event = 0;  // a mouse message or one of the kNotify* values
    unsigned iconId = 0; // the icon's uID
    bool hasPoint = false;
    std::int32_t x = 0; // where the menu goes (the icon, or the mouse), in screen coordinates
    std::int32_t y = 0;

    bool operator==(const TrayNotification &) const = default;
};

// Reads the callback's parameters. With NOTIFYICON_VERSION_4 the event is the low word of lParam, the
// icon's id its high word (ids start at 1) and the point the signed words of wParam; in the earlier
// form wParam is the id and lParam the message, without a point.
TrayNotification DecodeTrayNotification(std::uint64_t wParam, std::uint64_t lParam) noexcept;

// The click state of one tray icon. A raise* action is wanted whether or not the event has a handler;
// the caller raises it only when one is assigned.
class TrayClick
{
  public:
    // Left button pressed. `hasDblClickHandler`: the icon has an OnDblClick handler.
    TrayClickActions LButtonDown(bool hasDblClickHandler) noexcept;
    // Left button released. `timerRunning`: the click timer is running.
    TrayClickActions LButtonUp(bool timerRunning) noexcept;
    // The click timer has elapsed.
    TrayClickActions TimerElapsed() noexcept;
    // The second press of a double click.
    TrayClickActions LButtonDblClk() noexcept;
    // Right button pressed: the menu opens at once, and the context-menu notification the shell sends
    // after the release is not a second opening.
    void RButtonDown() noexcept
    {
        m_rightPressed = true;
    }
    // The shell's context-menu notification: true when it comes from the keyboard (Shift+F10, the menu
    // key), without a right press before it; the menu is then opened at the icon.
    bool ContextMenu() noexcept;
    // Enter or Space on the icon (NIN_KEYSELECT) at `time` (milliseconds): activates as the configured
    // click does, a click or, with a double-click handler, a double click; once per key press (the
    // shell reports Enter twice, within kKeySelectEcho).
    TrayClickActions KeySelect(bool hasDblClickHandler, std::uint32_t time) noexcept;

  private:
    bool m_clickStarted = false; // a press not yet released
    bool m_clickReady = false;   // a released click waiting for the timer
    bool m_doubleClicked = false;
    bool m_rightPressed = false; // a right press whose context-menu notification has not come
    bool m_keySelected = false;
    std::uint32_t m_keySelectTime = 0;
};

// Two key selections closer than this are one key press.
constexpr std::uint32_t kKeySelectEcho = 200;

} // namespace ui
