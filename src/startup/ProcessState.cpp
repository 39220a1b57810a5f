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

void SetFixedPaths(const std::u16string &dataFolder, bool keepErrorLog)
{
    FixedPaths &paths = Paths();
    paths.DataFolder = dataFolder;
    paths.SettingsFilePath = dataFolder + u"KV2.ini";
    paths.ErrorLogPath = keepErrorLog ? dataFolder + u"Error.log" : std::u16string();
    Task().TaskFilePath = dataFolder + u"exe.ini";
}

} // namespace startup
