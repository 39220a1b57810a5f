#include "startup/TaskFile.h"

#include "FakeFileSystem.h"
#include "TaskDefinitionPrinter.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace std::string_literals;
using common::TextEncoding;
using startup::TaskDefinition;
using testing_support::FakeFileSystem;
using testing_support::Latin1CodePage;
using testing_support::U;

namespace
{

const std::u16string kOptionFile = u"D:\\Data\\exe.ini"; // what start-up puts in TaskFilePath
const std::u16string kTask = u"C:\\Tasks\\editor.KV2";
const std::u16string kApp = u"C:\\Tools\\app.exe";
const std::u16string kAppFolder = u"C:\\Tools";
const std::u16string kSpacedApp = u"C:\\Program Files\\My App\\my app.exe";
const std::u16string kRootApp = u"C:\\root.exe";
const std::u16string kWork = u"C:\\Work";
const std::u16string kIcon = u"C:\\Icons\\tray.ico";
const std::u16string kNameLine = u"[Program]\r\nName=" + kApp + u"\r\n";

std::string Utf16Le(std::u16string_view text)
{
    return common::EncodeText(text, TextEncoding::Utf16Le);
}

// Bytes as an ANSI editor would save the text in a Latin-1 code page (every character below U+0100).
std::string Latin1(std::u16string_view text)
{
    std::string bytes;
    for (char16_t c : text)
    {
        EXPECT_LT(c, 0x100) << "not a Latin-1 character";
        bytes.push_back(static_cast<char>(c));
    }
    return bytes;
}

// The definition a task file that names kApp and nothing else gives after completion.
TaskDefinition AcceptedWithApp()
{
    TaskDefinition task;
    task.TaskFilePath = kTask;
    task.TaskFileGiven = true;
    task.ProgramPath = kApp;
    task.CommandLine = kApp;
    task.WorkDir = kAppFolder;
    task.IconFile = kApp;
    task.ShowCommand = startup::kShowDefault;
    task.PriorityClass = startup::kPriorityNormal;
    return task;
}

class TaskFileRead : public ::testing::Test
{
  protected:
    TaskFileRead()
    {
        m_files.AddFile(kApp);
        m_files.AddFile(kSpacedApp);
        m_files.AddFile(kRootApp);
        m_files.AddFile(kIcon);
        m_files.AddFolder(kAppFolder);
        m_files.AddFolder(kWork);
    }

    // Reads the argument as the command-line step does for a single argument, completion included.
    TaskDefinition Read(std::u16string_view argument)
    {
        TaskDefinition task;
        task.TaskFilePath = kOptionFile;
        startup::ReadTaskFile(argument, m_files, m_ansi, task);
        startup::CompleteTaskDefinition(task);
        return task;
    }

    // Stores the text as kTask in UTF-16LE, as KV2 writes task files, and reads it.
    TaskDefinition ReadText(std::u16string_view text)
    {
        m_files.AddFile(kTask, Utf16Le(text));
        return Read(kTask);
    }

    FakeFileSystem m_files;
    Latin1CodePage m_ansi;
};

} // namespace

TEST(TaskFileExtension, AcceptsKv2AndKv2aInAnyCase)
{
    struct Case
    {
        const char *path;
        bool accepted;
    };
    const Case cases[] = {
        {"C:\\Tasks\\a.KV2", true},
        {"C:\\Tasks\\a.kv2", true},
        {"C:\\Tasks\\a.Kv2", true},
        {"C:\\Tasks\\a.KV2A", true},
        {"C:\\Tasks\\a.kv2a", true},
        {"C:\\Tasks\\a.txt.KV2", true},
        {"C:\\Tasks\\My Task.v1.kv2", true},
        {"a.KV2", true},
        {"\\\\server\\share\\a.KV2", true},
        {"C:\\Tasks\\.KV2", true},
        {"C:\\Tasks\\a.txt", false},
        {"C:\\Tasks\\a.KV3", false},
        {"C:\\Tasks\\a.KV2B", false},
        {"C:\\Tasks\\a.KV", false},
        {"C:\\Tasks\\a.KV2.txt", false},
        {"C:\\Tasks\\a", false},
        {"C:\\Tasks.KV2\\a", false},
        {"C:\\Tasks.KV2\\", false},
        {"C:.KV2\\a", false},
        {"C:\\Tasks\\aKV2", false},
        {"", false},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(startup::IsTaskFileExtension(U(c.path)), c.accepted);
    }
}

TEST(TaskFileFolderOf, DropsTheFileNameAndTheTrailingBackslashExceptAtTheRoot)
{
    struct Case
    {
        const char *path;
        const char *folder;
    };
    const Case cases[] = {
        {"C:\\Tools\\app.exe", "C:\\Tools"},
        {"C:\\Tools\\Sub\\app.exe", "C:\\Tools\\Sub"},
        {"C:\\Program Files\\My App\\my app.exe", "C:\\Program Files\\My App"},
        {"C:\\app.exe", "C:\\"},
        {"C:app.exe", "C:"},
        {"\\app.exe", "\\"},
        {"\\\\server\\share\\app.exe", "\\\\server\\share"},
        {"app.exe", ""},
        {"", ""},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(startup::FolderOf(U(c.path)), U(c.folder));
    }
}

TEST(TaskFileValueWords, AreComparedExactly)
{
    struct ShowCase
    {
        const char16_t *word;
        int show;
    };
    const ShowCase shows[] = {
        {u"def", 10}, {u"min", 6},  {u"max", 3},  {u"Def", 0}, {u"Min", 0},       {u"Max", 0},
        {u"MAX", 0},  {u"max ", 0}, {u" max", 0}, {u"", 0},    {u"maximized", 0}, {u"ma", 0},
    };
    for (const ShowCase &c : shows)
    {
        SCOPED_TRACE(common::Utf16ToUtf8(c.word));
        EXPECT_EQ(startup::ShowCommandFromWord(c.word), c.show);
    }

    struct PriorityCase
    {
        const char16_t *word;
        std::uint32_t priority;
    };
    const PriorityCase priorities[] = {
        {u"NORMAL", 0x20},    {u"IDLE", 0x40},      {u"HIGH", 0x80}, {u"BELOW", 0x4000}, {u"ABOVE", 0x8000},
        {u"normal", 0},       {u"Normal", 0},       {u"high", 0},    {u"High", 0},       {u"REALTIME", 0},
        {u"BELOW_NORMAL", 0}, {u"ABOVE NORMAL", 0}, {u"", 0},        {u"HIGH ", 0},
    };
    for (const PriorityCase &c : priorities)
    {
        SCOPED_TRACE(common::Utf16ToUtf8(c.word));
        EXPECT_EQ(startup::PriorityClassFromWord(c.word), c.priority);
    }
}

TEST(TaskFileCompletion, FillsTheDefaultsFromTheProgram)
{
    struct Case
    {
        const char *name;
        std::function<void(TaskDefinition &)> given;
        std::function<void(TaskDefinition &)> added;
    };
    const Case cases[] = {
        {"no option gives the path alone", [](TaskDefinition &t) { t.ProgramPath = kApp; },
         [](TaskDefinition &t) {
             t.CommandLine = kApp;
             t.WorkDir = kAppFolder;
             t.IconFile = kApp;
             t.ShowCommand = 10;
             t.PriorityClass = 0x20;
         }},
        {"option follows one blank",
         [](TaskDefinition &t) {
             t.ProgramPath = kApp;
             t.ProgramOption = u"-a \"b c\"";
         },
         [](TaskDefinition &t) {
             t.CommandLine = kApp + u" -a \"b c\"";
             t.WorkDir = kAppFolder;
             t.IconFile = kApp;
             t.ShowCommand = 10;
             t.PriorityClass = 0x20;
         }},
        {"path with blanks is not quoted",
         [](TaskDefinition &t) {
             t.ProgramPath = kSpacedApp;
             t.ProgramOption = u"x";
         },
         [](TaskDefinition &t) {
             t.CommandLine = kSpacedApp + u" x";
             t.WorkDir = u"C:\\Program Files\\My App";
             t.IconFile = kSpacedApp;
             t.ShowCommand = 10;
             t.PriorityClass = 0x20;
         }},
        {"program at the root keeps the backslash", [](TaskDefinition &t) { t.ProgramPath = kRootApp; },
         [](TaskDefinition &t) {
             t.CommandLine = kRootApp;
             t.WorkDir = u"C:\\";
             t.IconFile = kRootApp;
             t.ShowCommand = 10;
             t.PriorityClass = 0x20;
         }},
        {"given values are kept",
         [](TaskDefinition &t) {
             t.ProgramPath = kApp;
             t.WorkDir = kWork;
             t.IconFile = kIcon;
             t.ShowCommand = 6;
             t.PriorityClass = 0x4000;
         },
         [](TaskDefinition &t) { t.CommandLine = kApp; }},
        {"a stale command line is rebuilt",
         [](TaskDefinition &t) {
             t.ProgramPath = kApp;
             t.CommandLine = u"C:\\old.exe -y";
         },
         [](TaskDefinition &t) {
             t.CommandLine = kApp;
             t.WorkDir = kAppFolder;
             t.IconFile = kApp;
             t.ShowCommand = 10;
             t.PriorityClass = 0x20;
         }},
        {"no program, nothing is filled",
         [](TaskDefinition &t) {
             t.ProgramOption = u"-x";
             t.NoExecute = true;
         },
         [](TaskDefinition &) {}},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        TaskDefinition task;
        c.given(task);
        TaskDefinition expected = task;
        c.added(expected);
        startup::CompleteTaskDefinition(task);
        EXPECT_EQ(task, expected);
    }
}

TEST_F(TaskFileRead, EachKeyHasItsEffect)
{
    struct Case
    {
        const char *name;
        std::u16string lines; // follows a [Program] section that names kApp
        std::function<void(TaskDefinition &)> change;
    };
    const auto none = [](TaskDefinition &) {};
    const Case cases[] = {
        {"only the program", u"", none},
        // Execute/YesNo
        {"YesNo No", u"[Execute]\r\nYesNo=No", [](TaskDefinition &t) { t.NoExecute = true; }},
        {"YesNo No with blanks", u"[Execute]\r\n  YesNo =  No  ",
         [](TaskDefinition &t) { t.NoExecute = true; }},
        {"YesNo no", u"[Execute]\r\nYesNo=no", none},
        {"YesNo NO", u"[Execute]\r\nYesNo=NO", none},
        {"YesNo Yes", u"[Execute]\r\nYesNo=Yes", none},
        {"YesNo empty", u"[Execute]\r\nYesNo=", none},
        {"YesNo quoted", u"[Execute]\r\nYesNo=\"No\"", none},
        // Window/Style
        {"Style def", u"[Window]\r\nStyle=def", none},
        {"Style min", u"[Window]\r\nStyle=min", [](TaskDefinition &t) { t.ShowCommand = 6; }},
        {"Style max", u"[Window]\r\nStyle=max", [](TaskDefinition &t) { t.ShowCommand = 3; }},
        {"Style Max", u"[Window]\r\nStyle=Max", none},
        {"Style MIN", u"[Window]\r\nStyle=MIN", none},
        {"Style empty", u"[Window]\r\nStyle=", none},
        {"Style unknown", u"[Window]\r\nStyle=maximized", none},
        // Window/Priority
        {"Priority NORMAL", u"[Window]\r\nPriority=NORMAL", none},
        {"Priority IDLE", u"[Window]\r\nPriority=IDLE", [](TaskDefinition &t) { t.PriorityClass = 0x40; }},
        {"Priority HIGH", u"[Window]\r\nPriority=HIGH", [](TaskDefinition &t) { t.PriorityClass = 0x80; }},
        {"Priority BELOW", u"[Window]\r\nPriority=BELOW",
         [](TaskDefinition &t) { t.PriorityClass = 0x4000; }},
        {"Priority ABOVE", u"[Window]\r\nPriority=ABOVE",
         [](TaskDefinition &t) { t.PriorityClass = 0x8000; }},
        {"Priority high", u"[Window]\r\nPriority=high", none},
        {"Priority Normal", u"[Window]\r\nPriority=Normal", none},
        {"Priority REALTIME", u"[Window]\r\nPriority=REALTIME", none},
        {"Priority empty", u"[Window]\r\nPriority=", none},
        {"Style and Priority together", u"[Window]\r\nPriority=IDLE\r\nStyle=min",
         [](TaskDefinition &t) {
             t.ShowCommand = 6;
             t.PriorityClass = 0x40;
         }},
        // Program/Option (the lines continue the [Program] section)
        {"Option", u"Option=-a -b",
         [](TaskDefinition &t) {
             t.ProgramOption = u"-a -b";
             t.CommandLine = kApp + u" -a -b";
         }},
        {"Option empty", u"Option=", none},
        {"Option with quotes and equals sign", u"Option=\"C:\\My Files\\x.txt\" /k=v",
         [](TaskDefinition &t) {
             t.ProgramOption = u"\"C:\\My Files\\x.txt\" /k=v";
             t.CommandLine = kApp + u" \"C:\\My Files\\x.txt\" /k=v";
         }},
        // Program/Directory
        {"Directory existing", u"Directory=C:\\Work", [](TaskDefinition &t) { t.WorkDir = kWork; }},
        {"Directory in other case", u"Directory=c:\\work",
         [](TaskDefinition &t) { t.WorkDir = u"c:\\work"; }},
        {"Directory missing", u"Directory=C:\\Nowhere", none},
        {"Directory naming a file", u"Directory=C:\\Tools\\app.exe", none},
        {"Directory empty", u"Directory=", none},
        // Icon/File and Icon/Number
        {"Icon file existing", u"[Icon]\r\nFile=C:\\Icons\\tray.ico",
         [](TaskDefinition &t) { t.IconFile = kIcon; }},
        {"Icon file missing", u"[Icon]\r\nFile=C:\\Icons\\gone.ico", none},
        {"Icon file naming a folder", u"[Icon]\r\nFile=C:\\Work", none},
        {"Icon number", u"[Icon]\r\nNumber=3", [](TaskDefinition &t) { t.IconIndex = 3; }},
        {"Icon number negative", u"[Icon]\r\nNumber=-2", [](TaskDefinition &t) { t.IconIndex = -2; }},
        {"Icon number with blanks", u"[Icon]\r\nNumber =  7 ", [](TaskDefinition &t) { t.IconIndex = 7; }},
        {"Icon number not a number", u"[Icon]\r\nNumber=abc", none},
        {"Icon number empty", u"[Icon]\r\nNumber=", none},
        {"Icon number too large", u"[Icon]\r\nNumber=2147483648", none},
        {"Icon file and number", u"[Icon]\r\nFile=C:\\Icons\\tray.ico\r\nNumber=1",
         [](TaskDefinition &t) {
             t.IconFile = kIcon;
             t.IconIndex = 1;
         }},
        // HotKey/Show
        {"HotKey", u"[HotKey]\r\nShow=Shift+Ctrl+K",
         [](TaskDefinition &t) { t.HotKeyText = u"Shift+Ctrl+K"; }},
        {"HotKey Japanese key name", U("[HotKey]\r\nShow=Ctrl+変換"),
         [](TaskDefinition &t) { t.HotKeyText = U("Ctrl+変換"); }},
        {"HotKey empty", u"[HotKey]\r\nShow=", none},
        // Names without regard to case; first occurrence wins.
        {"section and key in other case", u"[WINDOW]\r\nstyle=min",
         [](TaskDefinition &t) { t.ShowCommand = 6; }},
        {"first key wins", u"[Window]\r\nStyle=min\r\nStyle=max",
         [](TaskDefinition &t) { t.ShowCommand = 6; }},
        {"repeated section is not read", u"[Window]\r\nStyle=min\r\n[Window]\r\nPriority=HIGH",
         [](TaskDefinition &t) { t.ShowCommand = 6; }},
        {"key in another section does nothing", u"[Tray Option]\r\nStyle=max\r\nYesNo=No", none},
        {"commented key does nothing", u"[Window]\r\n;Style=max", none},
        {"everything",
         u"Option=-v\r\nDirectory=C:\\Work\r\n[Execute]\r\nYesNo=No\r\n[Window]\r\nStyle=max\r\n"
         u"Priority=BELOW\r\n[Icon]\r\nFile=C:\\Icons\\tray.ico\r\nNumber=2\r\n[HotKey]\r\nShow=Alt+F1\r\n"
         u"[Tray Option]\r\nMinimize=1\r\n",
         [](TaskDefinition &t) {
             t.ProgramOption = u"-v";
             t.CommandLine = kApp + u" -v";
             t.WorkDir = kWork;
             t.NoExecute = true;
             t.ShowCommand = 3;
             t.PriorityClass = 0x4000;
             t.IconFile = kIcon;
             t.IconIndex = 2;
             t.HotKeyText = u"Alt+F1";
         }},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        TaskDefinition expected = AcceptedWithApp();
        c.change(expected);
        EXPECT_EQ(ReadText(kNameLine + c.lines), expected);
    }
}

TEST_F(TaskFileRead, AcceptedFileWithoutAUsableProgramGivesNoProgram)
{
    struct Case
    {
        const char *name;
        std::u16string text;
    };
    const Case cases[] = {
        {"program file missing", u"[Program]\r\nName=C:\\Tools\\gone.exe\r\n"},
        {"program name quoted", u"[Program]\r\nName=\"C:\\Tools\\app.exe\"\r\n"},
        {"program name naming a folder", u"[Program]\r\nName=C:\\Tools\r\n"},
        {"program name empty", u"[Program]\r\nName=\r\n"},
        {"no Program section", u"[Window]\r\nStyle=max\r\n"},
        {"first Name wins though it is missing",
         u"[Program]\r\nName=C:\\gone.exe\r\nName=C:\\Tools\\app.exe\r\n"},
        {"Name before the first section", u"Name=C:\\Tools\\app.exe\r\n[Program]\r\n"},
        {"empty file", u""},
        {"not an INI file at all", u"MZ\x90\x03 binary garbage"},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        const TaskDefinition task = ReadText(c.text);
        EXPECT_TRUE(task.TaskFileGiven);
        EXPECT_EQ(task.TaskFilePath, kTask);
        EXPECT_EQ(task.ProgramPath, u"");
        EXPECT_EQ(task.CommandLine, u"") << "completion must not run without a program";
        EXPECT_EQ(task.IconFile, u"");
    }
}

TEST_F(TaskFileRead, ProgramPathsGoIntoTheCommandLineUnquoted)
{
    TaskDefinition spaced = ReadText(u"[Program]\r\nName=" + kSpacedApp + u"\r\nOption=-x\r\n");
    EXPECT_EQ(spaced.ProgramPath, kSpacedApp);
    EXPECT_EQ(spaced.CommandLine, u"C:\\Program Files\\My App\\my app.exe -x");
    EXPECT_EQ(spaced.WorkDir, u"C:\\Program Files\\My App");

    TaskDefinition root = ReadText(u"[Program]\r\nName=" + kRootApp + u"\r\n");
    EXPECT_EQ(root.CommandLine, kRootApp);
    EXPECT_EQ(root.WorkDir, u"C:\\");
}

TEST_F(TaskFileRead, AcceptsOnlyExistingFilesWithATaskFileExtension)
{
    struct Case
    {
        const char *path;
        bool accepted;
    };
    const Case cases[] = {
        {"C:\\Tasks\\a.KV2", true},      {"C:\\Tasks\\a.kv2", true},        {"C:\\Tasks\\a.KV2A", true},
        {"C:\\Tasks\\a.kv2a", true},     {"C:\\Tasks\\My Task.Kv2", true},  {"relative.kv2", true},
        {"C:\\Tasks\\a.txt", false},     {"C:\\Tasks\\a.ini", false},       {"C:\\Tasks\\a.KV3", false},
        {"C:\\Tasks\\a.KV2.bak", false}, {"C:\\Tasks\\noextension", false},
    };
    const std::string content = Utf16Le(kNameLine);
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.path);
        const std::u16string path = U(c.path);
        m_files.AddFile(path, content);
        const TaskDefinition task = Read(path);
        if (c.accepted)
        {
            TaskDefinition expected = AcceptedWithApp();
            expected.TaskFilePath = path;
            EXPECT_EQ(task, expected);
        }
        else
        {
            TaskDefinition untouched;
            untouched.TaskFilePath = kOptionFile;
            EXPECT_EQ(task, untouched);
        }
    }
}

TEST_F(TaskFileRead, IgnoresAMissingFileAndAFolder)
{
    m_files.AddFolder(u"C:\\Tasks\\folder.KV2");
    TaskDefinition untouched;
    untouched.TaskFilePath = kOptionFile;
    EXPECT_EQ(Read(u"C:\\Tasks\\missing.KV2"), untouched);
    EXPECT_EQ(Read(u"C:\\Tasks\\folder.KV2"), untouched);
    EXPECT_EQ(Read(u""), untouched);
}

TEST_F(TaskFileRead, DetectsTheEncoding)
{
    const std::u16string program = U("C:\\Café\\app.exe");
    m_files.AddFile(program);
    const std::u16string text =
        U("; Café\r\n[Program]\r\nName=C:\\Café\\app.exe\r\n[Window]\r\nStyle=min\r\n");
    struct Case
    {
        const char *name;
        std::string bytes;
        bool readable;
    };
    const Case cases[] = {
        {"UTF-16LE with mark", common::EncodeText(text, TextEncoding::Utf16Le), true},
        {"UTF-16BE with mark", common::EncodeText(text, TextEncoding::Utf16Be), true},
        {"UTF-8 with mark", common::EncodeText(text, TextEncoding::Utf8), true},
        {"ANSI", Latin1(text), true},
        {"UTF-16LE with an odd trailing byte", common::EncodeText(text, TextEncoding::Utf16Le) + "\x41",
         true},
        {"UTF-16BE with an odd trailing byte", common::EncodeText(text, TextEncoding::Utf16Be) + "\x00"s,
         true},
        {"ANSI with LF line ends", Latin1(U("[Program]\nName=C:\\Café\\app.exe\n[Window]\nStyle=min")), true},
        {"UTF-8 without mark is read as ANSI", common::Utf16ToUtf8(text), false},
        {"UTF-16LE without mark is read as ANSI", common::EncodeText(text, TextEncoding::Utf16Le).substr(2),
         false},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        m_files.AddFile(kTask, c.bytes);
        const TaskDefinition task = Read(kTask);
        EXPECT_TRUE(task.TaskFileGiven);
        if (c.readable)
        {
            EXPECT_EQ(task.ProgramPath, program);
            EXPECT_EQ(task.WorkDir, U("C:\\Café"));
            EXPECT_EQ(task.ShowCommand, 6);
        }
        else
        {
            EXPECT_EQ(task.ProgramPath, u"");
        }
    }
}

TEST_F(TaskFileRead, DoesNotReadAFileAboveTheSizeLimit)
{
    // Blank padding after the keys changes nothing when the file is read.
    const std::string keys = Latin1(kNameLine + u"[Window]\r\nStyle=max\r\n");
    const std::string atLimit = keys + std::string(startup::kTaskFileSizeLimit - keys.size(), ' ');

    m_files.AddFile(kTask, atLimit);
    const TaskDefinition read = Read(kTask);
    EXPECT_EQ(read.ProgramPath, kApp);
    EXPECT_EQ(read.ShowCommand, 3);

    m_files.AddFile(kTask, atLimit + " ");
    const TaskDefinition tooLarge = Read(kTask);
    EXPECT_TRUE(tooLarge.TaskFileGiven) << "the file is still the task file";
    EXPECT_EQ(tooLarge.TaskFilePath, kTask);
    EXPECT_EQ(tooLarge.ProgramPath, u"");
}

TEST_F(TaskFileRead, ReadsPastEmbeddedNulCharacters)
{
    const std::u16string text = kNameLine + u"; a comment with a \0 inside\r\nOption=x\0y\r\n\0\r\n"
                                            u"[Window]\r\nStyle=max\r\n[Icon]\r\nNumber=4\r\n"s;
    struct Case
    {
        const char *name;
        std::string bytes;
    };
    const Case cases[] = {
        {"UTF-16LE", Utf16Le(text)},
        {"ANSI", Latin1(text)},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        m_files.AddFile(kTask, c.bytes);
        const TaskDefinition task = Read(kTask);
        EXPECT_EQ(task.ProgramPath, kApp);
        EXPECT_EQ(task.ShowCommand, 3);
        EXPECT_EQ(task.IconIndex, 4);
    }
}

TEST_F(TaskFileRead, ReadsAOneMegabyteLine)
{
    const std::u16string longText(1024 * 1024, u'x');
    const TaskDefinition task =
        ReadText(kNameLine + u"Option=" + longText + u"\r\n; " + longText + u"\r\n[Window]\r\nStyle=min\r\n");
    EXPECT_EQ(task.ProgramOption, longText);
    EXPECT_EQ(task.CommandLine, kApp + u" " + longText);
    EXPECT_EQ(task.ShowCommand, 6);
}

TEST_F(TaskFileRead, KeyPathsFailingTheirTestLeaveTheFieldAsItWas)
{
    const common::IniDocument file = common::IniDocument::Parse(
        u"[Program]\r\nName=C:\\gone.exe\r\nDirectory=C:\\Nowhere\r\n[Icon]\r\nFile=C:\\gone.ico\r\n");
    TaskDefinition task;
    task.ProgramPath = u"C:\\earlier.exe";
    task.WorkDir = u"C:\\Earlier";
    task.IconFile = u"C:\\earlier.ico";
    startup::ApplyTaskFile(file, m_files, task);
    EXPECT_EQ(task.ProgramPath, u"C:\\earlier.exe");
    EXPECT_EQ(task.WorkDir, u"C:\\Earlier");
    EXPECT_EQ(task.IconFile, u"C:\\earlier.ico");
}

// KV2 rewrites its task file whole as UTF-16LE when it saves its options. A task file that an editor
// saved as ANSI text must read the same afterwards, with everything it did not change still there.
TEST_F(TaskFileRead, ReadsTheSameAfterAnAnsiFileWasRewritten)
{
    const std::u16string original =
        U("; written by hand\r\n[Program]\r\nName=C:\\Tools\\app.exe\r\nOption=-v\r\nDirectory=C:\\Work\r\n"
          "[Window]\r\nStyle=max\r\nPriority=HIGH\r\n[Icon]\r\nFile=C:\\Icons\\tray.ico\r\nNumber=1\r\n"
          "[HotKey]\r\nShow=Ctrl+Alt+É\r\n[Execute]\r\nYesNo=No\r\n[Editor]\r\nLast=été\r\n");
    m_files.AddFile(kTask, Latin1(original));
    const TaskDefinition before = Read(kTask);
    ASSERT_EQ(before.ProgramPath, kApp);

    common::IniDocument file = common::IniDocument::Parse(common::DecodeText(
        *m_files.ReadFile(kTask, startup::kTaskFileSizeLimit), TextEncoding::Ansi, m_ansi));
    file.Set(u"Tray Option", u"TransValue", u"50");
    file.Set(u"Tray Option", u"Edit", U("タイトル"));
    const std::string rewritten = common::EncodeText(file.Serialize(), TextEncoding::Utf16Le);
    m_files.AddFile(kTask, rewritten);

    EXPECT_EQ(Read(kTask), before);
    const common::IniDocument reread =
        common::IniDocument::Parse(common::DecodeText(rewritten, TextEncoding::Ansi, m_ansi));
    EXPECT_EQ(reread.Get(u"Editor", u"Last", u""), U("été"));
    EXPECT_EQ(reread.Get(u"Tray Option", u"Edit", u""), U("タイトル"));
}
