// Process-wide values set once at start-up and read everywhere afterwards.
#pragma once

#include "startup/TaskDefinition.h"

#include <string>

namespace startup
{

struct FixedPaths
{
    std::u16string DataFolder;       // the per-user data folder, with a trailing backslash
    std::u16string SettingsFilePath; // DataFolder + "KV2.ini"
    std::u16string ErrorLogPath;     // DataFolder + "Error.log"; empty in the elevated build
};

FixedPaths &Paths();
TaskDefinition &Task();

// Fills the fixed paths and the default option file from the data folder (with its trailing
// backslash). The elevated build keeps no error log.
void SetFixedPaths(const std::u16string &dataFolder, bool keepErrorLog);

} // namespace startup
