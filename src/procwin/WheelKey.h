// The keyboard events that type a wheel gesture's key stroke: the modifiers down, the key down and up,
// the modifiers up again.
#pragma once

#include <cstdint>
#include <vector>

namespace procwin
{

// keybd_event's flag bits (the Win32 side checks them against KEYEVENTF_*).
constexpr std::uint32_t kKeyEventExtendedKey = 0x1;
constexpr std::uint32_t kKeyEventKeyUp = 0x2;

// The modifier keys' virtual-key codes (the Win32 side checks them against VK_*).
constexpr std::uint8_t kKeyShift = 0x10;
constexpr std::uint8_t kKeyControl = 0x11;
constexpr std::uint8_t kKeyMenu = 0x12; // Alt

// The key stroke a wheel gesture types: a virtual-key code (0 types key code 0) and its modifiers.
struct KeyStroke
{
    std::uint8_t key = 0;
    bool shift = false;
    bool ctrl = false;
    bool alt = false;

    bool operator==(const KeyStroke &) const = default;
};

// One keybd_event call: a virtual-key code and its flags; the scan code and extra information are 0.
struct KeyEvent
{
    std::uint8_t key = 0;
    std::uint32_t flags = 0;

    bool operator==(const KeyEvent &) const = default;
};

// The events for a key stroke: Shift, Ctrl, Alt down as set, each with the extended-key flag; the key
// down (flags 0) and up (key-up); then Alt, Ctrl, Shift up as set, with both flags.
std::vector<KeyEvent> WheelKeyEvents(const KeyStroke &stroke);

} // namespace procwin
