#include "procwin/WheelKey.h"

#include <array>
#include <utility>

namespace procwin
{

std::vector<KeyEvent> WheelKeyEvents(const KeyStroke &stroke)
{
    // Pressed in this order, released in the reverse one.
    const std::array<std::pair<bool, std::uint8_t>, 3> modifiers = {
        {{stroke.shift, kKeyShift}, {stroke.ctrl, kKeyControl}, {stroke.alt, kKeyMenu}}};
    std::vector<KeyEvent> events;
    for (const auto &[pressed, key] : modifiers)
        if (pressed)
            events.push_back({key, kKeyEventExtendedKey});
    events.push_back({stroke.key, 0});
    events.push_back({stroke.key, kKeyEventKeyUp});
    for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it)
        if (it->first)
            events.push_back({it->second, kKeyEventExtendedKey | kKeyEventKeyUp});
    return events;
}

} // namespace procwin
