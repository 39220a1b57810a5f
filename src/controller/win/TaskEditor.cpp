#include "controller/win/TaskEditor.h"

#include "common/win/FileSystem.h"
#include "common/win/WinText.h"
#include "procwin/win/AppExecute.h"
#include "startup/Build.h"

#include <windows.h>

namespace controller
{

void OpenTaskEditor(const std::u16string &file)
{
    const std::u16string folder = common::win::ProgramFolder() + u"\\";
    const std::u16string editor = folder + u"KV2C.exe";
    if (!common::win::FileExistsReady(file) || !common::win::DirectoryExistsReady(folder))
        return;
    const std::u16string quoted = u"\"" + file + u"\"";
    // The editor, or without it the system's text editor: never with administrator rights, which the
    // elevated build would hand on to it (an editor's file dialogs would reach everything).
    if (common::win::FileExistsReady(editor))
    {
        if (startup::kElevatedBuild)
            procwin::StartAsShellUser(editor, quoted);
        else
            procwin::StartProgram(editor, quoted, folder);
        return;
    }
    wchar_t windows[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryW(windows, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    const std::u16string notepad = common::win::U(windows) + u"\\notepad.exe";
    if (startup::kElevatedBuild)
        procwin::StartAsShellUser(notepad, quoted);
    else
        procwin::StartProgram(notepad, quoted, u"");
}

} // namespace controller
