// The forms besides the controller, which their owner makes when the controller first wants each (they
// are rarely wanted): the picker and the key dialog at their first use, the icon panel when it is
// first shown. The controller owns none of them; they outlive its use of them.
#pragma once

namespace ui
{
class IconPanel;
class TIRunFindForm;
class TKeyForm;
} // namespace ui

namespace controller
{

class Companions
{
  public:
    virtual ui::TIRunFindForm &Picker() = 0;
    virtual ui::TKeyForm &KeyForm() = 0;
    // Null in the elevated build, which has no panel.
    virtual ui::IconPanel *Panel() = 0;

  protected:
    ~Companions() = default;
};

} // namespace controller
