// The icon panel: a small borderless window showing the target's icon.
#pragma once

#include "controller/win/MainForm.h"
#include "gui/Window.h"

namespace ui
{

class TPanelForm : public gui::Window, public controller::IconPanel
{
  public:
    // Creates the (hidden) panel; during its creation it asks the controller for its options.
    explicit TPanelForm(controller::TmainForm &mainForm);

    void ShowWaitingPicture(bool waiting) override;
    void SetPictureHint(const std::u16string &hint) override;
    void Proc_PanelHint(const std::u16string &title) override;
    void SetPictureEnabled(bool enabled) override;
    void Proc_ImageWClick(bool doubleClick) override;
    bool PanelVisible() const override;
    void SetPanelVisible(bool visible) override;
    void ApplyPanelOptions(const controller::TrayOptions &options) override;
    void ReadPanelOptions(controller::TrayOptions &options) const override;
    void KeepOnTop() override;
    void ClosePanel() override;

  private:
    controller::TrayOptions m_options;
    std::u16string m_hint;
    bool m_waiting = false;
    bool m_pictureEnabled = true;
    bool m_doubleClick = true;
};

} // namespace ui
