// What the task editor (KV2C) edits in a task file, and how its edits meet the file on disk: the nine
// keys of the task, read as they stand and written with the exact words KV2 reads, every other section
// and key kept; at a save the file is read again and only the keys the user changed are written, a key
// somebody else changed meanwhile being the user's to decide.
#pragma once

#include "common/IniDocument.h"
#include "startup/FileProbe.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace editor
{

// The task's fields as the editor shows them.
struct TaskFields
{
    std::u16string program;
    std::u16string arguments;
    std::u16string workDir;
    std::u16string style = u"def";       // "def", "min" or "max"
    std::u16string priority = u"NORMAL"; // "NORMAL", "IDLE", "HIGH", "BELOW" or "ABOVE"
    std::u16string iconFile;
    std::int32_t iconIndex = 0;
    std::u16string hotKey; // shortcut text, empty: none
    bool execute = true;   // false: "[Execute] YesNo=No", KV2 only stays resident

    bool operator==(const TaskFields &) const = default;
};

// The keys the editor writes, in the order they are written.
struct TaskKey
{
    std::u16string_view section;
    std::u16string_view key;
};
constexpr std::size_t kTaskKeyCount = 9;
extern const std::array<TaskKey, kTaskKeyCount> kTaskKeys;

// The words of the lists, in the order the editor offers them.
extern const std::array<std::u16string_view, 3> kStyleWords;
extern const std::array<std::u16string_view, 5> kPriorityWords;

// The task's keys as the file has them (none: absent).
using RawTaskKeys = std::array<std::optional<std::u16string>, kTaskKeyCount>;
RawTaskKeys RawKeysOf(const common::IniDocument &file);

// The fields of a task file, and the keys whose values could not be read (a window style or priority
// in another spelling, an icon number that is no number): their fields keep the defaults, and a save
// leaves those keys as they are unless the user sets them.
struct ReadTask
{
    TaskFields fields;
    std::vector<TaskKey> unreadable;
};
ReadTask ReadTaskFields(const common::IniDocument &file);

// The key texts of the fields, in the order of kTaskKeys.
std::array<std::u16string, kTaskKeyCount> KeyTextsOf(const TaskFields &fields);

// A key both the user and somebody else changed since the task was opened.
struct Conflict
{
    TaskKey key;
    std::optional<std::u16string> theirs; // as it is on disk now (none: removed)
    std::u16string ours;
};

// The file on disk now (`current`), with the user's edits: the keys whose text the user changed from
// `opened` (the fields as read) are written; a key the file has changed since (`openedRaw` is what it had
// then) to something else than the user's text is not written but listed, for the user to decide.
// Everything else stays as the file has it now. A new task (nothing opened) writes every key.
struct Merge
{
    common::IniDocument file;
    std::vector<Conflict> conflicts;
};
Merge MergeEdits(common::IniDocument current, const RawTaskKeys &openedRaw, const TaskFields &opened,
                 const TaskFields &edited);

// What the window points out before a save, to be saved only when the user confirms: KV2 would refuse
// a task without a program that exists, and would start the program in its own folder instead of a
// working folder that does not exist.
enum class SaveWarning
{
    NoProgram,
    ProgramMissing,
    WorkDirMissing,
};
std::vector<SaveWarning> WarningsBeforeSave(const TaskFields &fields, const startup::FileProbe &probe);

// The fields once the user chose `chosen` as the program (a file dialog, a drop): a shortcut (".lnk")
// gives its target's program, arguments and working folder, and the target's icon, so that the task
// names what will run; any other file is the program itself. None for a shortcut that starts no file
// (an installer's advertised shortcut, a packaged app, a folder, a web address).
std::optional<TaskFields> FieldsForProgram(TaskFields fields, std::u16string_view chosen,
                                           const startup::FileProbe &probe);

// Writes one key of the task (a conflict the user decided for their own text).
void WriteKey(common::IniDocument &file, const TaskKey &key, std::u16string_view text);

} // namespace editor
