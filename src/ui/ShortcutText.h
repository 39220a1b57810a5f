// Shortcut values and their text form, such as "Shift+Ctrl+F5".
//
// A shortcut value is 16 bits: the virtual-key code in bits 0 to 7, 0x2000 Shift, 0x4000 Ctrl,
// 0x8000 Alt. The text puts the prefixes "Shift+", "Ctrl+", "Alt+" (always in that order) before the
// key's name.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ui
{

using ShortCut = std::uint16_t;

constexpr ShortCut kShiftBit = 0x2000;
constexpr ShortCut kCtrlBit = 0x4000;
constexpr ShortCut kAltBit = 0x8000;

// The virtual-key codes that the fixed name table and the key capture single out (the Win32 side
// checks them against the VK_ constants).
constexpr unsigned kKeyBack = 0x08;
constexpr unsigned kKeyTab = 0x09;
constexpr unsigned kKeyReturn = 0x0D;
constexpr unsigned kKeyShift = 0x10;
constexpr unsigned kKeyControl = 0x11;
constexpr unsigned kKeyMenu = 0x12; // Alt
constexpr unsigned kKeyEscape = 0x1B;
constexpr unsigned kKeySpace = 0x20;
constexpr unsigned kKeyDown = 0x28; // the last of Space, PgUp, PgDn, End, Home, Left, Up, Right, Down
constexpr unsigned kKeyInsert = 0x2D;
constexpr unsigned kKeyDelete = 0x2E;
constexpr unsigned kKeyNumpad0 = 0x60;
constexpr unsigned kKeyNumpad9 = 0x69;
constexpr unsigned kKeyF1 = 0x70;
constexpr unsigned kKeyF24 = 0x87;

struct ShiftState
{
    bool shift = false;
    bool ctrl = false;
    bool alt = false;

    bool operator==(const ShiftState &) const = default;
};

// The keyboard layout's name for a virtual-key code outside KV2's fixed table; empty when the layout
// has none. The Win32 side asks MapVirtualKeyW and GetKeyNameTextW; tests use a fake.
class KeyNames
{
  public:
    virtual ~KeyNames() = default;
    virtual std::u16string LayoutKeyName(unsigned keyCode) const = 0;
};

// 0 for a key code of 256 or more; otherwise the code plus the modifier bits.
ShortCut Compose(unsigned keyCode, ShiftState shift) noexcept;

// The key code (value AND 0x1FFF) and the modifiers of a value.
void ShortCutToKey(ShortCut value, unsigned &keyCode, ShiftState &shift) noexcept;

// The name of a key code: the fixed table, else the layout's name.
std::u16string KeyName(unsigned keyCode, const KeyNames &names);

// "Shift+Ctrl+Alt+" as set, then the key's name; empty when the key has no name.
std::u16string ShortCutToText(ShortCut value, const KeyNames &names);

// The value of a text; prefixes "Shift+", "^", "Ctrl+", "Alt+" in any order and case, then a key name
// (any case). 0 when the text names no key.
ShortCut TextToShortCut(std::u16string_view text, const KeyNames &names);

// What the key dialog's edit shows after a key-down: the combination's text when it has at least one
// modifier and a named key that does not end in "+", otherwise empty (also for Shift, Ctrl, Alt
// alone and for Esc).
std::u16string CaptureKeyText(unsigned keyCode, ShiftState shift, const KeyNames &names);

} // namespace ui
