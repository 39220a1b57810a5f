// The running-program picker ("実行中のプログラム").
#pragma once

#include "gui/Window.h"

namespace procwin
{

class TIRunFindForm : public gui::Window
{
  public:
    TIRunFindForm();
};

} // namespace procwin
