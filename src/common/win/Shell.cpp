#include "common/win/Shell.h"

#include "common/win/WinText.h"

#include <shellapi.h>

namespace common::win
{

HICON GetAssociatedIcon(const std::u16string &fileName, int index)
{
    // ExtractAssociatedIconW may write a path back into its argument, which must therefore be a
    // writable buffer of MAX_PATH characters; a longer name cannot be passed at all.
    if (fileName.size() >= MAX_PATH || fileName.find(u'\0') != std::u16string::npos)
        return nullptr;
    wchar_t path[MAX_PATH] = {};
    fileName.copy(reinterpret_cast<char16_t *>(path), fileName.size());
    WORD iconIndex = static_cast<WORD>(index);
    return ExtractAssociatedIconW(GetModuleHandleW(nullptr), path, &iconIndex);
}

INT_PTR ShellOpen(HWND owner, const std::u16string &file, const std::u16string &parameters,
                  const std::u16string &directory, int showCommand)
{
    const HINSTANCE result = ShellExecuteW(owner, nullptr, W(file), parameters.empty() ? nullptr : W(parameters),
                                           directory.empty() ? nullptr : W(directory), showCommand);
    return reinterpret_cast<INT_PTR>(result);
}

} // namespace common::win
