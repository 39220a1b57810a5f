#include "controller/win/MainForm.h"

#include "gui/Application.h"
#include "procwin/win/WindowEffects.h"
#include "procwin/win/Wow64.h"
#include "startup/ProcessState.h"

namespace controller
{

TmainForm::TmainForm()
{
    // A hidden top-level window without owner: it never shows and has no taskbar button.
    Create({.className = kMainFormClassName,
            .caption = gui::Application::Instance().Title(),
            .style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
            .place = {0, 0, 0, 0}});
    FormCreate();
}

TmainForm::~TmainForm()
{
    procwin::TaskBarListRelease();
}

void TmainForm::FormCreate()
{
    procwin::Wow64Init();
    procwin::TaskBarListCreate();
    SetWindowTextW(Handle(), reinterpret_cast<const wchar_t *>((u"KV2-" + startup::Task().ProgramPath).c_str()));
}

void TmainForm::PanelFormCreate()
{
}

LRESULT TmainForm::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_CLOSE:
        DestroyWindow(Handle());
        return 0;
    case WM_DESTROY:
        gui::Application::Instance().Terminate();
        return 0;
    default:
        return Window::OnMessage(message, wParam, lParam);
    }
}

} // namespace controller
