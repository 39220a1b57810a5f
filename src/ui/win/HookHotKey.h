// System-wide hot keys reported as events.
#pragma once

#include "gui/Window.h"
#include "ui/ShortcutText.h"

#include <functional>
#include <array>
#include <cstddef>

namespace ui
{

// Whether another registration (of any program, this one included) holds the combination as a hot key,
// asked by registering it on `window` for a moment. False for a combination without a key.
bool HotKeyTaken(HWND window, ShortCut value);

// Registers hot keys on a hidden message-only window of its own, created with the object; every hot
// key still registered is released with it. Use it on the thread that created it: WM_HOTKEY arrives
// through that thread's message loop.
class THookHotKey : private gui::Window
{
  public:
    using HotKeyEvent = std::function<void(int index)>;

    // `owner`: the window brought to the foreground before OnHotKey runs while Activate is true; may
    // be null; not owned. Raises common::win::WinError when the window cannot be created.
    explicit THookHotKey(HWND owner = nullptr);
    ~THookHotKey() override;

    using gui::Window::Handle;

    // Registers `value` (a shortcut value: key code and Shift/Ctrl/Alt bits) under `index`. Answers
    // false when the system refuses, for example because another window holds the combination, and
    // when 16 hot keys are registered already.
    bool Add(int index, ShortCut value);
    // Releases the hot key registered under `index`; false when there is none.
    bool Delete(int index);
    // Delete, then Add (tried even when the delete failed); true only when both succeeded.
    bool Change(int index, ShortCut value);
    // Change when `on`, otherwise Delete.
    bool Apply(int index, ShortCut value, bool on);

    // True at creation.
    bool Activate() const noexcept
    {
        return m_activate;
    }
    void SetActivate(bool activate) noexcept
    {
        m_activate = activate;
    }

    // Raised with the index of the pressed hot key. An error escaping it goes to
    // gui::Application::ParkException and no further.
    void SetOnHotKey(HotKeyEvent onHotKey)
    {
        m_onHotKey = std::move(onHotKey);
    }

  private:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    HWND m_owner; // not owned
    bool m_activate = true;
    HotKeyEvent m_onHotKey;
    static constexpr std::size_t kMostHotKeys = 16;
    std::array<int, kMostHotKeys> m_registered{}; // the indexes registered, released with the window
    std::size_t m_registeredCount = 0;
};

} // namespace ui
