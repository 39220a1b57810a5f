// A modal one-line text input dialog.
#pragma once

#include <string>

namespace gui
{

// Shows a dialog with `caption`, the word-wrapped `prompt`, an edit holding `text` (at most 255
// characters, all selected) and the buttons "OK" and "キャンセル", centred on the screen above the
// active window. Answers true when the user confirmed with OK; `text` then holds the edited value and
// is otherwise unchanged.
bool InputText(const std::u16string &caption, const std::u16string &prompt, std::u16string &text);

} // namespace gui
