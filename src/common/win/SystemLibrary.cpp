#include "common/win/SystemLibrary.h"

#include "common/win/WinText.h"

#include <atomic>
#include <string>

namespace common::win
{

namespace
{

thread_local bool t_redirectionOff = false;
std::atomic<unsigned> g_loadsWithRedirectionOff{0};

} // namespace

void SetRedirectionOff(bool off) noexcept
{
    t_redirectionOff = off;
}

void CountLoadWithRedirectionOff() noexcept
{
    if (t_redirectionOff)
        ++g_loadsWithRedirectionOff;
}

unsigned LoadsWithRedirectionOff() noexcept
{
    return g_loadsWithRedirectionOff;
}

OSVERSIONINFOW SystemVersion() noexcept
{
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
#if defined(_MSC_VER)
#pragma warning(suppress : 4996) // GetVersionExW is deprecated, not wrong with the manifest
#endif
    GetVersionExW(&info);
    return info;
}

SystemLibrary::SystemLibrary(const wchar_t *name)
{
    CountLoadWithRedirectionOff();
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    const std::u16string path = U(folder, length) + u'\\' + U(name);
    m_module.Reset(LoadLibraryW(W(path)));
}

} // namespace common::win
