#include "editor/FileTypes.h"

#include "common/Text.h"
#include "procwin/ProcessIdentity.h"

namespace editor
{

namespace
{

std::u16string InFolder(std::u16string_view folder, std::u16string_view file)
{
    std::u16string path(folder);
    if (!path.empty() && path.back() != u'\\')
        path += u'\\';
    return path += file;
}

// The program a command starts: its first word, quoted or not.
std::u16string_view ProgramOf(std::u16string_view command)
{
    if (command.starts_with(u'"'))
    {
        const std::size_t end = command.find(u'"', 1);
        return end == std::u16string_view::npos ? std::u16string_view() : command.substr(1, end - 1);
    }
    return command.substr(0, command.find(u' '));
}

} // namespace

std::vector<ClassValue> FileTypeValues(const FileType &type, std::u16string_view programFolder)
{
    const std::u16string progId(type.progId);
    const std::u16string program = InFolder(programFolder, type.program);
    return {
        {std::u16string(type.extension), u"", progId},
        {std::u16string(type.extension) + u"\\OpenWithProgids", progId, u""},
        {progId, u"", std::u16string(type.name)},
        {progId + u"\\DefaultIcon", u"", program + u",0"},
        {progId + u"\\shell", u"", u"open"},
        {progId + u"\\shell\\open\\command", u"", u"\"" + program + u"\" \"%1\""},
        {progId + u"\\shell\\edit", u"", u"編集(&E)"},
        {progId + u"\\shell\\edit\\command", u"", u"\"" + InFolder(programFolder, u"KV2C.exe") + u"\" \"%1\""},
    };
}

bool IsOurOpenCommand(std::u16string_view command, const FileType &type)
{
    return common::EqualsNoCase(procwin::FileNameOf(ProgramOf(command)), type.program);
}

bool OpensWithUs(const std::optional<std::u16string> &extensionClass, const std::optional<std::u16string> &openCommand,
                 const FileType &type)
{
    return extensionClass && common::EqualsNoCase(*extensionClass, type.progId) && openCommand &&
           IsOurOpenCommand(*openCommand, type);
}

} // namespace editor
