// The two sides of the icon panel's conversation with the controller, so that neither includes the
// other: what the controller asks of the panel, and what the panel asks of its owner.
#pragma once

#include "ui/PanelOptions.h"

#include <windows.h>

#include <string>

namespace ui
{

// What the controller asks of the icon panel (the normal build only; the controller works without).
class IconPanel
{
  public:
    virtual ~IconPanel() = default;
    // The waiting picture while a start is in progress, the target's icon otherwise.
    virtual void ShowWaitingPicture(bool waiting) = 0;
    // The tip of the panel's picture (the same text as the tray tip).
    virtual void SetPictureHint(const std::u16string &hint) = 0;
    // The target's current title, shown in the panel's hint window when it changed.
    virtual void Proc_PanelHint(const std::u16string &title) = 0;
    // While false the picture ignores clicks.
    virtual void SetPictureEnabled(bool enabled) = 0;
    // Picture clicks: a double click activates (true) or a single click (false).
    virtual void Proc_ImageWClick(bool doubleClick) = 0;
    virtual bool PanelVisible() const = 0;
    virtual void SetPanelVisible(bool visible) = 0;
    // The panel's own options, read back for saving; the placement stays as given when the panel's
    // window cannot tell it.
    virtual void ApplyPanelOptions(const PanelOptions &options) = 0;
    virtual void ReadPanelOptions(PanelOptions &options) const = 0;
    // Keeps the panel in the topmost band when its topmost item is checked.
    virtual void KeepOnTop() = 0;
    virtual void ClosePanel() = 0;
};

// What the icon panel asks of its owner, the controller.
class PanelOwner
{
  public:
    virtual ~PanelOwner() = default;
    // Called by the panel while it is created: loads the panel's options and hands them over.
    virtual void PanelFormCreate(IconPanel &panel) = 0;
    // Called by the panel when the user changed one of its options: they are saved at once.
    virtual void PanelOptionsChanged() = 0;
    // The panel picture's click and double click, as the tray icon's.
    virtual void TrayIconClick() = 0;
    virtual void TrayIconDblClick() = 0;
    // The menu the panel picture opens (shared with the tray icon; not owned), and the window that
    // receives its commands.
    virtual HMENU PPMenu() const noexcept = 0;
    virtual HWND CommandWindow() const noexcept = 0;
};

} // namespace ui
