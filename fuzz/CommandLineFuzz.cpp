// Splits arbitrary UTF-16 text as KV2's command line and applies it: quotes never survive splitting,
// quoting each argument again gives the same arguments, and the task definition only takes existing
// paths and known value words.
#include "FakeFileSystem.h"
#include "TaskValues.h"

#include "startup/CommandLine.h"
#include "startup/TaskFile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace
{

using fuzzing::IsPriorityClass;
using fuzzing::IsShowCommand;

[[noreturn]] void Fail(const char *what)
{
    std::fprintf(stderr, "CommandLineFuzz: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // The input is the command line in UTF-16LE code units; an odd last byte is ignored.
    std::u16string commandLine(size / 2, u'\0');
    for (size_t i = 0; i < commandLine.size(); ++i)
        commandLine[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);

    const std::vector<std::u16string> arguments = startup::SplitCommandLine(commandLine);
    std::u16string quoted;
    for (const std::u16string &argument : arguments)
    {
        if (argument.find(u'"') != std::u16string::npos)
            Fail("a quote survived splitting");
        if (!quoted.empty())
            quoted += u' ';
        quoted += u'"' + argument + u'"';
    }
    if (startup::SplitCommandLine(quoted) != arguments)
        Fail("quoting the arguments again splits them differently");

    testing_support::FakeFileSystem files;
    files.AddFile(u"C:\\a.exe");
    files.AddFile(u"C:\\i.ico");
    files.AddFolder(u"C:\\w");
    files.AddFile(u"C:\\t.kv2", "[Program]\r\nName=C:\\a.exe\r\n[Window]\r\nStyle=min\r\nPriority=IDLE\r\n");
    const testing_support::Latin1CodePage ansi;

    startup::TaskDefinition task;
    task.TaskFilePath = u"D:\\Data\\exe.ini";
    startup::ApplyCommandLine(arguments, files, ansi, task);

    if (arguments.size() <= 1)
    {
        startup::TaskDefinition untouched;
        untouched.TaskFilePath = u"D:\\Data\\exe.ini";
        if (!(task == untouched))
            Fail("no arguments changed the task definition");
        return 0;
    }
    if (task.TaskFileGiven != (arguments.size() == 2 && task.TaskFilePath != u"D:\\Data\\exe.ini"))
        Fail("task file flag does not match the form of the command line");
    if (arguments.size() > 2 && task.TaskFilePath != u"D:\\Data\\exe.ini")
        Fail("options changed the option file");
    if (!task.ProgramPath.empty() && !files.FileExists(task.ProgramPath))
        Fail("program that does not exist");
    if (!task.IconFile.empty() && !files.FileExists(task.IconFile))
        Fail("icon file that does not exist");
    if (task.ShowCommand != 0 && !IsShowCommand(task.ShowCommand))
        Fail("show command outside the value words");
    if (task.PriorityClass != 0 && !IsPriorityClass(task.PriorityClass))
        Fail("priority class outside the value words");
    if (task.ProgramPath.empty() != task.CommandLine.empty())
        Fail("command line and program disagree");
    if (!task.ProgramPath.empty() &&
        (!IsShowCommand(task.ShowCommand) || !IsPriorityClass(task.PriorityClass) || task.WorkDir.empty() ||
         task.IconFile.empty()))
        Fail("completion did not run");
    return 0;
}
