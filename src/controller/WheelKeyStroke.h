// The key stroke that the wheel gestures' shortcut texts stand for.
#pragma once

#include "procwin/WheelKey.h"
#include "ui/ShortcutText.h"

#include <string_view>

namespace controller
{

// The key and modifiers of a shortcut text ("Shift+Ctrl+F5", read as ui::TextToShortCut reads it). A
// text that names no key gives key code 0 without modifiers.
procwin::KeyStroke WheelKeyStroke(std::u16string_view text, const ui::KeyNames &names);

} // namespace controller
