#include "startup/win/SystemFileProbe.h"

#include "common/win/FileSystem.h"

namespace startup
{

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
    return common::win::ReadFileCapped(std::u16string(path), limit);
}

std::u16string SystemFileProbe::FullPath(std::u16string_view path) const
{
    return path.empty() ? std::u16string() : common::win::FullPath(std::u16string(path));
}

} // namespace startup
