#include "common/win/IniFile.h"

#include "common/FileReplace.h"
#include "common/win/FileSystem.h"
#include "common/win/Unique.h"
#include "common/win/WinText.h"

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace common::win
{

namespace
{

// Longer than any save takes; a save that still finds the lock taken answers Held.
constexpr DWORD kLockWaitMilliseconds = 1000;
// How often a wait for the lock asks again (see SettingsLock).
constexpr DWORD kLockRetryMilliseconds = 25;
// Attempts at reading a held file, and the pause between them.
constexpr int kReadAttempts = 4;
constexpr DWORD kReadPauseMilliseconds = 100;

const std::u16string *g_lockFolder = nullptr; // named once by start-up

std::u16string LockFilePath(const std::u16string &path)
{
    if (g_lockFolder != nullptr && !g_lockFolder->empty())
        return *g_lockFolder + kSettingsLockFileName;
    const std::u16string full = FullPath(path);
    return full.substr(0, full.find_last_of(u'\\') + 1) + kSettingsLockFileName;
}

std::u16string SidText(PSID sid)
{
    wchar_t *text = nullptr;
    if (sid == nullptr || !ConvertSidToStringSidW(sid, &text))
        return {};
    const UniqueLocalMemory memory(text);
    return U(text);
}

// Full access for the user alone (no inherited entries), and a medium mandatory label that keeps
// lower integrity levels from reading, writing or executing it: LockFileEx needs no more than read
// access, which low integrity is otherwise granted on the user's files.
std::u16string LockFileSecurity()
{
    const std::u16string user = OwnUserSid();
    return user.empty() ? std::u16string() : u"D:P(A;;FA;;;" + user + u")S:(ML;;NRNWNX;;;ME)";
}

class SecurityDescriptor
{
  public:
    explicit SecurityDescriptor(const std::u16string &sddl)
    {
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (!sddl.empty() && ConvertStringSecurityDescriptorToSecurityDescriptorW(W(sddl), SDDL_REVISION_1,
                                                                                  &descriptor, nullptr))
            m_memory.Reset(descriptor);
    }

    PSECURITY_DESCRIPTOR Get() const noexcept
    {
        return m_memory.Get();
    }

    // Gives an existing file this descriptor's access list and label.
    void ApplyTo(HANDLE file) const noexcept
    {
        BOOL present = FALSE;
        BOOL defaulted = FALSE;
        PACL dacl = nullptr;
        PACL sacl = nullptr;
        if (!m_memory || !GetSecurityDescriptorDacl(Get(), &present, &dacl, &defaulted) ||
            !GetSecurityDescriptorSacl(Get(), &present, &sacl, &defaulted))
            return;
        SetSecurityInfo(file, SE_FILE_OBJECT,
                        DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION |
                            LABEL_SECURITY_INFORMATION,
                        nullptr, nullptr, dacl, sacl);
    }

  private:
    UniqueLocalMemory m_memory;
};

// Opens the lock file, creating it with its security when it is missing. A file that already exists
// was made by one of the user's medium processes, yet maybe not by KV2 (a restored backup, a copied
// data folder) and readable by low integrity: its access list and label are set again.
UniqueFile OpenLockFile(const std::u16string &path)
{
    const SecurityDescriptor security(LockFileSecurity());
    SECURITY_ATTRIBUTES attributes{};
    attributes.nLength = sizeof(attributes);
    attributes.lpSecurityDescriptor = security.Get();
    constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    UniqueFile file(CreateFileW(W(path), GENERIC_READ | WRITE_DAC | WRITE_OWNER, kShare,
                                             &attributes, OPEN_ALWAYS, FILE_FLAG_OVERLAPPED, nullptr));
    if (file && GetLastError() == ERROR_ALREADY_EXISTS)
        security.ApplyTo(file.Get());
    if (!file)
        file.Reset(CreateFileW(W(path), GENERIC_READ, kShare, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED,
                               nullptr));
    return file;
}

// The exclusive lock on the first byte of the lock file, waited for at most kLockWaitMilliseconds.
// The request stays queued with the system, so that it is granted the moment its holder lets go;
// Wine never grants a request that had to wait, so the wait also asks again every
// kLockRetryMilliseconds without waiting. A lock file that cannot be opened leaves the save unlocked,
// as it was before there was one, rather than lose it.
class SettingsLock
{
  public:
    explicit SettingsLock(const std::u16string &lockFile)
        : m_file(OpenLockFile(lockFile)), m_event(CreateEventW(nullptr, TRUE, FALSE, nullptr))
    {
        if (m_file && m_event)
            Acquire();
    }
    ~SettingsLock()
    {
        if (m_held)
        {
            OVERLAPPED range{};
            UnlockFileEx(m_file.Get(), 0, 1, 0, &range);
        }
    }
    SettingsLock(const SettingsLock &) = delete;
    SettingsLock &operator=(const SettingsLock &) = delete;

    // Another save kept the lock for the whole wait.
    bool Busy() const noexcept
    {
        return m_busy;
    }
    // Taken (not so when the lock file cannot be opened, or is busy).
    bool Held() const noexcept
    {
        return m_held;
    }

  private:
    void Acquire()
    {
        m_request.hEvent = m_event.Get();
        m_request.Internal = STATUS_PENDING; // Wine leaves a waiting request's status untouched
        if (LockFileEx(m_file.Get(), LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &m_request))
        {
            m_held = true;
            return;
        }
        if (GetLastError() != ERROR_IO_PENDING)
            return;
        const ULONGLONG deadline = GetTickCount64() + kLockWaitMilliseconds;
        while (true)
        {
            const ULONGLONG now = GetTickCount64();
            const DWORD slice =
                now >= deadline
                    ? 0
                    : static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, kLockRetryMilliseconds));
            if (WaitForSingleObject(m_event.Get(), slice) == WAIT_OBJECT_0)
            {
                DWORD unused = 0;
                m_held = GetOverlappedResult(m_file.Get(), &m_request, &unused, FALSE) != FALSE;
                return;
            }
            OVERLAPPED again{};
            if (LockFileEx(m_file.Get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                           &again))
            {
                m_held = true;
                CancelRequest();
                return;
            }
            if (now >= deadline)
            {
                m_held = CancelRequest();
                m_busy = !m_held;
                return;
            }
        }
    }

    // Withdraws the queued request; true when it was granted after all.
    bool CancelRequest() noexcept
    {
        DWORD unused = 0;
        if (CancelIoEx(m_file.Get(), &m_request))
            return GetOverlappedResult(m_file.Get(), &m_request, &unused, TRUE) != FALSE;
        // Nothing to withdraw: it was granted a moment ago, or (Wine) never queued.
        return WaitForSingleObject(m_event.Get(), 0) == WAIT_OBJECT_0 &&
               GetOverlappedResult(m_file.Get(), &m_request, &unused, FALSE) != FALSE;
    }

    UniqueFile m_file;
    UniqueHandle m_event;
    OVERLAPPED m_request{};
    bool m_held = false;
    bool m_busy = false;
};

bool ProcessRunning(DWORD processId) noexcept
{
    const UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, processId));
    if (!process)
        return GetLastError() == ERROR_ACCESS_DENIED; // there, but another user's or protected
    return WaitForSingleObject(process.Get(), 0) == WAIT_TIMEOUT;
}

// For the holder of the save lock, so that no save is under way: what saves of processes no longer
// running left beside the file (a full path) is cleared away, and when the file itself is missing, the
// old file such a save had moved to its backup name is put back (a save cut off between its renames).
void TidyAfterDeadSaves(const std::u16string &path)
{
    const size_t slash = path.find_last_of(u'\\') + 1;
    WIN32_FIND_DATAW found{};
    const UniqueFind search(FindFirstFileW(W(path + u".~*"), &found));
    for (BOOL more = !!search; more; more = FindNextFileW(search.Get(), &found))
    {
        const std::u16string_view name(reinterpret_cast<const char16_t *>(found.cFileName));
        const std::optional<SaveLeftover> leftover =
            ParseSaveLeftover(name, std::u16string_view(path).substr(slash));
        if (!leftover || ProcessRunning(leftover->processId))
            continue;
        const std::u16string leftoverPath = path.substr(0, slash).append(name);
        // Without replacing: a file that is there is never overwritten by an older one.
        if (!leftover->backup || !MoveFileExW(W(leftoverPath), W(path), MOVEFILE_WRITE_THROUGH))
            DeleteFileW(W(leftoverPath));
    }
}

common::IniDocument ReadIniFile(const std::u16string &path)
{
    StringList lines;
    LoadTextFile(lines, path, common::TextEncoding::Ansi);
    return common::IniDocument::Parse(common::JoinLines(lines));
}

} // namespace

std::u16string OwnUserSid()
{
    UniqueHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Put()))
        return {};
    DWORD size = 0;
    GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> buffer(size);
    if (size == 0 || !GetTokenInformation(token.Get(), TokenUser, buffer.data(), size, &size))
        return {};
    return SidText(reinterpret_cast<TOKEN_USER *>(buffer.data())->User.Sid);
}

std::optional<FileSecurity> ReadFileSecurity(const std::u16string &path)
{
    PSID owner = nullptr;
    PACL sacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(W(path), SE_FILE_OBJECT,
                              OWNER_SECURITY_INFORMATION | LABEL_SECURITY_INFORMATION, &owner, nullptr,
                              nullptr, &sacl, &descriptor) != ERROR_SUCCESS)
        return std::nullopt;
    const UniqueLocalMemory memory(descriptor);
    FileSecurity security;
    security.ownerSid = SidText(owner);
    // Asked for the label alone, the system list holds the label's entry only.
    void *ace = nullptr;
    if (sacl != nullptr && GetAce(sacl, 0, &ace) &&
        static_cast<ACE_HEADER *>(ace)->AceType == SYSTEM_MANDATORY_LABEL_ACE_TYPE)
    {
        auto *label = static_cast<SYSTEM_MANDATORY_LABEL_ACE *>(ace);
        const PSID level = &label->SidStart;
        if (IsValidSid(level) && *GetSidSubAuthorityCount(level) > 0)
        {
            security.labelLevel = *GetSidSubAuthority(level, *GetSidSubAuthorityCount(level) - 1);
            security.labelPolicy = label->Mask;
        }
    }
    return security;
}

bool SetFileOwnerAndLabel(const std::u16string &path, const std::u16string &sddl)
{
    const SecurityDescriptor security(sddl);
    PSID owner = nullptr;
    PACL sacl = nullptr;
    BOOL present = FALSE, defaulted = FALSE;
    if (!security.Get() || !GetSecurityDescriptorOwner(security.Get(), &owner, &defaulted) ||
        !GetSecurityDescriptorSacl(security.Get(), &present, &sacl, &defaulted))
        return false;
    return SetNamedSecurityInfoW(const_cast<wchar_t *>(W(path)), SE_FILE_OBJECT,
                                 OWNER_SECURITY_INFORMATION | LABEL_SECURITY_INFORMATION, owner, nullptr,
                                 nullptr, sacl) == ERROR_SUCCESS;
}

void SetSettingsLockFolder(const std::u16string &folder) noexcept
{
    g_lockFolder = &folder;
}

void AwaitInterruptedSave(const std::u16string &path)
{
    if (FileExistsReady(path))
        return;
    WIN32_FIND_DATAW found{};
    if (!UniqueFind(FindFirstFileW(W(path + u".~*.bak"), &found)))
        return;
    const SettingsLock lock(LockFilePath(path));
    if (lock.Held())
        TidyAfterDeadSaves(path);
}

common::IniDocument LoadIniFile(const std::u16string &path)
{
    AwaitInterruptedSave(path);
    for (int attempt = 1;; ++attempt)
    {
        try
        {
            return ReadIniFile(path);
        }
        catch (const FileHeldError &)
        {
            if (attempt == kReadAttempts)
                throw;
        }
        Sleep(kReadPauseMilliseconds);
    }
}

SaveResult UpdateIniFile(const std::u16string &path, const std::function<void(common::IniDocument &)> &change,
                         Durability durability)
{
    const SettingsLock lock(LockFilePath(path));
    if (lock.Busy())
        return SaveResult::Held;
    if (lock.Held())
        TidyAfterDeadSaves(path);
    common::IniDocument document;
    try
    {
        document = ReadIniFile(path);
    }
    catch (const FileHeldError &)
    {
        return SaveResult::Held;
    }
    const std::u16string before = document.Serialize();
    change(document);
    std::u16string after = document.Serialize();
    if (after == before)
        return SaveResult::Saved; // nothing to write: the file (or its absence) already says it
    return SaveTextFile(common::SplitLines(after), path, common::TextEncoding::Utf16Le, durability);
}

} // namespace common::win
