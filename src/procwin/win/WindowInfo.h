// Questions about top-level windows of any process, and a few actions on them. Nothing here raises:
// a window that has vanished or a process that cannot be opened gives empty, false or 0.
#pragma once

#include "procwin/MonitorPlacement.h"
#include "procwin/ProcessIdentity.h"
#include "procwin/ScreenGeometry.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace procwin
{

struct WndInfo
{
    std::u16string title;
    std::u16string className; // empty: the window is not usable
    std::u16string exePath;   // drive-letter form, spelled as on disk when the file exists
};

// Every top-level window, in the system's z order (front-most first), as EnumWindows lists them. Windows
// created or destroyed meanwhile may or may not be in it; the handles are not owned.
std::vector<HWND> TopLevelWindows();

// The whole text of a window (its title), of any length; empty when it has none or has gone.
std::u16string WindowText(HWND window);

// The id of the process that created the window; 0 when it has gone.
DWORD ProcessIdOf(HWND window);

// Title, class and executable of a visible window with text; all empty otherwise. The title is the
// first 259 characters of the window text, cut at a NUL and without trailing blanks and control
// characters.
WndInfo GetWndInfo(HWND window);

// Full path of the executable of the window's process, in drive-letter form, whatever its bitness and
// rights (a limited query, which programs of higher rights grant too); empty when it cannot be determined.
// Loads no library: it may run with redirection off.
std::u16string GetWndExePath(HWND window);

// Whether the window's process runs with a package identity (a packaged program; false where the
// system has no packages).
bool IsPackagedProcess(HWND window);

// The top of the window's GetParent chain (owners included); the window itself when it has none.
HWND RootWnd(HWND window);

// The window rectangle; empty when it cannot be read or the window is parked by minimizing.
std::optional<Rect> GetWndRect(HWND window);

// Left, top, width and height of GetWndRect.
std::optional<Bounds> GetWndBounds(HWND window);

// True when no corner and not the centre of the rectangle lies on a monitor.
bool IsOffScreen(const Bounds &bounds);

// The monitors as they are: rectangles, work areas and resolutions.
std::vector<MonitorArea> CurrentMonitors();
// Tests stand in for the system's list of monitors (nullptr: the system's again).
using MonitorListSource = std::vector<MonitorArea> (*)();
void SetMonitorListSource(MonitorListSource source) noexcept;

// Where a remembered rectangle (taken on the monitors `layout` tells, see FormatMonitorLayout) goes on
// the monitors there are now.
Bounds PlaceOnCurrentMonitors(const Bounds &remembered, std::u16string_view layout);

// Moves a window that is not maximized and lies off every monitor to the middle of the primary screen.
void CenterIfOffScreen(HWND window);

// Priority class of the window's process; 0 when it cannot be opened.
DWORD GetWndPriority(HWND window);

// Sets the priority class of the window's process and answers the class read back afterwards.
DWORD SetWndPriority(HWND window, DWORD priorityClass);

// The identity of the window's process; id 0 when the window has none.
ProcessIdentity WindowProcessIdentity(HWND window);
// This program's own.
ProcessIdentity OwnProcessIdentity();

// The Windows session (not the logon session) the process runs in; none when it cannot be told.
std::optional<std::uint32_t> SessionOf(DWORD processId);

// Whether the process named by `identity` still runs; true also when the system will not tell.
bool IsRunning(const ProcessIdentity &identity);

// Whether the process runs elevated; true also when its token cannot be read (it runs above this
// program), false when it is gone.
bool RunsElevated(DWORD processId);

// Whether the process runs with rights above the user's own programs: elevated while the taskbar's
// process is not. With User Account Control off, or on a system without integrity levels (Wine), the
// taskbar runs elevated too and nothing runs above them; without a taskbar, elevated is above.
bool RunsAboveTheUser(DWORD processId);

// Whether the process runs with rights above this program's (elevated, while this program is not): the
// system then refuses this program's changes to its windows. False when it cannot be told otherwise.
bool RunsWithHigherRights(DWORD processId);

// Ends the process named by `identity`, only when a process of that id and that creation time still
// runs. False when it is gone, its id now names another process, or it cannot be ended.
bool TerminateIdentifiedProcess(const ProcessIdentity &identity);

// Brings the window to the foreground, working round the system's foreground lock, without waiting for
// the window's thread (it comes to the top of the z-order once that thread answers). Answers whether it
// is the foreground window afterwards.
bool ForceForeground(HWND window);

// Sets a list box's horizontal scroll extent to twice its widest item, so long lines can be scrolled.
void FitListBoxExtent(HWND listBox);

} // namespace procwin
