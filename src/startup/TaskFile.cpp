#include "startup/TaskFile.h"

#include "common/Text.h"

namespace startup
{

using common::IniDocument;

int ShowCommandFromWord(std::u16string_view word) noexcept
{
    if (word == u"def")
        return kShowDefault;
    if (word == u"min")
        return kShowMinimize;
    if (word == u"max")
        return kShowMaximized;
    return 0;
}

std::uint32_t PriorityClassFromWord(std::u16string_view word) noexcept
{
    if (word == u"NORMAL")
        return kPriorityNormal;
    if (word == u"IDLE")
        return kPriorityIdle;
    if (word == u"HIGH")
        return kPriorityHigh;
    if (word == u"BELOW")
        return kPriorityBelowNormal;
    if (word == u"ABOVE")
        return kPriorityAboveNormal;
    return 0;
}

namespace
{

constexpr bool IsPathDelimiter(char16_t c) noexcept
{
    return c == u'\\' || c == u'/' || c == u':';
}

size_t LastDelimiter(std::u16string_view path) noexcept
{
    for (size_t i = path.size(); i > 0; --i)
        if (IsPathDelimiter(path[i - 1]))
            return i - 1;
    return std::u16string_view::npos;
}

} // namespace

std::u16string_view FolderOf(std::u16string_view path) noexcept
{
    const size_t last = LastDelimiter(path);
    if (last == std::u16string_view::npos)
        return {};
    // "C:\dir\a.exe" gives "C:\dir"; "C:\a.exe" keeps the root's backslash: "C:\".
    if (path[last] != u':' && last > 0 && !IsPathDelimiter(path[last - 1]))
        return path.substr(0, last);
    return path.substr(0, last + 1);
}

bool IsTaskFileExtension(std::u16string_view path) noexcept
{
    const size_t delimiter = LastDelimiter(path);
    const std::u16string_view name = delimiter == std::u16string_view::npos ? path : path.substr(delimiter + 1);
    const size_t dot = name.rfind(u'.');
    if (dot == std::u16string_view::npos)
        return false;
    const std::u16string_view extension = name.substr(dot);
    return common::EqualsNoCase(extension, u".KV2") || common::EqualsNoCase(extension, u".KV2A");
}

std::u16string CommandLineOf(const std::u16string &programPath, const std::u16string &programOption)
{
    return programOption.empty() ? programPath : programPath + u" " + programOption;
}

void CompleteTaskDefinition(TaskDefinition &task)
{
    if (task.ProgramPath.empty())
        return;
    task.CommandLine = CommandLineOf(task.ProgramPath, task.ProgramOption);
    if (task.WorkDir.empty())
        task.WorkDir = FolderOf(task.ProgramPath);
    if (task.ShowCommand == 0)
        task.ShowCommand = kShowDefault;
    if (task.IconFile.empty())
        task.IconFile = task.ProgramPath;
    if (task.PriorityClass == 0)
        task.PriorityClass = kPriorityNormal;
}

void ResolveShellLink(const FileProbe &probe, TaskDefinition &task)
{
    const std::u16string_view name =
        std::u16string_view(task.ProgramPath).substr(LastDelimiter(task.ProgramPath) + 1);
    if (name.size() < 4 || !common::EqualsNoCase(name.substr(name.size() - 4), u".lnk"))
        return;
    const std::optional<ShellLinkTarget> link = probe.ReadShellLink(task.ProgramPath);
    if (!link || link->Program.empty() || !probe.FileExists(link->Program))
        return;
    task.ProgramPath = link->Program;
    if (!link->Arguments.empty())
        task.ProgramOption = CommandLineOf(link->Arguments, task.ProgramOption);
    if (task.WorkDir.empty() && !link->WorkDir.empty() && probe.DirectoryExists(link->WorkDir))
        task.WorkDir = link->WorkDir;
}

std::u16string NativeProgramFilesVariables(std::u16string_view text)
{
    static constexpr std::pair<std::u16string_view, std::u16string_view> kNative[] = {
        {u"%ProgramFiles%", u"%ProgramW6432%"},
        {u"%CommonProgramFiles%", u"%CommonProgramW6432%"},
    };
    std::u16string result;
    while (!text.empty())
    {
        bool replaced = false;
        for (const auto &[variable, native] : kNative)
            if (text.size() >= variable.size() &&
                common::EqualsNoCase(text.substr(0, variable.size()), variable))
            {
                result += native;
                text.remove_prefix(variable.size());
                replaced = true;
                break;
            }
        if (!replaced)
        {
            result += text.front();
            text.remove_prefix(1);
        }
    }
    return result;
}

void ApplyTaskFile(const IniDocument &file, const FileProbe &probe, TaskDefinition &task)
{
    if (file.Get(u"Execute", u"YesNo", u"") == u"No")
        task.NoExecute = true;
    task.ShowCommand = ShowCommandFromWord(file.Get(u"Window", u"Style", u"def"));
    task.PriorityClass = PriorityClassFromWord(file.Get(u"Window", u"Priority", u"NORMAL"));

    const std::u16string name = file.Get(u"Program", u"Name", u"");
    if (!name.empty() && probe.FileExists(name))
        task.ProgramPath = name;
    task.ProgramOption = file.Get(u"Program", u"Option", u"");
    const std::u16string directory = file.Get(u"Program", u"Directory", u"");
    if (!directory.empty() && probe.DirectoryExists(directory))
        task.WorkDir = directory;
    const std::u16string icon = file.Get(u"Icon", u"File", u"");
    if (!icon.empty() && probe.FileExists(icon))
        task.IconFile = icon;
    // A number that is not a decimal integer counts as the first icon.
    task.IconIndex = common::ParseInt32(file.Get(u"Icon", u"Number", u"0")).value_or(0);
    task.HotKeyText = file.Get(u"HotKey", u"Show", u"");
}

void ReadTaskFile(std::u16string_view argument, const FileProbe &probe, const common::AnsiCodePage &ansi,
                  TaskDefinition &task)
{
    if (!probe.FileExists(argument) || !IsTaskFileExtension(argument))
        return;
    task.TaskFilePath = argument;
    task.TaskFileGiven = true;
    const auto bytes = probe.ReadFile(argument, kTaskFileSizeLimit);
    if (!bytes)
        return; // unreadable or too large: no program, so start-up refuses
    const std::u16string text = common::DecodeText(*bytes, common::TextEncoding::Ansi, ansi);
    ApplyTaskFile(IniDocument::Parse(text), probe, task);
}

} // namespace startup
