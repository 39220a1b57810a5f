#include "controller/win/EarlyLaunch.h"

#include "common/win/WinText.h"
#include "controller/win/MainForm.h"
#include "controller/win/OptionStore.h"
#include "controller/win/TargetSession.h"
#include "procwin/win/IRunFindForm.h"
#include "procwin/win/Wow64.h"
#include "startup/ProcessState.h"

namespace controller
{

EarlyLaunch LaunchEarly() noexcept
{
    EarlyLaunch launch;
    try
    {
        const startup::TaskDefinition &task = startup::Task();
        if (task.NoExecute)
            return launch;
        const std::optional<TrayOptions> options = ReadStoredOptions();
        if (!options)
            return launch;
        if (options->WExecute &&
            FindWindowW(kMainFormClassName, common::win::W(u"KV2-" + task.ProgramPath)) != nullptr)
            return launch;
        // Copies that run are asked about first. The process list tells without a window query, which
        // would cost as much as KV2's first window.
        if (procwin::ProgramMayRun(ProgramFileNameLower(task.ProgramPath)))
            return launch;
        procwin::Wow64Init();
        launch.placement = StartPlacement(*options);
        try
        {
            launch.process = procwin::CreateApp(task.ProgramPath, task.ProgramOption, task.WorkDir,
                                                task.PriorityClass, launch.placement);
        }
        catch (const procwin::LaunchError &)
        {
            launch.error = std::current_exception();
        }
    }
    catch (...)
    {
        // What failed before the launch is met again, and reported, on the usual way.
        return {};
    }
    return launch;
}

} // namespace controller
