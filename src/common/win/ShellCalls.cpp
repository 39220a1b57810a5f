#include "common/win/ShellCalls.h"

#include "common/win/SystemLibrary.h"

namespace common::win::shell
{

namespace
{

const SystemLibrary &Shell32()
{
    static const SystemLibrary library(L"shell32.dll");
    return library;
}

const SystemLibrary &Ole32()
{
    static const SystemLibrary library(L"ole32.dll");
    return library;
}

// The function of that name in the library, typed as the declaration `Declared` (an unevaluated
// decltype: it takes nothing from the import library); null, with the thread's last error set, when
// the library or the function is missing.
template <typename Declared> Declared Bound(const SystemLibrary &library, const char *name) noexcept
{
    const Declared function = library.Find<Declared>(name);
    if (function == nullptr)
        SetLastError(ERROR_PROC_NOT_FOUND);
    return function;
}

} // namespace

UINT DragQueryFileW(HDROP drop, UINT index, LPWSTR file, UINT size) noexcept
{
    const auto function = Bound<decltype(&::DragQueryFileW)>(Shell32(), "DragQueryFileW");
    return function != nullptr ? function(drop, index, file, size) : 0;
}

void DragFinish(HDROP drop) noexcept
{
    if (const auto function = Bound<decltype(&::DragFinish)>(Shell32(), "DragFinish"))
        function(drop);
}

HICON ExtractAssociatedIconW(HINSTANCE instance, LPWSTR path, WORD *index) noexcept
{
    const auto function = Bound<decltype(&::ExtractAssociatedIconW)>(Shell32(), "ExtractAssociatedIconW");
    return function != nullptr ? function(instance, path, index) : nullptr;
}

UINT_PTR SHAppBarMessage(DWORD message, APPBARDATA *data) noexcept
{
    const auto function = Bound<decltype(&::SHAppBarMessage)>(Shell32(), "SHAppBarMessage");
    return function != nullptr ? function(message, data) : 0;
}

PIDLIST_ABSOLUTE SHBrowseForFolderW(BROWSEINFOW *browse) noexcept
{
    const auto function = Bound<decltype(&::SHBrowseForFolderW)>(Shell32(), "SHBrowseForFolderW");
    return function != nullptr ? function(browse) : nullptr;
}

void SHChangeNotify(LONG event, UINT flags, LPCVOID first, LPCVOID second) noexcept
{
    if (const auto function = Bound<decltype(&::SHChangeNotify)>(Shell32(), "SHChangeNotify"))
        function(event, flags, first, second);
}

HRESULT SHGetFolderPathW(HWND owner, int folder, HANDLE token, DWORD flags, LPWSTR path) noexcept
{
    const auto function = Bound<decltype(&::SHGetFolderPathW)>(Shell32(), "SHGetFolderPathW");
    return function != nullptr ? function(owner, folder, token, flags, path) : E_NOTIMPL;
}

HRESULT SHGetKnownFolderPath(REFKNOWNFOLDERID id, DWORD flags, HANDLE token, PWSTR *path) noexcept
{
    *path = nullptr;
    const auto function = Bound<decltype(&::SHGetKnownFolderPath)>(Shell32(), "SHGetKnownFolderPath");
    return function != nullptr ? function(id, flags, token, path) : E_NOTIMPL;
}

BOOL SHGetPathFromIDListW(PCIDLIST_ABSOLUTE list, LPWSTR path) noexcept
{
    const auto function = Bound<decltype(&::SHGetPathFromIDListW)>(Shell32(), "SHGetPathFromIDListW");
    return function != nullptr && function(list, path);
}

BOOL ShellExecuteExW(SHELLEXECUTEINFOW *info) noexcept
{
    const auto function = Bound<decltype(&::ShellExecuteExW)>(Shell32(), "ShellExecuteExW");
    return function != nullptr && function(info);
}

HRESULT CoCreateInstance(REFCLSID classId, IUnknown *outer, DWORD context, REFIID interfaceId,
                         void **object) noexcept
{
    *object = nullptr;
    const auto function = Bound<decltype(&::CoCreateInstance)>(Ole32(), "CoCreateInstance");
    return function != nullptr ? function(classId, outer, context, interfaceId, object) : E_NOTIMPL;
}

HRESULT CoInitializeEx(void *reserved, DWORD model) noexcept
{
    const auto function = Bound<decltype(&::CoInitializeEx)>(Ole32(), "CoInitializeEx");
    return function != nullptr ? function(reserved, model) : E_NOTIMPL;
}

void CoTaskMemFree(void *memory) noexcept
{
    if (memory == nullptr)
        return;
    if (const auto function = Bound<decltype(&::CoTaskMemFree)>(Ole32(), "CoTaskMemFree"))
        function(memory);
}

void CoUninitialize() noexcept
{
    if (const auto function = Bound<decltype(&::CoUninitialize)>(Ole32(), "CoUninitialize"))
        function();
}

} // namespace common::win::shell
