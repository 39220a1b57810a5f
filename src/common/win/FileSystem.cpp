#include "common/win/FileSystem.h"

#include "common/Text.h"
#include "common/win/Unique.h"
#include "common/win/WinText.h"

#include <vector>

namespace common::win
{

namespace
{

// Win32 stops reading a path at its first NUL, so a path holding one would name another file.
bool HasNul(const std::u16string &path) noexcept
{
    return path.find(u'\0') != std::u16string::npos;
}

DWORD Attributes(const std::u16string &path) noexcept
{
    if (path.empty() || HasNul(path))
        return INVALID_FILE_ATTRIBUTES;
    return GetFileAttributesW(W(path));
}

} // namespace

bool IsDriveReady(const std::u16string &path)
{
    if (path.empty())
        return false;
    const char16_t letter = ToUpper(path[0]);
    if (letter < u'A' || letter > u'Z')
        return letter == u'\\';
    const std::u16string root{letter, u':', u'\\'};
    const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS);
    ULARGE_INTEGER total{};
    const BOOL ready = GetDiskFreeSpaceExW(W(root), nullptr, &total, nullptr);
    SetErrorMode(previous);
    return ready != FALSE;
}

bool DirectoryExistsReady(const std::u16string &path)
{
    if (!IsDriveReady(path))
        return false;
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool FileExistsReady(const std::u16string &path)
{
    if (!IsDriveReady(path))
        return false;
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::optional<std::string> ReadFileCapped(const std::u16string &path, size_t limit)
{
    if (path.empty() || HasNul(path))
        return std::nullopt;
    UniqueFile file(CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return std::nullopt;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size))
        return std::nullopt;
    if (size.QuadPart < 0 || static_cast<unsigned long long>(size.QuadPart) > limit)
    {
        SetLastError(ERROR_FILE_TOO_LARGE);
        return std::nullopt;
    }
    std::string content(static_cast<size_t>(size.QuadPart), '\0');
    size_t done = 0;
    while (done < content.size())
    {
        DWORD read = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(content.size() - done, 1 << 20));
        if (!::ReadFile(file.Get(), content.data() + done, chunk, &read, nullptr))
            return std::nullopt;
        if (read == 0)
            break; // the file shrank while it was read
        done += read;
    }
    content.resize(done);
    return content;
}

std::u16string ProgramFolder()
{
    std::vector<wchar_t> buffer(MAX_PATH);
    while (true)
    {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return {};
        if (length < buffer.size())
        {
            std::u16string path = U(buffer.data(), length);
            return path.substr(0, path.find_last_of(u'\\'));
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::u16string FullPath(const std::u16string &path)
{
    if (path.empty() || HasNul(path))
        return path;
    const DWORD needed = GetFullPathNameW(W(path), 0, nullptr, nullptr);
    if (needed == 0)
        return path;
    std::vector<wchar_t> buffer(needed);
    const DWORD length = GetFullPathNameW(W(path), needed, buffer.data(), nullptr);
    if (length == 0 || length >= needed)
        return path;
    return U(buffer.data(), length);
}

std::u16string GetTrueCasePath(const std::u16string &path)
{
    std::u16string remaining = FullPath(path);
    std::u16string result;
    // Walk from the last component to the first; the loop ends at the drive part ("C:") or at the
    // start of a UNC path, which keep the spelling given.
    for (size_t slash = remaining.rfind(u'\\'); slash != std::u16string::npos && slash >= 2;
         slash = remaining.rfind(u'\\'))
    {
        std::u16string name = remaining.substr(slash + 1);
        WIN32_FIND_DATAW found;
        // A wildcard would make the search answer some other entry's name.
        const bool literal = !name.empty() && name.find_first_of(u"*?") == std::u16string::npos && !HasNul(remaining);
        UniqueFind search(literal ? FindFirstFileW(W(remaining), &found) : INVALID_HANDLE_VALUE);
        if (search)
            name = U(found.cFileName);
        result = u'\\' + name + result;
        remaining.erase(slash);
    }
    return remaining + result;
}

} // namespace common::win
