// What the controller's parts show the user, as the controller window does it: the tray icon and the
// icon window, the menu's marks, the questions. The parts see this instead of the window itself.
#pragma once

#include <windows.h>

#include <string>

namespace controller
{

class ControllerView
{
  public:
    // The tray icon and the icon window appear (once; later calls do nothing). The first start shows
    // them as soon as the program is launched, so that its start-up runs beside their making, or before
    // it asks the user anything, or when it ends without a launch.
    virtual void ShowViews() = 0;
    // The waiting image while a start is under way; the target's icon otherwise.
    virtual void ShowStarting(bool starting) = 0;
    // The tray tip and the icon window's hint.
    virtual void ShowTip(const std::u16string &tip) = 0;
    // The target's present title, for the icon window's title pop-up.
    virtual void ShowTitle(const std::u16string &title) = 0;
    // The command line changed (the program of the task was changed).
    virtual void ShowCommandLine(const std::u16string &commandLine) = 0;
    // Draws the menu's marks again when the state behind them changed.
    virtual void MenuChanged() = 0;
    // A message box owned by the controller window; the button pressed.
    virtual int Question(const std::u16string &text, UINT style) = 0;
    // The tray icon and the icon window take clicks, or not while a dialog of the controller is open.
    virtual void SetClicksEnabled(bool enabled) = 0;
    // The end of the program: the icon window closes, the monitor stops, the tray icon goes.
    virtual void EndViews() = 0;
    // KV2 closes once the present message is handled, as with "KV2を閉じる".
    virtual void CloseLater() = 0;
    // The controller window, the owner of dialogs and the receiver of the hooks' messages.
    virtual HWND Window() const = 0;

  protected:
    ~ControllerView() = default;
};

} // namespace controller
