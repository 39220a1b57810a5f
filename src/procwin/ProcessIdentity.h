// Naming processes by their executable files.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace procwin
{

// A process named for good: ids are reused once a process has ended, its creation time is not.
struct ProcessIdentity
{
    std::uint32_t id = 0;
    std::uint64_t created = 0; // FILETIME of its creation; 0 when it could not be read
    bool operator==(const ProcessIdentity &) const = default;
};

// Whether the path lies in a folder named "WindowsApps" (any case), where Windows keeps packaged
// programs: a program there cannot be started by its path.
bool IsPackagedProgramPath(std::u16string_view path);

// The file-name part of a path (after its last "\", "/" or ":").
std::u16string_view FileNameOf(std::u16string_view path) noexcept;

// True when two executables count as the same program: their file names are equal in lower case,
// whatever their folders.
bool IsSameProgram(std::u16string_view exePath, std::u16string_view programPath);

} // namespace procwin
