#include "controller/win/OptionFile.h"

#include "common/win/Unique.h"

#include <windows.h>

#include <sddl.h>

namespace controller
{

namespace
{

// One lock for all of KV2's files: saves are rare and short. Everyone may take it, whatever their
// integrity level, so that an elevated KV2A and a normal KV2 exclude each other too.
constexpr wchar_t kSettingsLockName[] = L"Orvane.KV2.SettingsFiles";
constexpr wchar_t kSettingsLockSecurity[] = L"D:(A;;GA;;;WD)S:(ML;;NW;;;LW)";
// Longer than any save takes; after it the save goes ahead rather than being lost.
constexpr DWORD kLockWaitMilliseconds = 5000;
// Attempts at reading a held file, and the pause between them.
constexpr int kReadAttempts = 4;
constexpr DWORD kReadPauseMilliseconds = 100;

common::win::UniqueHandle CreateSettingsLock()
{
    SECURITY_ATTRIBUTES attributes{};
    attributes.nLength = sizeof(attributes);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (ConvertStringSecurityDescriptorToSecurityDescriptorW(kSettingsLockSecurity, SDDL_REVISION_1,
                                                             &descriptor, nullptr))
        attributes.lpSecurityDescriptor = descriptor;
    common::win::UniqueHandle mutex(CreateMutexW(&attributes, FALSE, kSettingsLockName));
    if (descriptor != nullptr)
        LocalFree(descriptor);
    if (!mutex)
        mutex.Reset(OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, kSettingsLockName));
    return mutex;
}

class SettingsLock
{
  public:
    SettingsLock() : m_mutex(CreateSettingsLock())
    {
        if (m_mutex)
        {
            const DWORD result = WaitForSingleObject(m_mutex.Get(), kLockWaitMilliseconds);
            // An instance that died holding the lock left it abandoned: it is ours now.
            m_held = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
        }
    }
    ~SettingsLock()
    {
        if (m_held)
            ReleaseMutex(m_mutex.Get());
    }
    SettingsLock(const SettingsLock &) = delete;
    SettingsLock &operator=(const SettingsLock &) = delete;

  private:
    common::win::UniqueHandle m_mutex;
    bool m_held = false;
};

common::IniDocument ReadIniFile(const std::u16string &path)
{
    common::win::StringList lines;
    common::win::LoadTextFile(lines, path, common::TextEncoding::Ansi);
    return common::IniDocument::Parse(common::JoinLines(lines));
}

} // namespace

common::IniDocument LoadIniFile(const std::u16string &path)
{
    for (int attempt = 1;; ++attempt)
    {
        try
        {
            return ReadIniFile(path);
        }
        catch (const common::win::FileHeldError &)
        {
            if (attempt == kReadAttempts)
                throw;
        }
        Sleep(kReadPauseMilliseconds);
    }
}

SaveResult UpdateIniFile(const std::u16string &path, const std::function<void(common::IniDocument &)> &change)
{
    const SettingsLock lock;
    common::IniDocument document;
    try
    {
        document = ReadIniFile(path);
    }
    catch (const common::win::FileHeldError &)
    {
        return SaveResult::Held;
    }
    change(document);
    return common::win::SaveTextFile(common::SplitLines(document.Serialize()), path,
                                     common::TextEncoding::Utf16Le);
}

} // namespace controller
