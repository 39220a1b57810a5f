// The keyboard events that type a wheel gesture's key stroke: the modifiers down, the key down and up,
// the modifiers up again.
#pragma once

#include "ui/ShortcutText.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace procwin
{

// keybd_event's flag bits (the Win32 side checks them against KEYEVENTF_*).
constexpr std::uint32_t kKeyEventExtendedKey = 0x1;
constexpr std::uint32_t kKeyEventKeyUp = 0x2;

// One keybd_event call: a virtual-key code and its flags; the scan code and extra information are 0.
struct KeyEvent
{
    std::uint8_t key = 0;
    std::uint32_t flags = 0;

    bool operator==(const KeyEvent &) const = default;
};

// The events for a shortcut text ("Shift+Ctrl+F5"): Shift, Ctrl, Alt down as set, each with the
// extended-key flag; the key down (flags 0) and up (key-up); then Alt, Ctrl, Shift up as set, with both
// flags. A text that names no key gives key code 0 down and up, without modifiers.
std::vector<KeyEvent> WheelKeyEvents(std::u16string_view text, const ui::KeyNames &names);

} // namespace procwin
