#include "common/win/Shell.h"

#include "common/win/SystemLibrary.h"
#include "common/win/ShellCalls.h"

#include <objbase.h>
#include <shellapi.h>

namespace common::win
{

namespace
{

bool g_inApartment = false;
bool g_apartmentTried = false;

} // namespace

void EnterComApartment() noexcept
{
    CountLoadWithRedirectionOff();
    if (g_apartmentTried)
        return;
    g_apartmentTried = true;
    g_inApartment = SUCCEEDED(common::win::shell::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
}

void LeaveComApartment() noexcept
{
    if (g_inApartment)
        common::win::shell::CoUninitialize();
    g_inApartment = false;
    g_apartmentTried = false;
}

HICON GetAssociatedIcon(const std::u16string &fileName, int index)
{
    // ExtractAssociatedIconW may write a path back into its argument, which must therefore be a
    // writable buffer of MAX_PATH characters; a longer name cannot be passed at all.
    if (fileName.size() >= MAX_PATH || fileName.find(u'\0') != std::u16string::npos)
        return nullptr;
    wchar_t path[MAX_PATH] = {};
    fileName.copy(reinterpret_cast<char16_t *>(path), fileName.size());
    WORD iconIndex = static_cast<WORD>(index);
    EnterComApartment();
    if (HICON icon = common::win::shell::ExtractAssociatedIconW(GetModuleHandleW(nullptr), path, &iconIndex))
        return icon;
    // A shared system icon must not be destroyed: the caller gets a copy of its own.
    return CopyIcon(LoadIconW(nullptr, IDI_APPLICATION));
}

} // namespace common::win
