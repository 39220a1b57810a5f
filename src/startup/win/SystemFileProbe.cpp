#include "startup/win/SystemFileProbe.h"

#include "common/win/FileSystem.h"
#include "common/win/IniFile.h"
#include "common/win/Shell.h"
#include "common/win/TextFile.h"
#include "common/win/Unique.h"
#include "common/win/WinText.h"
#include "common/win/ShellCalls.h"
#include "startup/TaskFile.h"

#include <shlobj.h>

namespace startup
{

namespace
{

constexpr int kHeldReadAttempts = 10;
constexpr DWORD kHeldReadPauseMilliseconds = 100;
constexpr int kLongestCommandLine = 32768;

// A link's program or folder with its environment variables expanded; "%ProgramFiles%" is the
// system's own folder also in a 32-bit program on 64-bit Windows (where "ProgramW6432" is set).
std::u16string ExpandLinkPath(const wchar_t *raw)
{
    std::u16string text = common::win::U(raw);
    // A 64-bit program gets the system's own folders anyway.
    if (sizeof(void *) == 4 && GetEnvironmentVariableW(L"ProgramW6432", nullptr, 0) != 0)
        text = NativeProgramFilesVariables(text);
    wchar_t expanded[MAX_PATH];
    const DWORD length = ExpandEnvironmentStringsW(common::win::W(text), expanded, MAX_PATH);
    return length == 0 || length > MAX_PATH ? text : common::win::U(expanded);
}

} // namespace

bool SystemFileProbe::FileExists(std::u16string_view path) const
{
    const std::u16string file(path);
    if (common::win::FileExistsReady(file))
        return true;
    // A task file that another KV2 is saving at this moment is read once the save has ended.
    common::win::AwaitInterruptedSave(file);
    return common::win::FileExistsReady(file);
}

bool SystemFileProbe::DirectoryExists(std::u16string_view path) const
{
    return common::win::DirectoryExistsReady(std::u16string(path));
}

std::optional<std::string> SystemFileProbe::ReadFile(std::u16string_view path, size_t limit) const
{
    // Another program (a virus scanner, an indexer, another KV2's save) may have the file open for a
    // moment: that is tried again briefly before the task counts as unreadable.
    for (int attempt = 1;; ++attempt)
    {
        std::optional<std::string> bytes = common::win::ReadFileCapped(std::u16string(path), limit);
        if (bytes || attempt == kHeldReadAttempts || !common::win::IsHeldError(GetLastError()))
            return bytes;
        Sleep(kHeldReadPauseMilliseconds);
    }
}

std::u16string SystemFileProbe::FullPath(std::u16string_view path) const
{
    return path.empty() ? std::u16string() : common::win::FullPath(std::u16string(path));
}

std::optional<ShellLinkTarget> SystemFileProbe::ReadShellLink(std::u16string_view path) const
{
    using common::win::UniqueCom;
    common::win::EnterComApartment();
    UniqueCom<IShellLinkW> link;
    UniqueCom<IPersistFile> file;
    UniqueCom<IShellLinkDataList> data;
    if (FAILED(common::win::shell::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                                    IID_IShellLinkW,
                                                    reinterpret_cast<void **>(link.Put()))) ||
        FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(file.Put()))) ||
        FAILED(file->Load(common::win::W(std::u16string(path)), STGM_READ)))
        return std::nullopt;
    // An installer's advertised shortcut names a file of the installer, not the program it starts.
    DWORD flags = 0;
    if (SUCCEEDED(link->QueryInterface(IID_IShellLinkDataList, reinterpret_cast<void **>(data.Put()))) &&
        SUCCEEDED(data->GetFlags(&flags)) && (flags & SLDF_HAS_DARWINID) != 0)
        return std::nullopt;
    wchar_t program[MAX_PATH] = {};
    if (link->GetPath(program, MAX_PATH, nullptr, SLGP_RAWPATH) != S_OK || program[0] == L'\0')
        return std::nullopt;
    ShellLinkTarget target;
    target.Program = ExpandLinkPath(program);
    std::u16string arguments(kLongestCommandLine, u'\0');
    if (SUCCEEDED(link->GetArguments(common::win::Writable(arguments), kLongestCommandLine)))
        target.Arguments = arguments.c_str();
    wchar_t folder[MAX_PATH] = {};
    if (SUCCEEDED(link->GetWorkingDirectory(folder, MAX_PATH)) && folder[0] != L'\0')
        target.WorkDir = ExpandLinkPath(folder);
    return target;
}

} // namespace startup
