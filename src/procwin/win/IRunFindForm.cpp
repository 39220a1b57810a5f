#include "procwin/win/IRunFindForm.h"

namespace procwin
{

namespace
{
constexpr wchar_t kIRunFindFormClassName[] = L"TIRunFindForm";
}

TIRunFindForm::TIRunFindForm()
{
    Create({.className = kIRunFindFormClassName,
            .caption = u"実行中のプログラム",
            .style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME,
            .place = {0, 0, 0, 0}});
}

} // namespace procwin
