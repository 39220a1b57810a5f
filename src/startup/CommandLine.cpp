#include "startup/CommandLine.h"

#include "common/Text.h"
#include "startup/TaskFile.h"

namespace startup
{

std::vector<std::u16string> SplitCommandLine(std::u16string_view commandLine)
{
    std::vector<std::u16string> arguments;
    size_t i = 0;
    const size_t n = commandLine.size();
    while (true)
    {
        while (i < n && common::IsBlankOrControl(commandLine[i]))
            ++i;
        if (i >= n)
            break;
        std::u16string argument;
        bool quoted = false;
        for (; i < n && (quoted || !common::IsBlankOrControl(commandLine[i])); ++i)
        {
            if (commandLine[i] == u'"')
                quoted = !quoted;
            else
                argument.push_back(commandLine[i]);
        }
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

std::u16string_view ArgumentsOf(std::u16string_view commandLine)
{
    size_t i = 0;
    const size_t n = commandLine.size();
    while (i < n && common::IsBlankOrControl(commandLine[i]))
        ++i;
    for (bool quoted = false; i < n && (quoted || !common::IsBlankOrControl(commandLine[i])); ++i)
        if (commandLine[i] == u'"')
            quoted = !quoted;
    while (i < n && common::IsBlankOrControl(commandLine[i]))
        ++i;
    return commandLine.substr(i);
}

namespace
{

// Removes `prefix` from the start of `copy` and answers true when it was there.
bool TakePrefix(std::u16string &copy, std::u16string_view prefix)
{
    if (!common::StartsWith(copy, prefix))
        return false;
    copy.erase(0, prefix.size());
    return true;
}

// Paths are made absolute before they are tested: later loads and saves change the current folder.
void ApplyOption(std::u16string copy, const FileProbe &probe, TaskDefinition &task)
{
    if (TakePrefix(copy, u"/x:") && copy == u"No")
        task.NoExecute = true;
    if (TakePrefix(copy, u"/e:"))
        if (std::u16string path = probe.FullPath(copy); probe.FileExists(path))
            task.ProgramPath = std::move(path);
    if (TakePrefix(copy, u"/o:"))
        task.ProgramOption = copy;
    if (TakePrefix(copy, u"/w:"))
        if (const int show = ShowCommandFromWord(copy))
            task.ShowCommand = show;
    if (TakePrefix(copy, u"/p:"))
        if (const std::uint32_t priority = PriorityClassFromWord(copy))
            task.PriorityClass = priority;
    if (TakePrefix(copy, u"/d:"))
        if (std::u16string path = probe.FullPath(copy); probe.DirectoryExists(path))
            task.WorkDir = std::move(path);
    if (TakePrefix(copy, u"/i:"))
        if (std::u16string path = probe.FullPath(copy); probe.FileExists(path))
            task.IconFile = std::move(path);
    // An index that is not a decimal integer is ignored like any other unusable value.
    if (TakePrefix(copy, u"/n:"))
        if (const auto index = common::ParseInt32(copy))
            task.IconIndex = *index;
}

} // namespace

void ApplyCommandLine(const std::vector<std::u16string> &arguments, const FileProbe &probe,
                      const common::AnsiCodePage &ansi, TaskDefinition &task)
{
    if (arguments.size() <= 1)
        return;
    task.TaskFileGiven = false;
    if (arguments.size() == 2)
        ReadTaskFile(probe.FullPath(arguments[1]), probe, ansi, task);
    else
        for (size_t i = 1; i < arguments.size(); ++i)
            ApplyOption(arguments[i], probe, task);
    ResolveShellLink(probe, task);
    CompleteTaskDefinition(task);
}

} // namespace startup
