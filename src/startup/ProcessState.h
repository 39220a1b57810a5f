// Process-wide values set once at start-up and read everywhere afterwards.
#pragma once

#include "startup/TaskDefinition.h"

#include <string>
#include <string_view>

namespace startup
{

struct FixedPaths
{
    std::u16string DataFolder;       // the per-user data folder, with a trailing backslash
    std::u16string SettingsFilePath; // DataFolder + "KV2.ini"
    std::u16string ErrorLogPath;     // DataFolder + the error log's name; empty in the elevated build
    std::u16string LocalDataFolder;  // the same folder in the local (not roaming) application data
};

FixedPaths &Paths();

// The task as start-up read it; it never changes afterwards (a program the user changes to is the
// controller's to keep).
const TaskDefinition &Task() noexcept;
// Start-up's task (tests set their own).
void SetTask(TaskDefinition task);

// Fills the fixed paths and the task's default option file from the data folder (with its trailing
// backslash). `errorLogName` is the error log's file name in that folder; empty (the elevated build,
// which keeps no error log, and whose program does not even contain the name) leaves ErrorLogPath
// empty.
void SetFixedPaths(const std::u16string &dataFolder, std::u16string_view errorLogName);

} // namespace startup
