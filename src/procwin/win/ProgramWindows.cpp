#include "procwin/win/ProgramWindows.h"

#include "common/Text.h"
#include "common/win/Unique.h"
#include "common/win/WinText.h"
#include "procwin/ProcessIdentity.h"
#include "procwin/win/WindowInfo.h"
#include "procwin/win/Wow64.h"

#include <tlhelp32.h>

#include <algorithm>
#include <utility>

namespace procwin
{

using common::win::W;

std::vector<ProgramWindow> ProgramWindows(const std::u16string &fileNameLower)
{
    std::vector<ProgramWindow> found;
    // The executables of 64-bit programs are examined under their real names.
    const Wow64Redirection redirection;
    for (HWND window : TopLevelWindows())
    {
        // Windows with a parent or an owner are parts of another window.
        if (RootWnd(window) != window)
            continue;
        // Invisible and untitled windows give no path and so never match.
        WndInfo info = GetWndInfo(window);
        if (info.exePath.empty() || common::ToLower(FileNameOf(info.exePath)) != fileNameLower)
            continue;
        // One entry per title, ignoring case as the list's exact search does: the front-most window's.
        const bool listed = std::any_of(found.begin(), found.end(), [&](const ProgramWindow &entry) {
            return lstrcmpiW(W(entry.title), W(info.title)) == 0;
        });
        if (!listed)
            found.push_back({window, std::move(info.title)});
    }
    return found;
}

bool ProgramMayRun(const std::u16string &fileNameLower)
{
    // A failed snapshot is INVALID_HANDLE_VALUE, as a failed file is.
    const common::win::UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    if (!snapshot || !Process32FirstW(snapshot.Get(), &entry))
        return true;
    do
    {
        const std::u16string name = common::ToLower(common::win::U(entry.szExeFile));
        if (name == fileNameLower || name.find(u'~') != std::u16string::npos)
            return true;
    } while (Process32NextW(snapshot.Get(), &entry));
    return false;
}

} // namespace procwin
