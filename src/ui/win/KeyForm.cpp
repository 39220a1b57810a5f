#include "ui/win/KeyForm.h"

namespace ui
{

namespace
{
constexpr wchar_t kKeyFormClassName[] = L"TKeyForm";
}

TKeyForm::TKeyForm()
{
    Create({.className = kKeyFormClassName,
            .caption = u"キーの設定",
            .style = WS_POPUP | WS_CAPTION | WS_SYSMENU,
            .place = {0, 0, 0, 0}});
}

} // namespace ui
