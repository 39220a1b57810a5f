// Task files opened by a double click: the keys KV2C writes under the user's own classes so that
// Explorer opens a ".KV2" task with KV2.exe and a ".KV2A" task with KV2A.exe from KV2C's folder, and
// which of the keys there are ours to remove.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace editor
{

struct FileType
{
    std::u16string_view extension;
    std::u16string_view progId; // the class the extension names
    std::u16string_view program;
    std::u16string_view name; // as Explorer shows the type
};
inline constexpr FileType kFileTypes[] = {
    {u".KV2", u"KV2.TaskFile", u"KV2.exe", u"KV2 タスク"},
    {u".KV2A", u"KV2A.TaskFile", u"KV2A.exe", u"KV2 タスク (管理者)"},
};

// One value under the classes root: its key, its name (empty: the key's default value) and its text.
struct ClassValue
{
    std::u16string key;
    std::u16string name;
    std::u16string data;
};
// The values that make the type open with its program from `programFolder`, and edit with KV2C there.
std::vector<ClassValue> FileTypeValues(const FileType &type, std::u16string_view programFolder);

// Whether a class's open command starts the type's program, from whatever folder: a class of ours.
bool IsOurOpenCommand(std::u16string_view command, const FileType &type);

// Whether a double click opens the type with one of our programs: the extension names our class and its
// command is ours. `extensionClass` is the extension's default value, `openCommand` our class's command.
bool OpensWithUs(const std::optional<std::u16string> &extensionClass, const std::optional<std::u16string> &openCommand,
                 const FileType &type);

} // namespace editor
