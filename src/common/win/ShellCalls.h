// The shell's and COM's functions the programs call, bound at their first call instead of at the
// program's start: a program that needs neither library before its window shows (the task editor) shows
// it without loading them and the libraries they bring. Each first call loads its library as
// SystemLibrary does (counted when the thread has the file-system redirection off). A function that
// cannot be bound fails as the system's would: FALSE, 0, null or E_NOTIMPL with ERROR_PROC_NOT_FOUND.
#pragma once

#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

namespace common::win::shell
{

// shell32
UINT DragQueryFileW(HDROP drop, UINT index, LPWSTR file, UINT size) noexcept;
void DragFinish(HDROP drop) noexcept;
HICON ExtractAssociatedIconW(HINSTANCE instance, LPWSTR path, WORD *index) noexcept;
UINT_PTR SHAppBarMessage(DWORD message, APPBARDATA *data) noexcept;
PIDLIST_ABSOLUTE SHBrowseForFolderW(BROWSEINFOW *browse) noexcept;
void SHChangeNotify(LONG event, UINT flags, LPCVOID first, LPCVOID second) noexcept;
HRESULT SHGetFolderPathW(HWND owner, int folder, HANDLE token, DWORD flags, LPWSTR path) noexcept;
HRESULT SHGetKnownFolderPath(REFKNOWNFOLDERID id, DWORD flags, HANDLE token, PWSTR *path) noexcept;
BOOL SHGetPathFromIDListW(PCIDLIST_ABSOLUTE list, LPWSTR path) noexcept;
BOOL ShellExecuteExW(SHELLEXECUTEINFOW *info) noexcept;

// ole32
HRESULT CoCreateInstance(REFCLSID classId, IUnknown *outer, DWORD context, REFIID interfaceId,
                         void **object) noexcept;
HRESULT CoInitializeEx(void *reserved, DWORD model) noexcept;
void CoTaskMemFree(void *memory) noexcept;
void CoUninitialize() noexcept;

} // namespace common::win::shell
