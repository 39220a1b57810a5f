#include "procwin/win/Wow64.h"

#include "common/win/SystemLibrary.h"

#include <windows.h>

namespace procwin
{

namespace
{

using IsWow64ProcessFunction = BOOL(WINAPI *)(HANDLE, PBOOL);
using DisableRedirectionFunction = BOOL(WINAPI *)(PVOID *);
using RevertRedirectionFunction = BOOL(WINAPI *)(PVOID);

// Module state: set once by Wow64Init on the user-interface thread.
bool g_isWow64 = false;
DisableRedirectionFunction g_disableRedirection = nullptr;
RevertRedirectionFunction g_revertRedirection = nullptr;
PVOID g_savedRedirection = nullptr;

template <typename Function> Function Lookup(HMODULE module, const char *name)
{
    // GetProcAddress answers a generic function pointer; the cast to the documented signature is the
    // usual way to bind an optional export.
    return reinterpret_cast<Function>(reinterpret_cast<void *>(GetProcAddress(module, name)));
}

} // namespace

void Wow64Init()
{
    const HMODULE kernel = GetModuleHandleW(L"Kernel32.dll"); // not owned: always loaded
    const auto isWow64Process = Lookup<IsWow64ProcessFunction>(kernel, "IsWow64Process");
    if (isWow64Process != nullptr)
    {
        BOOL flag = FALSE;
        g_isWow64 = isWow64Process(GetCurrentProcess(), &flag) && flag;
    }
    else
    {
        const OSVERSIONINFOW version = common::win::SystemVersion();
        g_isWow64 = version.dwMajorVersion > 5 || (version.dwMajorVersion == 5 && version.dwMinorVersion >= 2);
    }
    if (!g_isWow64)
        return;

    // Kernel32 stays mapped in every process, so the functions stay valid after the library object
    // lets its reference go.
    const common::win::SystemLibrary kernel32(L"Kernel32.dll");
    g_disableRedirection = kernel32.Find<DisableRedirectionFunction>("Wow64DisableWow64FsRedirection");
    g_revertRedirection = kernel32.Find<RevertRedirectionFunction>("Wow64RevertWow64FsRedirection");
}

bool IsWow64()
{
    return g_isWow64;
}

void Wow64FsOff()
{
    common::win::SetRedirectionOff(true);
    if (g_isWow64 && g_disableRedirection != nullptr)
        g_disableRedirection(&g_savedRedirection);
}

void Wow64FsRestore()
{
    common::win::SetRedirectionOff(false);
    if (g_isWow64 && g_revertRedirection != nullptr)
        g_revertRedirection(g_savedRedirection);
}

bool IsWinXPOrLater()
{
    const OSVERSIONINFOW version = common::win::SystemVersion();
    return version.dwMajorVersion > 5 || (version.dwMajorVersion == 5 && version.dwMinorVersion >= 1);
}

bool IsWin2000OrLater()
{
    return common::win::SystemVersion().dwMajorVersion >= 5;
}

} // namespace procwin
