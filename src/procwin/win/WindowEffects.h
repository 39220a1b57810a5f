// How a top-level window of any process looks and behaves: its caption, translucency, the topmost band,
// the tool-window style, its taskbar button and maximizing without a title bar. Nothing keeps the
// window's earlier state: undoing an effect means applying its opposite.
//
// None of these waits for a hung window: what the system does on the window's own thread is posted to
// it (it happens once the thread answers again), and what would wait for that thread without a limit
// (a style change) is made only when the window answers; otherwise the operation answers false,
// changes nothing, and the caller tries again later.
#pragma once

#include "procwin/ScreenGeometry.h"
#include "procwin/Translucency.h"

#include <windows.h>

#include <shobjidl.h>

#include <string>

namespace procwin
{

// How long an operation waits for the thread of another program's window before it gives up.
constexpr UINT kAnswerTimeoutMs = 200;

// Whether the window's thread handles a message within kAnswerTimeoutMs; false at once for a thread the
// system already counts as hung, and for a window that no longer exists.
bool Answers(HWND window);

// ShowWindow that, for a window of another thread, is done by that thread when it next answers.
void Show(HWND window, int command);

// Moves and sizes the window (screen pixels) the same way: at once for this thread's windows, by its
// own thread for any other. False when the request failed.
bool Move(HWND window, const Bounds &bounds);

// Sets the window's caption, waiting at most kAnswerTimeoutMs for its thread. False when the window did
// not take it in time; a thread that was only slow still takes it when it answers again.
bool SetCaption(HWND window, const std::u16string &caption);

// The window's own layering now, to be given back later.
OwnLayering ReadLayering(HWND window);

// Translucent at `percent` (10 to 99 usable, keeping a colour key the window had), or at 100 back to
// its own layering: opaque and no longer layered when it had none. A window that draws itself with
// per-pixel alpha is left alone. False when the window did not answer: the layered style is then
// unchanged.
bool SetTrans(HWND window, int percent, const OwnLayering &own = {});

// The window's translucency read back as a percent; 100 for a window that is not layered.
int GetTrans(HWND window);

// Whether the window shows what SetTrans(window, percent) gives it (percent below 100: layered with
// that alpha). True where the system cannot tell.
bool HasTrans(HWND window, int percent);

// Into (true) or out of the topmost band. Also shows a hidden window. False when the call failed; a
// window of another thread changes when its thread next handles messages.
bool SetTopMost(HWND window, bool onTop);

// In the topmost band now.
bool IsTopMost(HWND window);
// Into (true) or out of the topmost band without showing, activating or moving the window, as SetTopMost
// does for a user's choice; false when the call failed.
bool SetTopMostQuietly(HWND window, bool onTop);

// Adds WS_EX_TOOLWINDOW: the window gets no taskbar button of its own. False when it did not answer.
bool SetToolWindow(HWND window);

// Maximized without a title bar (on), or restored with one (off). Only for sizable windows: true for
// any other without a change. False when the window did not answer: nothing changed.
bool SetCaptionless(HWND window, bool on);

// The shell's taskbar-list object: allowed once with the controller, made at its first use (a change of
// a taskbar button), released with the controller. That first use raises WinError when it cannot be
// made, and no later one tries again.
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
// Gives a window that is not this controller's target its taskbar button back (what another KV2 took).
void TaskBarButtonAdd(HWND window);

} // namespace procwin
