#include "startup/ProcessState.h"

#include <utility>

namespace startup
{

FixedPaths &Paths()
{
    static FixedPaths paths;
    return paths;
}

namespace
{

TaskDefinition g_task;

} // namespace

const TaskDefinition &Task() noexcept
{
    return g_task;
}

void SetTask(TaskDefinition task)
{
    g_task = std::move(task);
}

void SetFixedPaths(const std::u16string &dataFolder, std::u16string_view errorLogName)
{
    FixedPaths &paths = Paths();
    paths.DataFolder = dataFolder;
    paths.SettingsFilePath = dataFolder + u"KV2.ini";
    paths.ErrorLogPath = errorLogName.empty() ? std::u16string() : dataFolder + std::u16string(errorLogName);
    g_task.TaskFilePath = dataFolder + u"exe.ini";
}

} // namespace startup
