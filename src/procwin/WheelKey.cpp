#include "procwin/WheelKey.h"

#include <array>
#include <utility>

namespace procwin
{

std::vector<KeyEvent> WheelKeyEvents(std::u16string_view text, const ui::KeyNames &names)
{
    unsigned keyCode = 0;
    ui::ShiftState shift;
    ui::ShortCutToKey(ui::TextToShortCut(text, names), keyCode, shift);

    // Pressed in this order, released in the reverse one.
    const std::array<std::pair<bool, unsigned>, 3> modifiers = {
        {{shift.shift, ui::kKeyShift}, {shift.ctrl, ui::kKeyControl}, {shift.alt, ui::kKeyMenu}}};
    std::vector<KeyEvent> events;
    for (const auto &[pressed, key] : modifiers)
        if (pressed)
            events.push_back({static_cast<std::uint8_t>(key), kKeyEventExtendedKey});
    const auto key = static_cast<std::uint8_t>(keyCode & 0xFF);
    events.push_back({key, 0});
    events.push_back({key, kKeyEventKeyUp});
    for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it)
        if (it->first)
            events.push_back({static_cast<std::uint8_t>(it->second), kKeyEventExtendedKey | kKeyEventKeyUp});
    return events;
}

} // namespace procwin
