#include "app/Startup.h"

#include "app/Forms.h"
#include "common/Text.h"
#include "common/win/IniFile.h"
#include "common/win/Shell.h"
#include "common/win/TextFile.h"
#include "common/win/Unique.h"
#include "common/win/WinText.h"
#include "gui/Application.h"
#include "startup/Build.h"
#include "startup/CommandLine.h"
#include "startup/ProcessState.h"
#include "startup/win/SpecialFolder.h"
#include "startup/win/SystemFileProbe.h"

#include <windows.h>

#include <optional>
#include <utility>

namespace app
{

using namespace startup;

namespace
{

using common::win::W;

constexpr UINT kErrorBoxStyle = MB_OK | MB_ICONHAND | MB_SYSTEMMODAL; // 0x1010

#ifdef KV2_ELEVATED
constexpr wchar_t kMutexName[] = L"KV2A/Orvane";
// KV2A keeps no error log; its program does not contain the log's name at all.
constexpr char16_t kErrorLogName[] = u"";
#else
constexpr wchar_t kMutexName[] = L"KV2/Orvane";
constexpr char16_t kErrorLogName[] = u"Error.log";
#endif

void ShowError(const std::u16string &text)
{
    MessageBoxW(nullptr, W(text), W(std::u16string(kMessageCaption)), kErrorBoxStyle);
}

} // namespace

int RunProgram()
{
    const std::u16string dataFolder = PrepareDataFolder(kDataFolderName);
    if (dataFolder.empty())
        return 0;
    SetFixedPaths(dataFolder, kErrorLogName);
    Paths().LocalDataFolder = PrepareDataFolder(kDataFolderName, 2);
    common::win::SetSettingsLockFolder(Paths().DataFolder);
    gui::Application &application = gui::Application::Instance();
    application.SetTitle(kApplicationTitle);

    TaskDefinition task = Task();
    ApplyCommandLine(SplitCommandLine(common::win::U(GetCommandLineW())), SystemFileProbe(),
                     common::win::SystemAnsiCodePage(), task);
    SetTask(std::move(task));
    if (Task().ProgramPath.empty())
    {
        ShowError(kRefusalMessage);
        return 0;
    }

    // Held for the life of the process. Whether it existed before does not matter: several instances
    // run side by side, each managing its own target.
    common::win::UniqueHandle mutex(CreateMutexW(nullptr, FALSE, kMutexName));

    // The target first, where nothing needs settling before: its start-up runs while KV2 makes itself.
    controller::EarlyLaunch early = controller::LaunchEarly();
    std::optional<Forms> forms;
    try
    {
        forms.emplace(std::move(early));
    }
    catch (const std::exception &error)
    {
        ShowError(common::Utf8ToUtf16(error.what()));
        return 1;
    }
    application.Run();
    forms->mainForm.LoopEnded();
    forms.reset();
    common::win::LeaveComApartment();
    ReleaseMutex(mutex.Get());
    return 0;
}

} // namespace app
