// Key names from the keyboard layout, for the keys outside the shortcut text's fixed table.
#pragma once

#include "ui/ShortcutText.h"

namespace ui
{

class LayoutKeyNames : public KeyNames
{
  public:
    // The layout's name of the key's scan code (at most 255 characters); empty when the key has no
    // scan code or the layout no name for it.
    std::u16string LayoutKeyName(unsigned keyCode) const override;
};

} // namespace ui
