#include "controller/WheelKeyStroke.h"

namespace controller
{

procwin::KeyStroke WheelKeyStroke(std::u16string_view text, const ui::KeyNames &names)
{
    unsigned keyCode = 0;
    ui::ShiftState shift;
    ui::ShortCutToKey(ui::TextToShortCut(text, names), keyCode, shift);
    return {.key = static_cast<std::uint8_t>(keyCode & 0xFF),
            .shift = shift.shift,
            .ctrl = shift.ctrl,
            .alt = shift.alt};
}

} // namespace controller
