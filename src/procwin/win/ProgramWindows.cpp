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

namespace
{

// The windows of the program named `fileNameLower`, or of every program but this one (null), with their
// executables line for line in `programs` (null: not wanted).
std::vector<ProgramWindow> WindowsOf(const std::u16string *fileNameLower,
                                     std::vector<std::u16string> *programs)
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
        if (info.exePath.empty() ||
            (fileNameLower != nullptr ? common::ToLower(FileNameOf(info.exePath)) != *fileNameLower
                                      : ProcessIdOf(window) == GetCurrentProcessId()))
            continue;
        // One entry per title, ignoring case as the list's exact search does: the front-most window's.
        const bool listed = std::any_of(found.begin(), found.end(), [&](const ProgramWindow &entry) {
            return lstrcmpiW(W(entry.title), W(info.title)) == 0;
        });
        if (listed)
            continue;
        found.push_back({window, std::move(info.title)});
        if (programs != nullptr)
            programs->push_back(std::move(info.exePath));
    }
    return found;
}

} // namespace

std::vector<ProgramWindow> ProgramWindows(const std::u16string &fileNameLower)
{
    return WindowsOf(&fileNameLower, nullptr);
}

std::vector<ProgramWindow> EveryProgramsWindows(std::vector<std::u16string> &programs)
{
    programs.clear();
    return WindowsOf(nullptr, &programs);
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

namespace
{

// Not one program's business beyond this: a launch that starts more is not followed further.
constexpr size_t kMostDescendants = 64;

ULONGLONG CreationTime(HANDLE process) noexcept
{
    FILETIME created{}, exited{}, kernel{}, user{};
    if (process == nullptr || !GetProcessTimes(process, &created, &exited, &kernel, &user))
        return 0;
    return (ULONGLONG{created.dwHighDateTime} << 32) | created.dwLowDateTime;
}

} // namespace

Descendants::Descendants(DWORD root)
{
    common::win::UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, root));
    const ULONGLONG created = CreationTime(process.Get());
    if (created != 0)
        m_members.push_back({root, std::move(process), created});
}

void Descendants::Look()
{
    if (m_members.empty() || m_members.size() > kMostDescendants)
        return;
    const common::win::UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    std::vector<std::pair<DWORD, DWORD>> children; // id, parent: the processes whose parent is followed
    for (BOOL more = snapshot && Process32FirstW(snapshot.Get(), &entry); more;
         more = Process32NextW(snapshot.Get(), &entry))
        children.emplace_back(entry.th32ProcessID, entry.th32ParentProcessID);
    // A child may be listed before its parent: the list is gone through again while it gives more.
    for (bool grown = true; grown && m_members.size() <= kMostDescendants;)
    {
        grown = false;
        for (const auto &[id, parentId] : children)
        {
            const Member *parent = Find(parentId);
            if (parent == nullptr || Find(id) != nullptr)
                continue;
            const ULONGLONG parentCreated = parent->created;
            common::win::UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
            const ULONGLONG created = CreationTime(process.Get());
            // One made before its parent was started by an earlier process that had the parent's id.
            if (created == 0 || created < parentCreated)
                continue;
            m_members.push_back({id, std::move(process), created});
            grown = true;
        }
    }
}

bool Descendants::Contains(DWORD processId) const noexcept
{
    const Member *member = Find(processId);
    return member != nullptr && member != &m_members.front();
}

const Descendants::Member *Descendants::Find(DWORD processId) const noexcept
{
    for (const Member &member : m_members)
        if (member.id == processId)
            return &member;
    return nullptr;
}

} // namespace procwin
