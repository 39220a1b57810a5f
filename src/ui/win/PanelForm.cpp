#include "ui/win/PanelForm.h"

namespace ui
{

namespace
{
constexpr wchar_t kPanelFormClassName[] = L"TPanelForm";
}

TPanelForm::TPanelForm(controller::TmainForm &mainForm)
{
    Create({.className = kPanelFormClassName,
            .caption = u"",
            .style = WS_POPUP,
            .exStyle = WS_EX_TOOLWINDOW,
            .place = {0, 0, 0, 0}});
    mainForm.PanelFormCreate();
}

} // namespace ui
