#include "editor/Shortcuts.h"

#include "common/Text.h"
#include "procwin/ProcessIdentity.h"
#include "startup/TaskFile.h"

namespace editor
{

namespace
{

constexpr std::u16string_view kElevatedExtension = u".KV2A";

bool IsElevatedTask(std::u16string_view taskPath)
{
    const std::u16string_view name = procwin::FileNameOf(taskPath);
    return name.size() >= kElevatedExtension.size() &&
           common::EqualsNoCase(name.substr(name.size() - kElevatedExtension.size()), kElevatedExtension);
}

} // namespace

ShortcutTarget ShortcutTargetFor(std::u16string_view taskPath, std::u16string_view programFolder)
{
    std::u16string program(programFolder);
    if (!program.empty() && program.back() != u'\\')
        program += u'\\';
    program += IsElevatedTask(taskPath) ? u"KV2A.exe" : u"KV2.exe";
    return {std::move(program), u"\"" + std::u16string(taskPath) + u"\"",
            std::u16string(startup::FolderOf(taskPath))};
}

std::u16string ShortcutFileName(std::u16string_view taskPath)
{
    const std::u16string_view name = procwin::FileNameOf(taskPath);
    const std::size_t dot = name.rfind(u'.');
    return std::u16string(dot == std::u16string_view::npos ? name : name.substr(0, dot)) + u".lnk";
}

bool MayStartWithWindows(std::u16string_view taskPath)
{
    return !IsElevatedTask(taskPath);
}

FoundShortcut ClassifyShortcut(bool exists, const std::optional<startup::ShellLinkTarget> &link,
                               std::u16string_view taskPath, const ShortcutTarget &wanted)
{
    if (!exists)
        return FoundShortcut::None;
    if (!link)
        return FoundShortcut::Foreign;
    const std::u16string_view program = procwin::FileNameOf(link->Program);
    const bool startsKv2 = common::EqualsNoCase(program, u"KV2.exe") || common::EqualsNoCase(program, u"KV2A.exe");
    if (!startsKv2 || !common::EqualsNoCase(link->Arguments, u"\"" + std::u16string(taskPath) + u"\""))
        return FoundShortcut::Foreign;
    return common::EqualsNoCase(link->Program, wanted.program) ? FoundShortcut::Ours : FoundShortcut::OursElsewhere;
}

ShortcutAction PlanShortcut(bool wanted, FoundShortcut found) noexcept
{
    const bool ours = found == FoundShortcut::Ours || found == FoundShortcut::OursElsewhere;
    if (wanted)
        return found == FoundShortcut::Foreign ? ShortcutAction::LeaveForeign : ShortcutAction::Write;
    return ours ? ShortcutAction::Remove : ShortcutAction::None;
}

} // namespace editor
