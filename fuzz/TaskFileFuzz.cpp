// Reads arbitrary bytes as a task file and checks the task definition that comes out: only existing
// paths are taken, completion leaves valid values, the command-line step gives the same result, and
// the file reads the same after KV2 has rewritten it with its options.
#include "FakeFileSystem.h"
#include "TaskValues.h"

#include "common/IniDocument.h"
#include "common/TextEncoding.h"
#include "startup/CommandLine.h"
#include "startup/TaskFile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace
{

using fuzzing::IsPriorityClass;
using fuzzing::IsShowCommand;

const std::u16string kTaskFile = u"C:\\Tasks\\fuzz.KV2";

[[noreturn]] void Fail(const char *what)
{
    std::fprintf(stderr, "TaskFileFuzz: %s\n", what);
    std::abort();
}

testing_support::FakeFileSystem MakeFiles(std::string taskFile)
{
    testing_support::FakeFileSystem files;
    files.AddFile(u"C:\\a.exe");
    files.AddFile(u"C:\\Program Files\\My App\\b.exe");
    files.AddFile(u"C:\\i.ico");
    files.AddFolder(u"C:\\w");
    files.AddFolder(u"C:\\Program Files");
    files.AddFile(kTaskFile, std::move(taskFile));
    return files;
}

startup::TaskDefinition Read(const testing_support::FakeFileSystem &files, const common::AnsiCodePage &ansi)
{
    startup::TaskDefinition task;
    startup::ReadTaskFile(kTaskFile, files, ansi, task);
    startup::CompleteTaskDefinition(task);
    return task;
}

void Check(const startup::TaskDefinition &task, const startup::FileProbe &files)
{
    if (!task.TaskFileGiven || task.TaskFilePath != kTaskFile)
        Fail("an existing .KV2 file was not accepted");
    if (!IsShowCommand(task.ShowCommand) && task.ShowCommand != 0)
        Fail("show command outside the value words");
    if (!IsPriorityClass(task.PriorityClass) && task.PriorityClass != 0)
        Fail("priority class outside the value words");
    if (!task.IconFile.empty() && !files.FileExists(task.IconFile))
        Fail("icon file that does not exist");
    if (task.ProgramPath.empty())
    {
        if (!task.CommandLine.empty())
            Fail("command line without a program");
        return;
    }
    if (!files.FileExists(task.ProgramPath))
        Fail("program that does not exist");
    const std::u16string expectedCommandLine =
        task.ProgramOption.empty() ? task.ProgramPath : task.ProgramPath + u" " + task.ProgramOption;
    if (task.CommandLine != expectedCommandLine)
        Fail("command line not built from program and option");
    if (task.WorkDir != startup::FolderOf(task.ProgramPath) && !files.DirectoryExists(task.WorkDir))
        Fail("working folder that does not exist");
    if (!IsShowCommand(task.ShowCommand) || !IsPriorityClass(task.PriorityClass))
        Fail("completion left a show command or priority class unset");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char *>(data), size);
    const testing_support::Latin1CodePage ansi;
    const testing_support::FakeFileSystem files = MakeFiles(bytes);

    const startup::TaskDefinition task = Read(files, ansi);
    Check(task, files);

    startup::TaskDefinition fromCommandLine;
    startup::ApplyCommandLine({u"KV2.exe", kTaskFile}, files, ansi, fromCommandLine);
    if (!(fromCommandLine == task))
        Fail("the command-line step reads the task file differently");

    // Saving the options rewrites the whole file as UTF-16LE; the task definition must not change.
    common::IniDocument document =
        common::IniDocument::Parse(common::DecodeText(bytes, common::TextEncoding::Ansi, ansi));
    document.Set(u"Tray Option", u"TransValue", u"50");
    const testing_support::FakeFileSystem rewritten =
        MakeFiles(common::EncodeText(document.Serialize(), common::TextEncoding::Utf16Le));
    if (!(Read(rewritten, ansi) == task))
        Fail("the task file reads differently after a rewrite");
    return 0;
}
