// The key setting dialog ("キーの設定").
#pragma once

#include "gui/Window.h"

namespace ui
{

class TKeyForm : public gui::Window
{
  public:
    TKeyForm();
};

} // namespace ui
