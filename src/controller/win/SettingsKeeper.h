// Keeps what the user set on the target (its fixed caption, the topmost band, its translucency) when the
// program resets it. The window's change events answer at once; the monitor's tick looks as well, for
// what raises no event (translucency, and every change under systems that raise none). A program that
// keeps resetting is answered ever more seldom, and KV2's own change, which raises an event too, finds
// nothing to put back: the two never spin.
#pragma once

#include "controller/ReapplyPacer.h"
#include "procwin/win/WindowEvents.h"
#include "gui/SimpleTimer.h"

#include <windows.h>

#include <functional>
#include <memory>

namespace controller
{

class SettingsKeeper
{
  public:
    // `putBack` compares what the window shows with what the user set and puts back what differs; it
    // answers whether it changed anything (or tried to, for a window that did not answer).
    explicit SettingsKeeper(std::function<bool(HWND)> putBack);

    // Follows the changes of `target` from now on (null: of no window). The window followed already
    // costs nothing.
    void Follow(HWND target);
    // A look at the window followed: at once, or when the pace allows.
    void Look();

  private:
    void LookNow();

    std::function<bool(HWND)> m_putBack;
    std::unique_ptr<procwin::WindowChangeEvents> m_events;
    ReapplyPacer m_pacer;
    gui::TSimpleTimer m_due; // one shot: the look the pace put off
    bool m_looking = false;
    bool m_lookAgain = false;
};

} // namespace controller
