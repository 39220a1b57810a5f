#include "WinTestSupport.h"

#include "common/Text.h"
#include "common/win/FileSystem.h"
#include "common/win/Shell.h"
#include "common/win/Unique.h"

#include <shlobj.h>
#include <tlhelp32.h>

#include <cstdio>
#include <stdexcept>
#include <thread>

namespace wintest
{

using namespace std::chrono_literals;

std::u16string BinFolder()
{
    return common::win::ProgramFolder();
}

TempFolder::TempFolder()
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    static unsigned counter = 0;
    m_path = U(temp) + u"kv2test-" + common::Utf8ToUtf16(std::to_string(GetCurrentProcessId())) + u"-" +
             common::Utf8ToUtf16(std::to_string(++counter));
    RemoveTree(m_path);
    if (!CreateDirectoryW(W(m_path), nullptr))
        throw std::runtime_error("cannot create a temporary folder");
}

TempFolder::~TempFolder()
{
    RemoveTree(m_path);
}

std::u16string TempFolder::operator/(std::u16string_view name) const
{
    return m_path + u"\\" + std::u16string(name);
}

void RemoveTree(const std::u16string &path)
{
    WIN32_FIND_DATAW found;
    common::win::UniqueFind search(FindFirstFileW(W(path + u"\\*"), &found));
    if (search)
    {
        do
        {
            const std::u16string name = U(found.cFileName);
            if (name == u"." || name == u"..")
                continue;
            const std::u16string child = path + u"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
            {
                SetFileAttributesW(W(child), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(W(child));
            }
        } while (FindNextFileW(search.Get(), &found));
    }
    RemoveDirectoryW(W(path));
}

void WriteBytes(const std::u16string &path, const std::string &bytes)
{
    common::win::UniqueFile file(
        CreateFileW(W(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        throw std::runtime_error("cannot create a test file");
    DWORD written = 0;
    WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void WriteShellLink(const std::u16string &path, const std::u16string &program,
                    const std::u16string &arguments, const std::u16string &folder)
{
    common::win::EnterComApartment();
    common::win::UniqueCom<IShellLinkW> link;
    common::win::UniqueCom<IPersistFile> file;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void **>(link.Put()))) ||
        FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(file.Put()))))
        throw std::runtime_error("cannot make a shell link");
    if (program.empty())
    {
        PIDLIST_ABSOLUTE computer = nullptr;
        if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer)))
            throw std::runtime_error("cannot name This PC");
        link->SetIDList(computer);
        CoTaskMemFree(computer);
    }
    else
        link->SetPath(W(program));
    link->SetArguments(W(arguments));
    link->SetWorkingDirectory(W(folder));
    if (FAILED(file->Save(W(path), TRUE)))
        throw std::runtime_error("cannot save a shell link");
}

std::string ReadBytes(const std::u16string &path)
{
    return common::win::ReadFileCapped(path, 64 * 1024 * 1024).value_or(std::string());
}

bool CreateSparseFile(const std::u16string &path, long long size)
{
    common::win::UniqueFile file(
        CreateFileW(W(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER end;
    end.QuadPart = size;
    return file && SetFilePointerEx(file.Get(), end, nullptr, FILE_BEGIN) && SetEndOfFile(file.Get());
}

std::string Utf16File(std::string_view utf8, bool bigEndian)
{
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t c : common::Utf8ToUtf16(utf8))
    {
        const char low = static_cast<char>(c & 0xFF);
        const char high = static_cast<char>(c >> 8);
        bytes.push_back(bigEndian ? high : low);
        bytes.push_back(bigEndian ? low : high);
    }
    return bytes;
}

bool WaitUntil(const std::function<bool()> &condition, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition())
    {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return true;
}

Process::Process(const std::u16string &program, const std::u16string &arguments, const std::u16string &folder)
{
    std::u16string commandLine = u"\"" + program + u"\"";
    if (!arguments.empty())
        commandLine += u" " + arguments;
    std::u16string buffer = commandLine;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    // A start that the system refuses for a moment (once seen under Wine on a loaded machine, with a
    // program that had started a moment before) is tried again; a program that is not there is not.
    DWORD error = ERROR_SUCCESS;
    for (int attempt = 0; attempt < 5; ++attempt)
    {
        if (CreateProcessW(W(program), common::win::Writable(buffer), nullptr, nullptr, FALSE, 0, nullptr,
                           folder.empty() ? nullptr : W(folder), &startup, &info))
        {
            error = ERROR_SUCCESS;
            break;
        }
        error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            break;
        std::fprintf(stderr, "starting %s failed with error %lu; trying again\n",
                     common::Utf16ToUtf8(program).c_str(), static_cast<unsigned long>(error));
        Sleep(200);
    }
    if (error != ERROR_SUCCESS)
        throw std::runtime_error("cannot start " + common::Utf16ToUtf8(program) + " (error " +
                                 std::to_string(error) + ")");
    CloseHandle(info.hThread);
    m_process.Reset(info.hProcess);
    m_id = info.dwProcessId;
}

Process::~Process()
{
    if (WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT)
    {
        TerminateProcess(m_process.Get(), 1);
        WaitForSingleObject(m_process.Get(), 5000);
    }
}

DWORD Process::WaitForExit(std::chrono::milliseconds timeout)
{
    WaitUntil([&] { return WaitForSingleObject(m_process.Get(), 0) == WAIT_OBJECT_0; }, timeout);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(m_process.Get(), &code);
    return code;
}

namespace
{

// Ends every process whose executable's file name is one of `fileNames` (any letter case).
void EndProcessesNamedAny(std::initializer_list<std::u16string_view> fileNames)
{
    common::win::UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more;
         more = Process32NextW(snapshot.Get(), &entry))
    {
        const std::u16string name = common::ToLower(U(entry.szExeFile));
        bool listed = false;
        for (std::u16string_view fileName : fileNames)
            listed = listed || name == common::ToLower(fileName);
        if (!listed)
            continue;
        common::win::UniqueHandle process(
            OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID));
        if (process && TerminateProcess(process.Get(), 1))
            WaitForSingleObject(process.Get(), 5000);
    }
}

} // namespace

void EndProcessesNamed(const std::u16string &fileName)
{
    EndProcessesNamedAny({fileName});
}

void EndLeftoverPrograms()
{
    EndProcessesNamedAny({u"KV2.exe", u"KV2A.exe", u"KV2C.exe", u"KV2Target.exe", u"KV2TargetConsole.exe",
                          u"KV2OptionSaver.exe", u"Acc.exe", u"notepad.exe"});
}

namespace
{

struct WindowSearch
{
    DWORD processId;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectProcessWindow(HWND window, LPARAM parameter)
{
    auto *search = reinterpret_cast<WindowSearch *>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId)
        search->windows.push_back(window);
    return TRUE;
}

} // namespace

std::vector<HWND> ProcessWindows(DWORD processId)
{
    WindowSearch search{processId, {}};
    EnumWindows(CollectProcessWindow, reinterpret_cast<LPARAM>(&search));
    return search.windows;
}

HWND ProcessWindowOfClass(DWORD processId, const wchar_t *className)
{
    for (HWND window : ProcessWindows(processId))
    {
        wchar_t name[256] = {};
        GetClassNameW(window, name, 256);
        if (lstrcmpW(name, className) == 0)
            return window;
    }
    return nullptr;
}

FixtureTarget::FixtureTarget(const std::u16string &arguments, const wchar_t *className)
    : m_process(BinFolder() + u"\\KV2Target.exe", arguments)
{
    // By its class alone: a program that renames itself may have done so before it is found.
    WaitUntil([&] { return (m_window = ProcessWindowOfClass(m_process.Id(), className)) != nullptr; }, 20s);
    if (m_window == nullptr || !WaitUntil([&] { return IsWindowVisible(m_window) != FALSE; }, 20s) ||
        WaitForInputIdle(m_process.Handle(), 20000) != 0)
        m_window = nullptr;
}

std::u16string WindowText(HWND window)
{
    wchar_t buffer[1024] = {};
    const int length = GetWindowTextW(window, buffer, 1024);
    return U(buffer, static_cast<size_t>(length));
}

HWND WaitForWindow(DWORD processId, const wchar_t *className, const std::u16string &caption,
                   std::chrono::milliseconds timeout)
{
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND window : ProcessWindows(processId))
            {
                wchar_t name[256] = {};
                GetClassNameW(window, name, 256);
                if ((className == nullptr || lstrcmpW(name, className) == 0) && WindowText(window) == caption)
                {
                    found = window;
                    return true;
                }
            }
            return false;
        },
        timeout);
    return found;
}

} // namespace wintest
