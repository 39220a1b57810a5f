// The shortcuts KV2C makes for a task: on the desktop, in the Start menu and in the Startup folder
// (start with Windows). Each starts KV2.exe (KV2A.exe for a ".KV2A" task) from KV2C's folder with the
// quoted task path; a file of the same name that is not such a shortcut is never touched.
#pragma once

#include "startup/FileProbe.h"

#include <optional>
#include <string>
#include <string_view>

namespace editor
{

enum class ShortcutPlace
{
    Desktop,
    StartMenu,
    Startup,
};

// What a task's shortcut starts.
struct ShortcutTarget
{
    std::u16string program;   // KV2.exe or KV2A.exe in `programFolder`
    std::u16string arguments; // the task's path in quotes
    std::u16string workDir;   // the task's folder
};
ShortcutTarget ShortcutTargetFor(std::u16string_view taskPath, std::u16string_view programFolder);

// The file name of the task's shortcuts: the task file's name without its extension, and ".lnk".
std::u16string ShortcutFileName(std::u16string_view taskPath);

// Whether the task may start with Windows from the Startup folder: Windows does not start programs that
// ask for administrator rights from there at sign-in, so a ".KV2A" task may not.
bool MayStartWithWindows(std::u16string_view taskPath);

// What a shortcut's place holds.
enum class FoundShortcut
{
    None,          // no file of that name
    Ours,          // a shortcut that starts this task with the programs of KV2C's folder
    OursElsewhere, // one that starts this task with a KV2.exe or KV2A.exe of another folder
    Foreign,       // a file of that name that is no shortcut to this task
};
// `exists`: a file of the shortcut's name is there; `link`: what it starts (none: no readable link).
FoundShortcut ClassifyShortcut(bool exists, const std::optional<startup::ShellLinkTarget> &link,
                               std::u16string_view taskPath, const ShortcutTarget &wanted);

enum class ShortcutAction
{
    None,
    Write,        // make it, or write it again (a moved program folder, the task's icon)
    Remove,
    LeaveForeign, // wanted, but the place holds another file: the user is told
};
ShortcutAction PlanShortcut(bool wanted, FoundShortcut found) noexcept;

} // namespace editor
