#include "controller/win/ErrorLog.h"

#include "common/Text.h"
#include "common/win/FileSystem.h"
#include "common/win/TextFile.h"
#include "common/win/Unique.h"
#include "common/win/WinText.h"
#include "controller/ErrorLogLine.h"
#include "procwin/win/AppExecute.h"

#include <windows.h>

#include <vector>

namespace controller
{

namespace
{

using common::win::W;

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// How often an append asks for the writers' lock, a millisecond apart, before it writes without it.
constexpr int kAppendLockAttempts = 200;

std::u16string FormatNow(const SYSTEMTIME &now, bool date)
{
    wchar_t text[128] = {};
    const int length = date ? GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, text, 128)
                            : GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &now, nullptr, text, 128);
    return length > 0 ? common::win::U(text) : std::u16string();
}

common::win::UniqueFile OpenForAppending(const std::u16string &path, DWORD extraAccess)
{
    // Read access as well: the writers' lock needs it.
    return common::win::UniqueFile(
        CreateFileW(W(path), FILE_APPEND_DATA | FILE_READ_DATA | SYNCHRONIZE | extraAccess, kShareAll,
                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// Renames the open log, when it is full, to the previous log's name. It is the open file that is
// renamed, so that two instances finding the same full log rename it once and never the new log
// the other one has just started.
bool RotatedWhenFull(HANDLE log, const std::u16string &path)
{
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(log, &size) || static_cast<unsigned long long>(size.QuadPart) < kErrorLogSizeLimit)
        return false;
    const std::u16string previous = common::win::FullPath(PreviousErrorLogPath(path));
    const size_t nameBytes = previous.size() * sizeof(wchar_t);
    std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + nameBytes);
    auto *rename = reinterpret_cast<FILE_RENAME_INFO *>(buffer.data());
    rename->ReplaceIfExists = TRUE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(nameBytes);
    std::copy(previous.begin(), previous.end(), reinterpret_cast<char16_t *>(rename->FileName));
    return SetFileInformationByHandle(log, FileRenameInfo, rename, static_cast<DWORD>(buffer.size())) !=
           FALSE;
}

void Append(const std::u16string &path, const std::string &line)
{
    common::win::UniqueFile log = OpenForAppending(path, DELETE);
    if (log && RotatedWhenFull(log.Get(), path))
        log = OpenForAppending(path, 0);
    if (!log)
        log = OpenForAppending(path, 0); // held by a reader that does not share deletion: no rotation now
    if (!log)
        return;
    // Appending is one step on Windows, but not on every system (Wine looks up the end first, so two
    // writers can land at the same place): the writers take turns by a lock far beyond any data, which
    // no reader meets. A lock still taken after a moment is not waited for longer than that.
    OVERLAPPED range{};
    range.Offset = 0xFFFFFFFE;
    range.OffsetHigh = 0x7FFFFFFF;
    bool locked = false;
    for (int attempt = 0; attempt < kAppendLockAttempts && !locked; ++attempt)
    {
        locked = LockFileEx(log.Get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                            &range) != FALSE;
        if (!locked)
            Sleep(1);
    }
    DWORD written = 0;
    WriteFile(log.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    if (locked)
        UnlockFileEx(log.Get(), 0, 1, 0, &range);
}

} // namespace

std::u16string PreviousErrorLogPath(const std::u16string &path)
{
    const size_t dot = path.find_last_of(u'.');
    const size_t slash = path.find_last_of(u"\\/");
    if (dot == std::u16string::npos || (slash != std::u16string::npos && dot < slash))
        return path + u".old";
    return path.substr(0, dot) + u".old" + path.substr(dot);
}

void AppendErrorLog(const std::u16string &path, const std::u16string &message) noexcept
{
    if (path.empty())
        return;
    try
    {
        SYSTEMTIME now{};
        GetLocalTime(&now);
        const bool midnight =
            now.wHour == 0 && now.wMinute == 0 && now.wSecond == 0 && now.wMilliseconds == 0;
        Append(path,
               common::win::EncodeAnsi(
                   ErrorLogLine(FormatNow(now, true), FormatNow(now, false), midnight, message) + u"\r\n"));
        const std::u16string folder = common::win::ProgramFolder();
        if (!folder.empty())
            SetCurrentDirectoryW(W(folder));
    }
    catch (...)
    {
        // The log is the last stop for errors: one that cannot be written is lost, never raised.
    }
}

std::u16string ErrorMessage(std::exception_ptr error)
{
    try
    {
        std::rethrow_exception(error);
    }
    catch (const procwin::LaunchError &launchError)
    {
        return launchError.Text();
    }
    catch (const std::exception &other)
    {
        return common::Utf8ToUtf16(other.what());
    }
    catch (...)
    {
        return {};
    }
}

} // namespace controller
