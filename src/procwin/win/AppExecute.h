// Starting the target and other programs, and finding the target's window.
//
// A program is always named exactly: its path goes to the system as the application name and, quoted,
// as the first token of its command line, so that no other program found along the blanks of an
// unquoted path is started in its place. The launch waits for the new process without blocking the
// user-interface thread: the idle wait runs on a helper thread while the caller's wait runs messages.
#pragma once

#include "common/Error.h"
#include "common/win/Unique.h"
#include "procwin/ScreenGeometry.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <span>
#include <string>

namespace procwin
{

// What a launch found: the new process, its main top-level window and a second window of the program
// that carries the visible frame when the main one is an application-level window (null: none found).
// The windows are not owned: KV2 never destroys them.
struct LaunchedTarget
{
    DWORD processId = 0;
    HWND window = nullptr;
    HWND frame = nullptr;
};

// ERROR_ELEVATION_REQUIRED, which not every toolchain's headers name.
constexpr DWORD kErrorElevationRequired = 740;

// Raised when the target cannot be started; the message is the command line followed by
// "を起動できません。" (UTF-8 in what(), UTF-16 in Text()).
class LaunchError : public common::Error
{
  public:
    explicit LaunchError(const std::u16string &text, DWORD code = 0);
    const std::u16string &Text() const noexcept
    {
        return m_text;
    }
    // The system's error code (kErrorElevationRequired: the program asks for administrator rights).
    DWORD Code() const noexcept
    {
        return m_code;
    }

  private:
    std::u16string m_text;
    DWORD m_code;
};

// What the launch calls to create a process; CreateProcessW unless a test puts another in (null puts
// CreateProcessW back), so that failures Wine never gives can be seen.
using ProcessCreator = BOOL(WINAPI *)(LPCWSTR, LPWSTR, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES, BOOL, DWORD,
                                      LPVOID, LPCWSTR, LPSTARTUPINFOW, LPPROCESS_INFORMATION);
void SetProcessCreator(ProcessCreator creator) noexcept;

// Starts a program through the shell (its manifest may ask for administrator rights, which the shell
// asks the user for), not waiting for it. False when it could not be started or the user refused.
bool StartThroughShell(const std::u16string &programPath, const std::u16string &arguments);

// Starts a program from within the shell's own process (the desktop's folder view), so that it runs
// with the rights of the user's shell whatever this program's are: an elevated program starts it
// unelevated. Never starts it any other way; false when the shell could not be asked.
bool StartAsShellUser(const std::u16string &programPath, const std::u16string &arguments);

// How the launch lets time pass while the new process `processId` starts up. Called with a condition
// that holds once the process is idle, has ended or cannot become idle (it has no message queue); it
// returns when the condition holds or earlier when the caller stops waiting, and runs the thread's
// messages meanwhile. Each call lasts at most kIdleWaitMilliseconds: the condition holds by then.
// `signals` are objects that are signalled when the condition may have come to hold (the end of the
// idle wait, the end of the process), so that the caller sleeps until then instead of asking again.
using LaunchWait = std::function<void(DWORD processId, const std::function<bool()> &settled,
                                      std::span<const HANDLE> signals)>;

// A process created by a launch, whose window is still to be waited for.
struct CreatedProcess
{
    common::win::UniqueHandle process;
    common::win::UniqueHandle thread;
    DWORD id = 0;
};

// The first half of ExecuteApp: starts the program file `programPath` with `arguments` (as written) in
// the working folder with the priority class and the placement, with file-system redirection off.
// Raises LaunchError, with the path and the arguments joined by one blank, when it cannot be started.
CreatedProcess CreateApp(const std::u16string &programPath, const std::u16string &arguments,
                         const std::u16string &workDir, DWORD priorityClass,
                         const std::optional<Bounds> &placement);

// The second half: waits through `wait` until `created` is idle and takes its first visible, unowned
// top-level window as the target's window. With the placement it was created with, it also finds the
// frame window and moves the frame there. A maximized or minimized new window is restored once. No
// window is taken when the process is not idle when the wait returns.
LaunchedTarget FollowLaunch(CreatedProcess created, const std::optional<Bounds> &placement,
                            const LaunchWait &wait);

// CreateApp, then FollowLaunch.
LaunchedTarget ExecuteApp(const std::u16string &programPath, const std::u16string &arguments,
                          const std::u16string &workDir, DWORD priorityClass,
                          const std::optional<Bounds> &placement, const LaunchWait &wait);

// Starts the program file `programPath` with `arguments` (as written) in the working folder, named exactly
// as the launch does, and does not wait for it. False when it cannot be started.
bool StartProgram(const std::u16string &programPath, const std::u16string &arguments,
                  const std::u16string &workDir);

// The start-up record of a started program, from KV2's own (GetStartupInfoW): the size of the record in
// this build, no desktop, title or reserved data, the default show value, the placement fields when a
// placement is given, and no request for standard handles, which are never inherited.
STARTUPINFOW StartupRecordFor(const STARTUPINFOW &own, const std::optional<Bounds> &placement) noexcept;

// The first top-level window of the process in the system's order, whatever its visibility or owner.
HWND FirstProcessWindow(DWORD processId);

// Asks the target window to close (WM_SYSCOMMAND, SC_CLOSE) without waiting. False when there is none or
// the post fails.
bool CloseTargetWnd(HWND target);

} // namespace procwin
