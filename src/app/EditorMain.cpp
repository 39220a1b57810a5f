// KV2C, the task editor: one window for the task file named on its command line (or a new task).
#include "common/Text.h"
#include "common/win/IniFile.h"
#include "common/win/WinText.h"
#include "editor/win/EditorForm.h"
#include "gui/DarkMode.h"
#include "gui/MessagePump.h"
#include "startup/Build.h"
#include "startup/CommandLine.h"
#include "startup/win/SpecialFolder.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    gui::FollowSystemTheme();
    const std::vector<std::u16string> arguments =
        startup::SplitCommandLine(common::win::U(GetCommandLineW()));
    std::u16string path;
    if (arguments.size() > 1)
    {
        wchar_t full[MAX_PATH] = {};
        const DWORD length = GetFullPathNameW(common::win::W(arguments[1]), MAX_PATH, full, nullptr);
        path = length > 0 && length < MAX_PATH ? common::win::U(full) : arguments[1];
    }
    try
    {
        editor::EditorForm form(path);
        // Saves take the lock KV2's own saves take, in the data folder they share: found once the
        // window shows (the shell finds it), before the window's first message.
        static std::u16string dataFolder = startup::PrepareDataFolder(startup::kDataFolderName);
        if (!dataFolder.empty())
        {
            if (dataFolder.back() != u'\\')
                dataFolder += u'\\';
            common::win::SetSettingsLockFolder(dataFolder);
        }
        gui::PumpUntil([&form] { return form.Closed(); },
                       {.preTranslate = [&form](MSG &message) {
                           return IsDialogMessageW(form.Handle(), &message) != FALSE;
                       }});
    }
    catch (const std::exception &error)
    {
        MessageBoxW(nullptr, common::win::W(common::Utf8ToUtf16(error.what())), L"KV2 / Orvane", MB_OK | MB_ICONHAND);
        return 1;
    }
    return 0;
}
