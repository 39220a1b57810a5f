// Lets GoogleTest show a task definition field by field when a comparison fails.
#pragma once

#include "common/Text.h"
#include "startup/TaskDefinition.h"

#include <ostream>

namespace startup
{

inline void PrintTo(const TaskDefinition &task, std::ostream *os)
{
    const auto text = [](const std::u16string &value) { return '"' + common::Utf16ToUtf8(value) + '"'; };
    *os << "{TaskFilePath=" << text(task.TaskFilePath) << " TaskFileGiven=" << task.TaskFileGiven
        << " ProgramPath=" << text(task.ProgramPath) << " ProgramOption=" << text(task.ProgramOption)
        << " WorkDir=" << text(task.WorkDir) << " CommandLine=" << text(task.CommandLine)
        << " IconFile=" << text(task.IconFile) << " IconIndex=" << task.IconIndex
        << " ShowCommand=" << task.ShowCommand << " PriorityClass=0x" << std::hex << task.PriorityClass
        << std::dec << " NoExecute=" << task.NoExecute << " HotKeyText=" << text(task.HotKeyText) << "}";
}

} // namespace startup
