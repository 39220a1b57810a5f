// The task editor's model: the task's keys read and written as KV2 reads them, a save merged into the
// file as it is on disk then, and the shortcuts made, written again or left alone.
#include "editor/FileTypes.h"
#include "editor/Shortcuts.h"
#include "editor/TaskFields.h"

#include "FakeFileSystem.h"
#include "common/Text.h"

#include <gtest/gtest.h>

using common::IniDocument;
using namespace editor;

namespace
{

const char16_t kWholeTask[] = u"[Program]\r\nName=C:\\Tools\\a.exe\r\nOption=-x \"b c\"\r\nDirectory=C:\\Work\r\n"
                              u"[Window]\r\nStyle=max\r\nPriority=BELOW\r\n[Icon]\r\nFile=C:\\i.ico\r\nNumber=3\r\n"
                              u"[HotKey]\r\nShow=Ctrl+Alt+K\r\n[Execute]\r\nYesNo=No\r\n"
                              u"[Tray Option]\r\nMostTop=1\r\nX=40\r\n";

std::string Key(const IniDocument &file, std::u16string_view section, std::u16string_view key)
{
    const std::u16string *value = file.Find(section, key);
    return value == nullptr ? "(absent)" : common::Utf16ToUtf8(*value);
}

} // namespace

TEST(TaskEditorFields, ReadWithKv2sWordsAndWrittenBackWithEveryOtherKeyKept)
{
    const ReadTask read = ReadTaskFields(IniDocument::Parse(kWholeTask));
    const TaskFields expected{u"C:\\Tools\\a.exe", u"-x \"b c\"", u"C:\\Work", u"max", u"BELOW", u"C:\\i.ico", 3,
                              u"Ctrl+Alt+K", false};
    EXPECT_EQ(read.fields, expected);
    EXPECT_TRUE(read.unreadable.empty());

    // Written into a file of its own: the exact words, the rest of the file in place.
    IniDocument file = IniDocument::Parse(u"[Tray Option]\r\nMostTop=1\r\n[Mine]\r\nKeep=yes\r\n");
    TaskFields edited = expected;
    edited.execute = true;
    edited.style = u"min";
    const Merge merge = MergeEdits(file, {}, TaskFields{}, edited);
    EXPECT_TRUE(merge.conflicts.empty());
    EXPECT_EQ(ReadTaskFields(merge.file).fields, edited);
    EXPECT_EQ(Key(merge.file, u"Execute", u"YesNo"), "Yes");
    EXPECT_EQ(Key(merge.file, u"Window", u"Style"), "min");
    EXPECT_EQ(Key(merge.file, u"Tray Option", u"MostTop"), "1");
    EXPECT_EQ(Key(merge.file, u"Mine", u"Keep"), "yes");
}

TEST(TaskEditorFields, ValuesKv2DoesNotReadAreNamedAndKeptUntilTheUserSetsThem)
{
    struct Case
    {
        const char16_t *line;
        const char *key;
    };
    const Case cases[] = {
        {u"[Window]\r\nStyle=Max", "Style"},      {u"[Window]\r\nPriority=high", "Priority"},
        {u"[Icon]\r\nNumber=1.5", "Number"},       {u"[Icon]\r\nNumber=", "Number"},
        {u"[Window]\r\nStyle=", "Style"},
    };
    for (const Case &c : cases)
    {
        const IniDocument file = IniDocument::Parse(std::u16string(u"[Program]\r\nName=a.exe\r\n") + c.line);
        const ReadTask read = ReadTaskFields(file);
        ASSERT_EQ(read.unreadable.size(), 1u) << c.key;
        EXPECT_EQ(common::Utf16ToUtf8(read.unreadable[0].key), c.key);
        EXPECT_EQ(read.fields.style, u"def");
        EXPECT_EQ(read.fields.priority, u"NORMAL");
        EXPECT_EQ(read.fields.iconIndex, 0);
        // Saved with another field changed: the damaged value stays as it was.
        TaskFields edited = read.fields;
        edited.arguments = u"-new";
        const Merge merge = MergeEdits(file, RawKeysOf(file), read.fields, edited);
        EXPECT_EQ(merge.file.Serialize(), [&] {
            IniDocument expected = file;
            expected.Set(u"Program", u"Option", u"-new");
            return expected.Serialize();
        }()) << c.key;
    }
    // "No" alone keeps KV2 from starting the program, as KV2 reads it.
    EXPECT_TRUE(ReadTaskFields(IniDocument::Parse(u"[Execute]\r\nYesNo=no")).fields.execute);
    EXPECT_FALSE(ReadTaskFields(IniDocument::Parse(u"[Execute]\r\nYesNo=No")).fields.execute);
}

TEST(TaskEditorMerge, OnlyTheUsersChangesAreWrittenAndAKeyBothChangedIsTheUsersToDecide)
{
    const IniDocument opened = IniDocument::Parse(kWholeTask);
    const RawTaskKeys openedRaw = RawKeysOf(opened);
    const TaskFields fields = ReadTaskFields(opened).fields;
    struct Case
    {
        const char *name;
        void (*edit)(TaskFields &);
        void (*meanwhile)(IniDocument &); // what KV2 or another editor wrote since the task was opened
        std::size_t conflicts;
        const char *name_, *option, *mostTop;
    };
    const Case cases[] = {
        {"the user's change on an unchanged file", [](TaskFields &f) { f.arguments = u"-y"; }, [](IniDocument &) {},
         0, "C:\\Tools\\a.exe", "-y", "1"},
        {"KV2 changed its options meanwhile: kept", [](TaskFields &f) { f.arguments = u"-y"; },
         [](IniDocument &d) { d.Set(u"Tray Option", u"MostTop", u"0"); }, 0, "C:\\Tools\\a.exe", "-y", "0"},
        {"KV2 took another program: kept, the user did not touch it", [](TaskFields &f) { f.arguments = u"-y"; },
         [](IniDocument &d) { d.Set(u"Program", u"Name", u"C:\\New\\b.exe"); }, 0, "C:\\New\\b.exe", "-y", "1"},
        {"both changed the program: the user decides", [](TaskFields &f) { f.program = u"C:\\Mine\\c.exe"; },
         [](IniDocument &d) { d.Set(u"Program", u"Name", u"C:\\New\\b.exe"); }, 1, "C:\\New\\b.exe", "-x \"b c\"",
         "1"},
        {"both changed it the same way", [](TaskFields &f) { f.program = u"C:\\New\\b.exe"; },
         [](IniDocument &d) { d.Set(u"Program", u"Name", u"C:\\New\\b.exe"); }, 0, "C:\\New\\b.exe", "-x \"b c\"",
         "1"},
        {"somebody removed the key the user changed", [](TaskFields &f) { f.arguments = u"-y"; },
         [](IniDocument &d) { d.RemoveSection(u"Program"); }, 1, "(absent)", "(absent)", "1"},
    };
    for (const Case &c : cases)
    {
        TaskFields edited = fields;
        c.edit(edited);
        IniDocument onDisk = opened;
        c.meanwhile(onDisk);
        const Merge merge = MergeEdits(onDisk, openedRaw, fields, edited);
        EXPECT_EQ(merge.conflicts.size(), c.conflicts) << c.name;
        EXPECT_EQ(Key(merge.file, u"Program", u"Name"), c.name_) << c.name;
        EXPECT_EQ(Key(merge.file, u"Program", u"Option"), c.option) << c.name;
        EXPECT_EQ(Key(merge.file, u"Tray Option", u"MostTop"), c.mostTop) << c.name;
        if (c.conflicts == 1 && c.name_ == std::string("C:\\New\\b.exe"))
        {
            EXPECT_EQ(merge.conflicts[0].theirs, u"C:\\New\\b.exe");
            EXPECT_EQ(merge.conflicts[0].ours, u"C:\\Mine\\c.exe");
        }
    }
}

TEST(TaskEditorShortcuts, EachStartsKv2WithTheQuotedTaskAndOnlyOursAreWrittenOrRemoved)
{
    const ShortcutTarget normal = ShortcutTargetFor(u"D:\\Tasks\\notepad.KV2", u"C:\\KV2\\");
    EXPECT_EQ(normal.program, u"C:\\KV2\\KV2.exe");
    EXPECT_EQ(normal.arguments, u"\"D:\\Tasks\\notepad.KV2\"");
    EXPECT_EQ(normal.workDir, u"D:\\Tasks");
    EXPECT_EQ(ShortcutTargetFor(u"D:\\Tasks\\hosts.kv2a", u"C:\\KV2").program, u"C:\\KV2\\KV2A.exe");
    EXPECT_EQ(ShortcutFileName(u"D:\\Tasks\\my notepad.KV2"), u"my notepad.lnk");
    EXPECT_TRUE(MayStartWithWindows(u"D:\\Tasks\\notepad.KV2"));
    EXPECT_FALSE(MayStartWithWindows(u"D:\\Tasks\\hosts.KV2A"));

    using startup::ShellLinkTarget;
    struct Case
    {
        const char *name;
        bool exists;
        std::optional<ShellLinkTarget> link;
        FoundShortcut found;
        ShortcutAction wanted, notWanted;
    };
    const Case cases[] = {
        {"nothing there", false, std::nullopt, FoundShortcut::None, ShortcutAction::Write, ShortcutAction::None},
        {"ours", true, ShellLinkTarget{u"c:\\kv2\\kv2.EXE", u"\"d:\\tasks\\NOTEPAD.kv2\"", u""}, FoundShortcut::Ours,
         ShortcutAction::Write, ShortcutAction::Remove},
        {"ours from a folder KV2 was moved out of", true,
         ShellLinkTarget{u"E:\\Old\\KV2.exe", u"\"D:\\Tasks\\notepad.KV2\"", u""}, FoundShortcut::OursElsewhere,
         ShortcutAction::Write, ShortcutAction::Remove},
        {"a shortcut to another task", true, ShellLinkTarget{u"C:\\KV2\\KV2.exe", u"\"D:\\Tasks\\other.KV2\"", u""},
         FoundShortcut::Foreign, ShortcutAction::LeaveForeign, ShortcutAction::None},
        {"a shortcut to the program itself", true, ShellLinkTarget{u"C:\\Windows\\notepad.exe", u"", u""},
         FoundShortcut::Foreign, ShortcutAction::LeaveForeign, ShortcutAction::None},
        {"a file that is no link", true, std::nullopt, FoundShortcut::Foreign, ShortcutAction::LeaveForeign,
         ShortcutAction::None},
    };
    for (const Case &c : cases)
    {
        const FoundShortcut found = ClassifyShortcut(c.exists, c.link, u"D:\\Tasks\\notepad.KV2", normal);
        EXPECT_EQ(found, c.found) << c.name;
        EXPECT_EQ(PlanShortcut(true, found), c.wanted) << c.name;
        EXPECT_EQ(PlanShortcut(false, found), c.notWanted) << c.name;
    }
}

TEST(TaskEditorChecks, WhatKv2WouldNotFindIsPointedOutBeforeTheSave)
{
    testing_support::FakeFileSystem files;
    files.AddFile(u"C:\\Tools\\a.exe");
    files.AddFolder(u"C:\\Work");
    struct Case
    {
        const char *name;
        const char16_t *program, *workDir;
        std::vector<SaveWarning> expected;
    };
    const Case cases[] = {
        {"all there", u"C:\\Tools\\a.exe", u"C:\\Work", {}},
        {"no working folder: the program's own", u"C:\\Tools\\a.exe", u"", {}},
        {"no program", u"", u"", {SaveWarning::NoProgram}},
        {"a program that is not there", u"C:\\Tools\\b.exe", u"C:\\Work", {SaveWarning::ProgramMissing}},
        {"a folder that is not there", u"C:\\Tools\\a.exe", u"C:\\Gone", {SaveWarning::WorkDirMissing}},
        {"a folder given as the program",
         u"C:\\Work",
         u"C:\\Tools\\a.exe",
         {SaveWarning::ProgramMissing, SaveWarning::WorkDirMissing}},
    };
    for (const Case &c : cases)
    {
        TaskFields fields;
        fields.program = c.program;
        fields.workDir = c.workDir;
        EXPECT_EQ(WarningsBeforeSave(fields, files), c.expected) << c.name;
    }
}

TEST(TaskEditorChecks, AShortcutChosenAsTheProgramBecomesWhatItStarts)
{
    testing_support::FakeFileSystem files;
    files.AddFile(u"C:\\Program Files\\Tool\\tool.exe");
    files.AddLink(u"C:\\Links\\Tool.LNK", {u"C:\\Program Files\\Tool\\tool.exe", u"--fast", u"D:\\Data"});
    files.AddLink(u"C:\\Links\\Gone.lnk", {u"C:\\Gone\\gone.exe", u"", u""});
    files.AddFile(u"C:\\Links\\Installer.lnk"); // an advertised shortcut: no file it starts
    TaskFields before;
    before.arguments = u"old";
    before.iconFile = u"C:\\old.ico";
    before.iconIndex = 2;
    const std::optional<TaskFields> link = FieldsForProgram(before, u"C:\\Links\\Tool.LNK", files);
    ASSERT_TRUE(link.has_value());
    EXPECT_EQ(link->program, u"C:\\Program Files\\Tool\\tool.exe");
    EXPECT_EQ(link->arguments, u"--fast");
    EXPECT_EQ(link->workDir, u"D:\\Data");
    EXPECT_EQ(link->iconFile, u"");
    EXPECT_EQ(link->iconIndex, 0);
    const std::optional<TaskFields> program = FieldsForProgram(before, u"C:\\Tools\\b.exe", files);
    ASSERT_TRUE(program.has_value());
    EXPECT_EQ(program->program, u"C:\\Tools\\b.exe");
    EXPECT_EQ(program->arguments, u"old") << "a program keeps what the user typed";
    EXPECT_FALSE(FieldsForProgram(before, u"C:\\Links\\Gone.lnk", files).has_value());
    EXPECT_FALSE(FieldsForProgram(before, u"C:\\Links\\Installer.lnk", files).has_value());
}

TEST(TaskEditorFileTypes, OurClassesOpenWithTheProgramsBesideTheEditorAndAreKnownWhereverTheyAre)
{
    const std::vector<ClassValue> values = FileTypeValues(kFileTypes[1], u"C:\\Program Files\\KV2\\");
    const auto valueOf = [&](std::u16string_view key) {
        const auto found = std::find_if(values.begin(), values.end(),
                                        [&](const ClassValue &v) { return v.key == key && v.name.empty(); });
        return found == values.end() ? std::string("(absent)") : common::Utf16ToUtf8(found->data);
    };
    EXPECT_EQ(valueOf(u".KV2A"), "KV2A.TaskFile");
    EXPECT_EQ(valueOf(u"KV2A.TaskFile\\shell\\open\\command"), "\"C:\\Program Files\\KV2\\KV2A.exe\" \"%1\"");
    EXPECT_EQ(valueOf(u"KV2A.TaskFile\\shell\\edit\\command"), "\"C:\\Program Files\\KV2\\KV2C.exe\" \"%1\"");
    EXPECT_EQ(valueOf(u"KV2A.TaskFile\\DefaultIcon"), "C:\\Program Files\\KV2\\KV2A.exe,0");

    const struct
    {
        std::optional<std::u16string> extensionClass, command;
        bool opensWithUs;
    } cases[] = {
        {u"KV2.TaskFile", u"\"C:\\Old Place\\KV2.exe\" \"%1\"", true}, // our program, moved since
        {u"kv2.taskfile", u"C:\\Tools\\kv2.EXE %1", true},
        {u"KV2.TaskFile", u"\"C:\\Tools\\KV2A.exe\" \"%1\"", false}, // the other type's program
        {u"KV2.TaskFile", u"\"C:\\KV2.exe\\other.exe\" \"%1\"", false},
        {u"KV2.TaskFile", u"\"C:\\Tools\\KV2.exe", false}, // unterminated quote
        {u"KV2.TaskFile", std::nullopt, false},
        {u"Other.File", u"\"C:\\Tools\\KV2.exe\" \"%1\"", false},
        {std::nullopt, u"\"C:\\Tools\\KV2.exe\" \"%1\"", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(OpensWithUs(c.extensionClass, c.command, kFileTypes[0]), c.opensWithUs)
            << common::Utf16ToUtf8(c.command.value_or(u"(none)"));
}
