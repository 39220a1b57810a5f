// What reading the task definition needs from the file system. The Win32 side answers with the
// drive-safe existence tests; tests use an in-memory fake.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace startup
{

// What a shell link (".lnk") starts.
struct ShellLinkTarget
{
    std::u16string Program; // its environment variables expanded
    std::u16string Arguments;
    std::u16string WorkDir; // expanded too; empty when the link names none
};

class FileProbe
{
  public:
    virtual ~FileProbe() = default;

    // True when the path's drive is ready and the path names an existing file (not a folder).
    virtual bool FileExists(std::u16string_view path) const = 0;

    // True when the path's drive is ready and the path names an existing folder.
    virtual bool DirectoryExists(std::u16string_view path) const = 0;

    // The whole content of a file of at most `limit` bytes. Empty when it cannot be read or is larger.
    virtual std::optional<std::string> ReadFile(std::u16string_view path, size_t limit) const = 0;

    // The path made absolute against the current folder at start-up (later loads and saves change the
    // current folder); the path itself when it cannot be made absolute.
    virtual std::u16string FullPath(std::u16string_view path) const = 0;

    // What the shell link at the path starts, read without asking the user or searching for a moved
    // target; nothing when the file is no link or its target is no file-system path (an installer's
    // advertised shortcut, a packaged app, a web address).
    virtual std::optional<ShellLinkTarget> ReadShellLink(std::u16string_view path) const = 0;
};

} // namespace startup
