#include "startup/ProcessState.h"

namespace startup
{

FixedPaths &Paths()
{
    static FixedPaths paths;
    return paths;
}

TaskDefinition &Task()
{
    static TaskDefinition task;
    return task;
}

void SetFixedPaths(const std::u16string &dataFolder, std::u16string_view errorLogName)
{
    FixedPaths &paths = Paths();
    paths.DataFolder = dataFolder;
    paths.SettingsFilePath = dataFolder + u"KV2.ini";
    paths.ErrorLogPath = errorLogName.empty() ? std::u16string() : dataFolder + std::u16string(errorLogName);
    Task().TaskFilePath = dataFolder + u"exe.ini";
}

} // namespace startup
