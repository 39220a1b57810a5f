// The task-definition reader's view of the real file system.
#pragma once

#include "startup/FileProbe.h"

namespace startup
{

class SystemFileProbe : public FileProbe
{
  public:
    bool FileExists(std::u16string_view path) const override;
    bool DirectoryExists(std::u16string_view path) const override;
    std::optional<std::string> ReadFile(std::u16string_view path, size_t limit) const override;
    std::u16string FullPath(std::u16string_view path) const override;
    std::optional<ShellLinkTarget> ReadShellLink(std::u16string_view path) const override;
};

} // namespace startup
