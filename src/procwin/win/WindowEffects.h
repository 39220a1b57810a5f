// How a top-level window of any process looks and behaves: translucency, the topmost band, the
// tool-window style, its taskbar button and maximizing without a title bar. Nothing keeps the window's
// earlier state: undoing an effect means applying its opposite.
#pragma once

#include <windows.h>

#include <shobjidl.h>

namespace procwin
{

// Translucent at `percent` (10 to 99 usable), or opaque and no longer layered at 100.
void SetTrans(HWND window, int percent);

// The window's translucency read back as a percent; 100 for a window that is not layered.
int GetTrans(HWND window);

// Into (true) or out of the topmost band. Also shows a hidden window. False when the call failed.
bool SetTopMost(HWND window, bool onTop);

// Adds WS_EX_TOOLWINDOW: the window gets no taskbar button of its own.
void SetToolWindow(HWND window);

// Maximized without a title bar (on), or restored with one (off). Only for sizable windows.
void SetCaptionless(HWND window, bool on);

// The shell's taskbar-list object, created once with the controller and released with it.
// Raises WinError when it cannot be created.
void TaskBarListCreate();
void TaskBarListRelease();
// Uses `list` (a reference is taken) instead of the shell's object; for tests that count calls.
void TaskBarListAttach(ITaskbarList *list);
// True after TaskBarButtonShow has put a button back, until the next hide or release.
bool TabShown();
// Gives the window its taskbar button back, once until the next hide.
void TaskBarButtonShow(HWND window);
// Removes the window's taskbar button.
void TaskBarButtonHide(HWND window);

} // namespace procwin
