// The icon panel: a small borderless window showing the target's icon.
#pragma once

#include "controller/win/MainForm.h"
#include "gui/Window.h"

namespace ui
{

class TPanelForm : public gui::Window
{
  public:
    // Creates the (hidden) panel; during its creation it asks the controller for its options.
    explicit TPanelForm(controller::TmainForm &mainForm);
};

} // namespace ui
