// The icon panel: a small borderless window showing the target's icon in a large size, a second handle
// on the target beside the tray icon. A click on the icon activates the target, a right click opens the
// controller's menu, a middle click toggles topmost; the frame around the icon drags the panel and opens
// the panel's own menu. When the target's title changes, a hint window above the panel shows it.
#pragma once

#include "common/win/Unique.h"
#include "gui/PopupMenu.h"
#include "gui/SimpleTimer.h"
#include "gui/Window.h"
#include "ui/win/IconPanel.h"
#include "ui/win/PanelImage.h"

#include <memory>
#include <string>

namespace ui
{

class TPanelHintWindow;

class TPanelForm : public gui::Window, public IconPanel, private PanelPictureEvents
{
  public:
    // Creates the (hidden) panel; during its creation it asks its owner (the controller; not owned, it
    // outlives the panel) for its options. Raises WinError when a window cannot be created.
    explicit TPanelForm(PanelOwner &owner);
    ~TPanelForm() override;

    void ShowWaitingPicture(bool waiting) override;
    void SetPictureHint(const std::u16string &hint) override;
    void Proc_PanelHint(const std::u16string &title) override;
    void SetPictureEnabled(bool enabled) override;
    void Proc_ImageWClick(bool doubleClick) override;
    bool PanelVisible() const override;
    void SetPanelVisible(bool visible) override;
    void ApplyPanelOptions(const PanelOptions &options) override;
    void ReadPanelOptions(PanelOptions &options) const override;
    void KeepOnTop() override;
    void ClosePanel() override;

    // Shows image 0 (the waiting picture) or 1 (the target's icon).
    void Proc_DispIcon(int index);

  protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnDpiChanged() override;

  private:
    void Layout();
    void FormCreate();
    void LoadTargetIcon(const std::u16string &file, int index);
    HICON ShownIcon() override;
    void FormShow();
    void CreateTooltip();
    void ApplyTopMost();
    void PPSizeClick(int tag);
    void PPTopClick();
    void PPTransClick();
    void ShowFrameMenuMarks();
    void OnFrameCommand(UINT id);
    void ShowPanelHint();
    void HidePanelHint();
    // The mouse over the frame or the icon: opaque while "半透明" is on; away: back to 50 %.
    void MouseOver() override;
    void MouseAway() override;
    void ImageClick(bool doubleClick) override;
    void ImageMiddleClick() override;
    void ImageMenu(POINT screenPoint) override;
    COLORREF FrameColour() const noexcept;

    PanelOwner &m_owner;
    gui::PopupMenu m_menu;
    std::unique_ptr<TPanelImage> m_image;
    std::unique_ptr<TPanelHintWindow> m_hintWindow;
    HWND m_tooltip = nullptr; // destroyed with the form
    gui::TSimpleTimer m_timerHint;
    common::win::UniqueIcon m_waitingIcon; // image 0
    common::win::UniqueIcon m_targetIcon;  // image 1; null when the file has no usable icon
    bool m_iconsLoaded = false;
    int m_shownIcon = 1;
    // The panel's choices, the one record of them (its Size is the design's MPPSizeC); the frame menu's
    // marks are drawn from it when the menu opens. The placement is the window's own.
    PanelOptions m_options;
    std::u16string MHintB;
    std::u16string m_pictureHint;
    bool m_pictureEnabled = true;
    bool m_doubleClick = true;
    bool m_mouseOver = false;
};

} // namespace ui
