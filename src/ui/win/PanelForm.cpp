#include "ui/win/PanelForm.h"

namespace ui
{

namespace
{

constexpr wchar_t kPanelFormClassName[] = L"TPanelForm";

} // namespace

TPanelForm::TPanelForm(controller::TmainForm &mainForm)
{
    Create({.className = kPanelFormClassName,
            .caption = u"",
            .style = WS_POPUP,
            .exStyle = WS_EX_TOOLWINDOW,
            .place = {0, 0, 0, 0}});
    mainForm.PanelFormCreate(*this);
}

void TPanelForm::ShowWaitingPicture(bool waiting)
{
    m_waiting = waiting;
}

void TPanelForm::SetPictureHint(const std::u16string &hint)
{
    m_hint = hint;
}

void TPanelForm::Proc_PanelHint(const std::u16string &)
{
}

void TPanelForm::SetPictureEnabled(bool enabled)
{
    m_pictureEnabled = enabled;
}

void TPanelForm::Proc_ImageWClick(bool doubleClick)
{
    m_doubleClick = doubleClick;
}

bool TPanelForm::PanelVisible() const
{
    return IsWindowVisible(Handle()) != FALSE;
}

void TPanelForm::SetPanelVisible(bool visible)
{
    ShowWindow(Handle(), visible ? SW_SHOWNOACTIVATE : SW_HIDE);
}

void TPanelForm::ApplyPanelOptions(const controller::TrayOptions &options)
{
    m_options = options;
}

void TPanelForm::ReadPanelOptions(controller::TrayOptions &options) const
{
    options.IconPanelLeft = m_options.IconPanelLeft;
    options.IconPanelTop = m_options.IconPanelTop;
    options.IconPanelSize = m_options.IconPanelSize;
    options.IconPanelMostTop = m_options.IconPanelMostTop;
    options.IconPanelHint = m_options.IconPanelHint;
    options.IconPanelTrans = m_options.IconPanelTrans;
}

void TPanelForm::KeepOnTop()
{
}

void TPanelForm::ClosePanel()
{
    ShowWindow(Handle(), SW_HIDE);
}

} // namespace ui
