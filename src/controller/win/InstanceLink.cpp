#include "controller/win/InstanceLink.h"

#include "common/win/WinText.h"
#include "controller/HandOver.h"
#include "controller/win/ErrorLog.h"
#include "procwin/win/WindowInfo.h"
#include "startup/CommandLine.h"
#include "startup/ProcessState.h"

#include <optional>
#include <string>
#include <vector>

namespace controller
{

namespace
{

// How long a duplicate start waits for the running instance to take the hand-over.
constexpr UINT kHandOverTimeout = 5000;

} // namespace

std::u16string ControllerCaption(const std::u16string &programPath)
{
    return u"KV2-" + programPath;
}

HWND RunningController(const std::u16string &programPath)
{
    return FindWindowW(kMainFormClassName, common::win::W(ControllerCaption(programPath)));
}

bool HandOverTo(HWND running, HWND self)
{
    if (running == nullptr || running == self)
        return false;
    const std::vector<std::u16string> arguments =
        startup::SplitCommandLine(common::win::U(GetCommandLineW()));
    const std::u16string payload = HandOverPayload(arguments.size() > 1 ? arguments[1] : std::u16string());
    COPYDATASTRUCT data{};
    data.dwData = arguments.empty() ? 0 : arguments.size() - 1;
    data.cbData = static_cast<DWORD>(payload.size() * sizeof(char16_t));
    data.lpData = const_cast<char16_t *>(payload.data());
    // The running instance brings its target forward: it may take the foreground from this start.
    AllowSetForegroundWindow(procwin::ProcessIdOf(running));
    DWORD_PTR result = 0;
    if (SendMessageTimeoutW(running, WM_COPYDATA, reinterpret_cast<WPARAM>(self),
                            reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, kHandOverTimeout,
                            &result) == 0)
        AppendErrorLog(
            startup::Paths().ErrorLogPath,
            HandOverFailureText(startup::Task().ProgramPath, GetLastError() == ERROR_ACCESS_DENIED));
    return true;
}

bool IsHandOver(const COPYDATASTRUCT *data, bool noExecute)
{
    if (data == nullptr)
        return false;
    const std::optional<std::u16string> argument = ReadHandOver(data->lpData, data->cbData);
    return argument && !argument->empty() && !noExecute;
}

} // namespace controller
