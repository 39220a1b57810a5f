#include "startup/win/SystemFileProbe.h"

#include "common/win/FileSystem.h"
#include "common/win/TextFile.h"

namespace startup
{

namespace
{

constexpr int kHeldReadAttempts = 10;
constexpr DWORD kHeldReadPauseMilliseconds = 100;

} // namespace

bool SystemFileProbe::FileExists(std::u16string_view path) const
{
    return common::win::FileExistsReady(std::u16string(path));
}

bool SystemFileProbe::DirectoryExists(std::u16string_view path) const
{
    return common::win::DirectoryExistsReady(std::u16string(path));
}

std::optional<std::string> SystemFileProbe::ReadFile(std::u16string_view path, size_t limit) const
{
    // Another program (a virus scanner, an indexer, another KV2's save) may have the file open for a
    // moment: that is tried again briefly before the task counts as unreadable.
    for (int attempt = 1;; ++attempt)
    {
        std::optional<std::string> bytes = common::win::ReadFileCapped(std::u16string(path), limit);
        if (bytes || attempt == kHeldReadAttempts || !common::win::IsHeldError(GetLastError()))
            return bytes;
        Sleep(kHeldReadPauseMilliseconds);
    }
}

std::u16string SystemFileProbe::FullPath(std::u16string_view path) const
{
    return path.empty() ? std::u16string() : common::win::FullPath(std::u16string(path));
}

} // namespace startup
