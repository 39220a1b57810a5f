// The controller's pop-up menu as it is first built: its items, captions, submenus and first marks.
// Afterwards the marks and enabled states are drawn from the controller's state.
#pragma once

#include "gui/PopupMenu.h"

#include <vector>

namespace controller
{

std::vector<gui::PopupMenu::Item> ControllerMenuItems();

} // namespace controller
