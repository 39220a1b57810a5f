#include "startup/CommandLine.h"
#include "startup/TaskFile.h"

#include "FakeFileSystem.h"
#include "TaskDefinitionPrinter.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

using namespace std::string_literals;
using startup::TaskDefinition;
using testing_support::FakeFileSystem;
using testing_support::Latin1CodePage;
using testing_support::U;

namespace
{

using Arguments = std::vector<std::u16string>;

const std::u16string kSelf = u"C:\\KV2\\KV2.exe";
const std::u16string kOptionFile = u"D:\\Data\\exe.ini"; // what start-up puts in TaskFilePath
const std::u16string kApp = u"C:\\Tools\\app.exe";
const std::u16string kAppFolder = u"C:\\Tools";
const std::u16string kOtherApp = u"C:\\Other\\other.exe";
const std::u16string kSpacedApp = u"C:\\Program Files\\My App\\my app.exe";
const std::u16string kWork = u"C:\\Work";
const std::u16string kIcon = u"C:\\Icons\\tray.ico";
const std::u16string kTask = u"C:\\Tasks\\editor.kv2"; // names kOtherApp, minimized

// What "/e:" with kApp and no other effective option gives.
TaskDefinition OptionsWithApp()
{
    TaskDefinition task;
    task.TaskFilePath = kOptionFile;
    task.ProgramPath = kApp;
    task.CommandLine = kApp;
    task.WorkDir = kAppFolder;
    task.IconFile = kApp;
    task.ShowCommand = startup::kShowDefault;
    task.PriorityClass = startup::kPriorityNormal;
    return task;
}

// What the task file kTask gives once completed.
TaskDefinition EditorTask()
{
    TaskDefinition task;
    task.TaskFilePath = kTask;
    task.TaskFileGiven = true;
    task.ProgramPath = kOtherApp;
    task.CommandLine = kOtherApp;
    task.WorkDir = u"C:\\Other";
    task.IconFile = kOtherApp;
    task.ShowCommand = startup::kShowMinimize;
    task.PriorityClass = startup::kPriorityNormal;
    return task;
}

// What no usable program gives: nothing but what start-up had set.
TaskDefinition NoProgram()
{
    TaskDefinition task;
    task.TaskFilePath = kOptionFile;
    return task;
}

class CommandLineStep : public ::testing::Test
{
  protected:
    CommandLineStep()
    {
        m_files.AddFile(kApp);
        m_files.AddFile(kOtherApp);
        m_files.AddFile(kSpacedApp);
        m_files.AddFile(kIcon);
        m_files.AddFolder(kAppFolder);
        m_files.AddFolder(kWork);
        m_files.AddFile(
            kTask, common::EncodeText(u"[Program]\r\nName=" + kOtherApp + u"\r\n[Window]\r\nStyle=min\r\n",
                                      common::TextEncoding::Utf16Le));
    }

    // Runs the step on the arguments that follow the program itself.
    TaskDefinition Apply(Arguments arguments)
    {
        arguments.insert(arguments.begin(), kSelf);
        TaskDefinition task;
        task.TaskFilePath = kOptionFile;
        startup::ApplyCommandLine(arguments, m_files, m_ansi, task);
        return task;
    }

    FakeFileSystem m_files;
    Latin1CodePage m_ansi;
};

} // namespace

TEST(CommandLineSplit, SplitsAtBlanksAndControlCharacters)
{
    struct Case
    {
        const char *name;
        std::u16string commandLine;
        Arguments arguments;
    };
    const Case cases[] = {
        {"empty", u"", {}},
        {"blanks only", u"   \t ", {}},
        {"program only", u"KV2.exe", {u"KV2.exe"}},
        {"one argument", u"KV2.exe a.kv2", {u"KV2.exe", u"a.kv2"}},
        {"several blanks", u"  KV2.exe   a   b  ", {u"KV2.exe", u"a", u"b"}},
        {"tab", u"KV2.exe\ta\t\tb", {u"KV2.exe", u"a", u"b"}},
        {"line breaks", u"KV2.exe\r\na\nb", {u"KV2.exe", u"a", u"b"}},
        {"other control characters",
         u"KV2.exe\x01"
         u"a\x1F"
         u"b",
         {u"KV2.exe", u"a", u"b"}},
        {"ideographic space does not split", U("KV2.exe a\u3000b"), {u"KV2.exe", U("a\u3000b")}},
        {"no-break space does not split", u"KV2.exe a\u00A0b", {u"KV2.exe", u"a\u00A0b"}},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(startup::SplitCommandLine(c.commandLine), c.arguments);
    }
}

TEST(CommandLineSplit, QuotesProtectBlanksAndAreRemoved)
{
    struct Case
    {
        const char *name;
        std::u16string commandLine;
        Arguments arguments;
    };
    const Case cases[] = {
        {"quoted program",
         u"\"C:\\Program Files\\KV2\\KV2.exe\" a.kv2",
         {u"C:\\Program Files\\KV2\\KV2.exe", u"a.kv2"}},
        {"quoted argument", u"KV2.exe \"C:\\My Tasks\\a.kv2\"", {u"KV2.exe", u"C:\\My Tasks\\a.kv2"}},
        {"quote inside an argument",
         u"KV2.exe /e:\"C:\\Program Files\\a.exe\"",
         {u"KV2.exe", u"/e:C:\\Program Files\\a.exe"}},
        {"quote in the middle of a word", u"x a\"b c\"d e", {u"x", u"ab cd", u"e"}},
        {"quoted tab", u"x \"a\tb\"", {u"x", u"a\tb"}},
        {"empty quoted argument", u"x \"\" y", {u"x", u"", u"y"}},
        {"empty quoted argument at the end", u"x \"\"", {u"x", u""}},
        {"adjacent quoted stretches join", u"x \"a\"\"b\"", {u"x", u"ab"}},
        {"reopened quote keeps the blank", u"x \"a\"\" b\"", {u"x", u"a b"}},
        {"unbalanced quote runs to the end", u"x \"a b  c", {u"x", u"a b  c"}},
        {"unbalanced quote keeps trailing blanks", u"x \"a   ", {u"x", u"a   "}},
        {"unbalanced quote alone", u"x \"", {u"x", u""}},
        {"backslash is no escape", u"x \"a\\\" b\\\"", {u"x", u"a\\", u"b\\"}},
        {"doubled backslashes stay", u"x \\\\server\\share", {u"x", u"\\\\server\\share"}},
        {"single quotes are ordinary", u"x 'a b'", {u"x", u"'a", u"b'"}},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(startup::SplitCommandLine(c.commandLine), c.arguments);
    }
}

TEST(CommandLineArguments, WhatFollowsTheProgramIsHandedOnAsWritten)
{
    const std::pair<std::u16string_view, std::u16string_view> cases[] = {
        {u"KV2.exe C:\\a.KV2", u"C:\\a.KV2"},
        {u"\"C:\\Program Files\\KV2\\KV2.exe\"  \"C:\\my tasks\\a.KV2\"", u"\"C:\\my tasks\\a.KV2\""},
        {u"  C:\\K\"V 2\".exe /e:x.exe /o:\"-a  -b\" ", u"/e:x.exe /o:\"-a  -b\" "},
        {u"KV2.exe", u""},
        {u"\"KV2.exe", u""}, // an unbalanced quote runs to the end
        {u"", u""},
    };
    for (const auto &[commandLine, arguments] : cases)
        EXPECT_EQ(startup::ArgumentsOf(commandLine), arguments) << testing::PrintToString(std::u16string(commandLine));
}

TEST_F(CommandLineStep, NoArgumentsDoNothing)
{
    // A definition that already holds values shows that nothing at all is touched, completion included.
    TaskDefinition prefilled;
    prefilled.TaskFilePath = kOptionFile;
    prefilled.TaskFileGiven = true;
    prefilled.ProgramPath = kApp;
    for (const Arguments &arguments : {Arguments{}, Arguments{kSelf}})
    {
        TaskDefinition task = prefilled;
        startup::ApplyCommandLine(arguments, m_files, m_ansi, task);
        EXPECT_EQ(task, prefilled);
    }
}

TEST_F(CommandLineStep, OneArgumentIsAlwaysATaskFile)
{
    struct Case
    {
        const char *name;
        std::u16string argument;
        std::function<TaskDefinition()> expected;
    };
    const Case cases[] = {
        {"task file", kTask, EditorTask},
        {"program option alone is refused", u"/e:" + kApp, NoProgram},
        {"program path alone is refused", kApp, NoProgram},
        {"missing task file", u"C:\\Tasks\\gone.kv2", NoProgram},
        {"option that looks like a task file", u"/e:" + kTask, NoProgram},
        {"several options in one argument", u"/e:C:\\Tools\\app.exe /w:max", NoProgram},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Apply({c.argument}), c.expected());
    }
}

TEST_F(CommandLineStep, OneArgumentClearsAnEarlierTaskFileFlag)
{
    TaskDefinition task;
    task.TaskFileGiven = true;
    startup::ApplyCommandLine({kSelf, u"C:\\Tasks\\gone.kv2"}, m_files, m_ansi, task);
    EXPECT_FALSE(task.TaskFileGiven);

    task.TaskFileGiven = true;
    startup::ApplyCommandLine({kSelf, u"/e:" + kApp, u"/w:max"}, m_files, m_ansi, task);
    EXPECT_FALSE(task.TaskFileGiven);
}

TEST_F(CommandLineStep, RelativePathsAreTakenFromTheCurrentFolder)
{
    m_files.SetCurrentFolder(u"C:\\Tasks");
    EXPECT_EQ(Apply({u"editor.kv2"}), EditorTask());
    m_files.SetCurrentFolder(u"C:\\Tools");
    const TaskDefinition byOptions = Apply({u"/e:app.exe", u"/w:def"});
    EXPECT_EQ(byOptions.ProgramPath, kApp);
    EXPECT_EQ(byOptions.IconFile, kApp);
}

TEST_F(CommandLineStep, OptionsSetTheirFields)
{
    struct Case
    {
        const char *name;
        Arguments arguments; // "/e:" + kApp is put in front
        std::function<void(TaskDefinition &)> change;
    };
    const auto none = [](TaskDefinition &) {};
    const Case cases[] = {
        {"unknown argument", {u"hello"}, none},
        {"plain task file path is not read", {kTask}, none},
        // /x:
        {"/x:No", {u"/x:No"}, [](TaskDefinition &t) { t.NoExecute = true; }},
        {"/x:no", {u"/x:no"}, none},
        {"/x:Yes", {u"/x:Yes"}, none},
        {"/X:No", {u"/X:No"}, none},
        {"/x:No with a blank", {u"/x:No "}, none},
        // /o:
        {"/o:",
         {u"/o:-a -b"},
         [](TaskDefinition &t) {
             t.ProgramOption = u"-a -b";
             t.CommandLine = kApp + u" -a -b";
         }},
        {"/o: empty", {u"/o:"}, none},
        {"/O:", {u"/O:-a"}, none},
        // /w:
        {"/w:min", {u"/w:min"}, [](TaskDefinition &t) { t.ShowCommand = 6; }},
        {"/w:max", {u"/w:max"}, [](TaskDefinition &t) { t.ShowCommand = 3; }},
        {"/w:def", {u"/w:def"}, none},
        {"/w:Max", {u"/w:Max"}, none},
        {"/W:max", {u"/W:max"}, none},
        // /p:
        {"/p:IDLE", {u"/p:IDLE"}, [](TaskDefinition &t) { t.PriorityClass = 0x40; }},
        {"/p:HIGH", {u"/p:HIGH"}, [](TaskDefinition &t) { t.PriorityClass = 0x80; }},
        {"/p:BELOW", {u"/p:BELOW"}, [](TaskDefinition &t) { t.PriorityClass = 0x4000; }},
        {"/p:ABOVE", {u"/p:ABOVE"}, [](TaskDefinition &t) { t.PriorityClass = 0x8000; }},
        {"/p:NORMAL", {u"/p:NORMAL"}, none},
        {"/p:REALTIME", {u"/p:REALTIME"}, none},
        {"/p:high", {u"/p:high"}, none},
        // /d:
        {"/d: existing", {u"/d:C:\\Work"}, [](TaskDefinition &t) { t.WorkDir = kWork; }},
        {"/d: missing", {u"/d:C:\\Nowhere"}, none},
        {"/d: naming a file", {u"/d:" + kApp}, none},
        {"/d: empty", {u"/d:"}, none},
        // /i:
        {"/i: existing", {u"/i:C:\\Icons\\tray.ico"}, [](TaskDefinition &t) { t.IconFile = kIcon; }},
        {"/i: missing", {u"/i:C:\\Icons\\gone.ico"}, none},
        {"/i: naming a folder", {u"/i:C:\\Work"}, none},
        // /n:
        {"/n:", {u"/n:3"}, [](TaskDefinition &t) { t.IconIndex = 3; }},
        {"/n: negative", {u"/n:-2"}, [](TaskDefinition &t) { t.IconIndex = -2; }},
        {"/n: not a number", {u"/n:x"}, none},
        {"/n: empty", {u"/n:"}, none},
        {"/n: too large", {u"/n:4294967296"}, none},
        // Later arguments win; an ignored value keeps the earlier one.
        {"later /w: wins", {u"/w:min", u"/w:def"}, none},
        {"ignored /w: keeps the earlier",
         {u"/w:min", u"/w:Max"},
         [](TaskDefinition &t) { t.ShowCommand = 6; }},
        {"later /p: wins", {u"/p:HIGH", u"/p:IDLE"}, [](TaskDefinition &t) { t.PriorityClass = 0x40; }},
        {"ignored /p: keeps the earlier",
         {u"/p:HIGH", u"/p:REALTIME"},
         [](TaskDefinition &t) { t.PriorityClass = 0x80; }},
        {"later /o: wins even when empty", {u"/o:-a", u"/o:"}, none},
        {"missing /d: keeps the earlier",
         {u"/d:C:\\Work", u"/d:C:\\Nowhere"},
         [](TaskDefinition &t) { t.WorkDir = kWork; }},
        {"missing /i: keeps the earlier",
         {u"/i:C:\\Icons\\tray.ico", u"/i:C:\\gone.ico"},
         [](TaskDefinition &t) { t.IconFile = kIcon; }},
        {"bad /n: keeps the earlier", {u"/n:3", u"/n:three"}, [](TaskDefinition &t) { t.IconIndex = 3; }},
        {"later /n: wins", {u"/n:3", u"/n:0"}, none},
        {"/x:No is not undone", {u"/x:No", u"/x:Yes"}, [](TaskDefinition &t) { t.NoExecute = true; }},
        // Prefixes are tested in a fixed order on the copy that earlier tests have shortened.
        {"/o: value starting with /w:",
         {u"/o:/w:max"},
         [](TaskDefinition &t) {
             t.ProgramOption = u"/w:max";
             t.CommandLine = kApp + u" /w:max";
             t.ShowCommand = 3;
         }},
        {"/o: value starting with /p:",
         {u"/o:/p:HIGH"},
         [](TaskDefinition &t) {
             t.ProgramOption = u"/p:HIGH";
             t.CommandLine = kApp + u" /p:HIGH";
             t.PriorityClass = 0x80;
         }},
        {"/o: value starting with /d:",
         {u"/o:/d:C:\\Work"},
         [](TaskDefinition &t) {
             t.ProgramOption = u"/d:C:\\Work";
             t.CommandLine = kApp + u" /d:C:\\Work";
             t.WorkDir = kWork;
         }},
        {"/o: value starting with /i:",
         {u"/o:/i:C:\\Icons\\tray.ico"},
         [](TaskDefinition &t) {
             t.ProgramOption = u"/i:C:\\Icons\\tray.ico";
             t.CommandLine = kApp + u" /i:C:\\Icons\\tray.ico";
             t.IconFile = kIcon;
         }},
        {"/o: value starting with /n:",
         {u"/o:/n:5"},
         [](TaskDefinition &t) {
             t.ProgramOption = u"/n:5";
             t.CommandLine = kApp + u" /n:5";
             t.IconIndex = 5;
         }},
        {"/w: value that is a later prefix", {u"/w:/n:5"}, [](TaskDefinition &t) { t.IconIndex = 5; }},
        {"earlier prefix after a later one is a value", {u"/w:/o:-a"}, none},
        {"/n: value that is an earlier prefix", {u"/n:/o:1"}, none},
        {"/x: value that is a program option",
         {u"/x:/o:-a"},
         [](TaskDefinition &t) {
             t.ProgramOption = u"-a";
             t.CommandLine = kApp + u" -a";
         }},
        {"prefix not at the start", {u"-/w:max"}, none},
        {"repeated prefix", {u"/w:/w:max"}, none},
        {"everything",
         {u"/x:No", u"/o:--fast", u"/w:min", u"/p:ABOVE", u"/d:C:\\Work", u"/i:C:\\Icons\\tray.ico", u"/n:1"},
         [](TaskDefinition &t) {
             t.NoExecute = true;
             t.ProgramOption = u"--fast";
             t.CommandLine = kApp + u" --fast";
             t.ShowCommand = 6;
             t.PriorityClass = 0x8000;
             t.WorkDir = kWork;
             t.IconFile = kIcon;
             t.IconIndex = 1;
         }},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        Arguments arguments = c.arguments;
        arguments.insert(arguments.begin(), u"/e:" + kApp);
        TaskDefinition expected = OptionsWithApp();
        c.change(expected);
        EXPECT_EQ(Apply(arguments), expected);
    }
}

TEST_F(CommandLineStep, ProgramOptionNeedsAnExistingFile)
{
    struct Case
    {
        const char *name;
        Arguments arguments;
        std::u16string program; // empty: no program
    };
    const Case cases[] = {
        {"existing program", {u"/e:" + kApp, u"/w:max"}, kApp},
        {"program option last", {u"/w:max", u"/e:" + kApp}, kApp},
        {"missing program", {u"/e:C:\\Tools\\gone.exe", u"/w:max"}, u""},
        {"folder instead of a file", {u"/e:C:\\Work", u"/w:max"}, u""},
        {"empty program option", {u"/e:", u"/w:max"}, u""},
        {"quoted path is literal", {u"/e:\"C:\\Tools\\app.exe\"", u"/w:max"}, u""},
        {"capital E", {u"/E:" + kApp, u"/w:max"}, u""},
        {"no program option", {u"/w:max", u"/o:x"}, u""},
        {"second missing program keeps the first", {u"/e:" + kApp, u"/e:C:\\gone.exe"}, kApp},
        {"second existing program wins", {u"/e:" + kApp, u"/e:" + kOtherApp}, kOtherApp},
        {"program inside /x:", {u"/x:/e:" + kApp, u"/w:max"}, kApp},
        {"task file as one of two arguments is not read", {kTask, u"/w:max"}, u""},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        const TaskDefinition task = Apply(c.arguments);
        EXPECT_EQ(task.ProgramPath, c.program);
        EXPECT_FALSE(task.TaskFileGiven);
        EXPECT_EQ(task.TaskFilePath, kOptionFile);
        if (c.program.empty())
        {
            EXPECT_EQ(task.CommandLine, u"") << "completion runs only with a program";
            EXPECT_EQ(task.IconFile, u"");
        }
        else
        {
            EXPECT_EQ(task.CommandLine, c.program);
            EXPECT_EQ(task.IconFile, c.program);
        }
    }
}

TEST_F(CommandLineStep, WholeCommandLines)
{
    struct Case
    {
        const char *name;
        std::u16string commandLine;
        std::function<TaskDefinition()> expected;
    };
    const Case cases[] = {
        {"quoted program with blanks, maximized",
         u"\"C:\\KV2\\KV2.exe\" \"/e:C:\\Program Files\\My App\\my app.exe\" /w:max /o:\"a b\"",
         [] {
             TaskDefinition task;
             task.TaskFilePath = kOptionFile;
             task.ProgramPath = kSpacedApp;
             task.ProgramOption = u"a b";
             task.CommandLine = u"C:\\Program Files\\My App\\my app.exe a b";
             task.WorkDir = u"C:\\Program Files\\My App";
             task.IconFile = kSpacedApp;
             task.ShowCommand = 3;
             task.PriorityClass = 0x20;
             return task;
         }},
        {"unquoted program path with blanks splits", u"KV2.exe /e:C:\\Program Files\\My App\\my app.exe",
         NoProgram},
        {"quoted task file", u"KV2.exe \"C:\\Tasks\\editor.kv2\"", EditorTask},
        {"empty quoted argument makes two arguments", u"KV2.exe \"\" C:\\Tasks\\editor.kv2", NoProgram},
        {"trailing blanks add no argument", u"KV2.exe C:\\Tasks\\editor.kv2   \t", EditorTask},
        {"program only", u"\"C:\\KV2\\KV2.exe\"", NoProgram},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        TaskDefinition task;
        task.TaskFilePath = kOptionFile;
        startup::ApplyCommandLine(startup::SplitCommandLine(c.commandLine), m_files, m_ansi, task);
        EXPECT_EQ(task, c.expected());
    }
}

TEST_F(CommandLineStep, AShortcutStartsItsTargetWithItsArgumentsFirst)
{
    const std::u16string link = u"C:\\Start Menu\\App.LNK";
    struct Case
    {
        const char *name;
        std::optional<startup::ShellLinkTarget> target; // nothing: no link the probe can read
        Arguments arguments;                            // after "/e:" + link and "/w:def"
        std::u16string program, option, workDir;
    };
    const Case cases[] = {
        {"target with arguments and folder",
         startup::ShellLinkTarget{kApp, u"-a \"b c\"", kWork},
         {u"/o:-t"},
         kApp,
         u"-a \"b c\" -t",
         kWork},
        {"the task's folder wins",
         startup::ShellLinkTarget{kApp, u"-a", kWork},
         {u"/d:" + kAppFolder},
         kApp,
         u"-a",
         kAppFolder},
        {"no folder: the target's",
         startup::ShellLinkTarget{kSpacedApp, u"", u""},
         {u"/o:-t"},
         kSpacedApp,
         u"-t",
         u"C:\\Program Files\\My App"},
        {"a missing folder is not taken",
         startup::ShellLinkTarget{kApp, u"", u"C:\\Gone"},
         {},
         kApp,
         u"",
         kAppFolder},
        {"a missing target leaves the link",
         startup::ShellLinkTarget{u"C:\\Gone\\app.exe", u"-a", kWork},
         {u"/o:-t"},
         link,
         u"-t",
         u"C:\\Start Menu"},
        {"no file-system target leaves the link", std::nullopt, {}, link, u"", u"C:\\Start Menu"},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        m_files = FakeFileSystem();
        for (const auto &file : {kApp, kSpacedApp})
            m_files.AddFile(file);
        for (const std::u16string &folder : {kAppFolder, kWork, std::u16string(u"C:\\Start Menu")})
            m_files.AddFolder(folder);
        if (c.target)
            m_files.AddLink(link, *c.target);
        else
            m_files.AddFile(link);
        Arguments arguments = c.arguments;
        arguments.insert(arguments.begin(), {u"/e:" + link, u"/w:def"}); // one argument is a task file
        const TaskDefinition task = Apply(arguments);
        EXPECT_EQ(task.ProgramPath, c.program);
        EXPECT_EQ(task.ProgramOption, c.option);
        EXPECT_EQ(task.WorkDir, c.workDir);
        EXPECT_EQ(task.IconFile, c.program);
        EXPECT_EQ(task.CommandLine, startup::CommandLineOf(c.program, c.option));
    }
}

TEST(ShellLinkPaths, ProgramFilesVariablesNameTheSystemsOwnFolders)
{
    const std::pair<std::u16string_view, std::u16string_view> cases[] = {
        {u"%ProgramFiles%\\App\\app.exe", u"%ProgramW6432%\\App\\app.exe"},
        {u"%PROGRAMFILES%\\a;%commonprogramfiles%\\b", u"%ProgramW6432%\\a;%CommonProgramW6432%\\b"},
        {u"%ProgramFiles(x86)%\\App\\app.exe", u"%ProgramFiles(x86)%\\App\\app.exe"},
        {u"C:\\Program Files\\%ProgramFiles", u"C:\\Program Files\\%ProgramFiles"},
        {u"%SystemRoot%\\notepad.exe", u"%SystemRoot%\\notepad.exe"},
        {u"", u""},
    };
    for (const auto &[raw, native] : cases)
        EXPECT_EQ(startup::NativeProgramFilesVariables(raw), native)
            << testing::PrintToString(std::u16string(raw));
}
