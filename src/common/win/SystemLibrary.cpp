#include "common/win/SystemLibrary.h"

#include <string>

namespace common::win
{

SystemLibrary::SystemLibrary(const wchar_t *name)
{
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    const std::wstring path = std::wstring(folder, length) + L'\\' + name;
    m_module.Reset(LoadLibraryW(path.c_str()));
}

} // namespace common::win
