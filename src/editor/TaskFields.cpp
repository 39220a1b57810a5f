#include "editor/TaskFields.h"

#include "common/Text.h"

#include <algorithm>

namespace editor
{

const std::array<TaskKey, kTaskKeyCount> kTaskKeys = {{
    {u"Program", u"Name"},
    {u"Program", u"Option"},
    {u"Program", u"Directory"},
    {u"Window", u"Style"},
    {u"Window", u"Priority"},
    {u"Icon", u"File"},
    {u"Icon", u"Number"},
    {u"HotKey", u"Show"},
    {u"Execute", u"YesNo"},
}};

const std::array<std::u16string_view, 3> kStyleWords = {u"def", u"min", u"max"};
// As KV2's "基本優先度" lists them: 通常, 低, 高, 通常以下, 通常以上.
const std::array<std::u16string_view, 5> kPriorityWords = {u"NORMAL", u"IDLE", u"HIGH", u"BELOW", u"ABOVE"};

namespace
{

enum KeyIndex : std::size_t
{
    kName,
    kOption,
    kDirectory,
    kStyle,
    kPriority,
    kIconFile,
    kIconNumber,
    kHotKey,
    kYesNo,
};

template <std::size_t N> bool IsOneOf(std::u16string_view word, const std::array<std::u16string_view, N> &words)
{
    return std::find(words.begin(), words.end(), word) != words.end();
}

} // namespace

RawTaskKeys RawKeysOf(const common::IniDocument &file)
{
    RawTaskKeys raw;
    for (std::size_t i = 0; i < kTaskKeyCount; ++i)
        if (const std::u16string *value = file.Find(kTaskKeys[i].section, kTaskKeys[i].key))
            raw[i] = *value;
    return raw;
}

ReadTask ReadTaskFields(const common::IniDocument &file)
{
    const RawTaskKeys raw = RawKeysOf(file);
    ReadTask read;
    TaskFields &fields = read.fields;
    const auto text = [&raw](std::size_t i) { return raw[i].value_or(u""); };
    fields.program = text(kName);
    fields.arguments = text(kOption);
    fields.workDir = text(kDirectory);
    fields.iconFile = text(kIconFile);
    fields.hotKey = text(kHotKey);
    // KV2 starts the program unless the value is exactly "No".
    fields.execute = text(kYesNo) != u"No";
    // Absent keys have their defaults; present ones must be the exact words KV2 reads.
    if (raw[kStyle])
    {
        if (IsOneOf(*raw[kStyle], kStyleWords))
            fields.style = *raw[kStyle];
        else
            read.unreadable.push_back(kTaskKeys[kStyle]);
    }
    if (raw[kPriority])
    {
        if (IsOneOf(*raw[kPriority], kPriorityWords))
            fields.priority = *raw[kPriority];
        else
            read.unreadable.push_back(kTaskKeys[kPriority]);
    }
    if (raw[kIconNumber])
    {
        if (const std::optional<std::int32_t> number = common::ParseInt32(*raw[kIconNumber]))
            fields.iconIndex = *number;
        else
            read.unreadable.push_back(kTaskKeys[kIconNumber]);
    }
    return read;
}

std::array<std::u16string, kTaskKeyCount> KeyTextsOf(const TaskFields &fields)
{
    return {fields.program,
            fields.arguments,
            fields.workDir,
            fields.style,
            fields.priority,
            fields.iconFile,
            common::DecimalText(fields.iconIndex),
            fields.hotKey,
            fields.execute ? u"Yes" : u"No"};
}

std::vector<SaveWarning> WarningsBeforeSave(const TaskFields &fields, const startup::FileProbe &probe)
{
    std::vector<SaveWarning> warnings;
    if (fields.program.empty())
        warnings.push_back(SaveWarning::NoProgram);
    else if (!probe.FileExists(fields.program))
        warnings.push_back(SaveWarning::ProgramMissing);
    if (!fields.workDir.empty() && !probe.DirectoryExists(fields.workDir))
        warnings.push_back(SaveWarning::WorkDirMissing);
    return warnings;
}

std::optional<TaskFields> FieldsForProgram(TaskFields fields, std::u16string_view chosen,
                                           const startup::FileProbe &probe)
{
    constexpr std::u16string_view kLink = u".lnk";
    const bool isLink = chosen.size() > kLink.size() &&
                        common::EqualsNoCase(chosen.substr(chosen.size() - kLink.size()), kLink);
    if (!isLink)
    {
        fields.program = chosen;
        return fields;
    }
    const std::optional<startup::ShellLinkTarget> link = probe.ReadShellLink(chosen);
    if (!link || !probe.FileExists(link->Program))
        return std::nullopt;
    fields.program = link->Program;
    fields.arguments = link->Arguments;
    fields.workDir = link->WorkDir;
    fields.iconFile.clear(); // the program's own icon
    fields.iconIndex = 0;
    return fields;
}

void WriteKey(common::IniDocument &file, const TaskKey &key, std::u16string_view text)
{
    file.Set(key.section, key.key, text);
}

Merge MergeEdits(common::IniDocument current, const RawTaskKeys &openedRaw, const TaskFields &opened,
                 const TaskFields &edited)
{
    const bool newTask = std::none_of(openedRaw.begin(), openedRaw.end(), [](const auto &v) { return v.has_value(); });
    const auto before = KeyTextsOf(opened);
    const auto ours = KeyTextsOf(edited);
    const RawTaskKeys now = RawKeysOf(current);
    Merge merge;
    for (std::size_t i = 0; i < kTaskKeyCount; ++i)
    {
        if (!newTask && ours[i] == before[i])
            continue; // the user left it: the file's value stands, whoever wrote it
        if (now[i] == openedRaw[i] || now[i] == ours[i])
            WriteKey(current, kTaskKeys[i], ours[i]);
        else
            merge.conflicts.push_back({kTaskKeys[i], now[i], ours[i]});
    }
    merge.file = std::move(current);
    return merge;
}

} // namespace editor
