#include "controller/win/EarlyLaunch.h"

#include "common/Text.h"
#include "controller/win/InstanceLink.h"
#include "controller/win/OptionStore.h"
#include "procwin/ProcessIdentity.h"
#include "procwin/win/ProgramWindows.h"
#include "procwin/win/WindowInfo.h"
#include "procwin/win/Wow64.h"
#include "startup/TaskDefinition.h"
#include "startup/ProcessState.h"

namespace controller
{

std::u16string ProgramFileNameLower(const std::u16string &path)
{
    return common::ToLower(std::u16string(procwin::FileNameOf(path)));
}

std::optional<procwin::Bounds> StartPlacement(const TrayOptions &options)
{
    if (!options.PositionSize || options.W == 0 || options.H == 0 ||
        startup::Task().ShowCommand != startup::kShowDefault)
        return std::nullopt;
    // On monitors that have changed the place is brought within reach; the stored one is kept.
    return procwin::PlaceOnCurrentMonitors({options.X, options.Y, options.W, options.H}, options.Monitors);
}

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
        if (options->WExecute && RunningController(task.ProgramPath) != nullptr)
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
        // Nothing was launched: what failed is met again, and reported, on the usual way.
    }
    return launch;
}

} // namespace controller
