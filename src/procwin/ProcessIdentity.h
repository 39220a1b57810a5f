// Naming processes by their executable files.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace procwin
{

// A process named for good: ids are reused once a process has ended, its creation time is not.
struct ProcessIdentity
{
    std::uint32_t id = 0;
    std::uint64_t created = 0; // FILETIME of its creation; 0 when it could not be read
    bool operator==(const ProcessIdentity &) const = default;
};

// A drive and the device that holds it, as QueryDosDeviceW names it ("C:" and "\Device\HarddiskVolume2").
struct DriveDevice
{
    std::u16string drive;
    std::u16string device;
};

// Turns a device path ("\Device\HarddiskVolume2\Windows\notepad.exe") into drive-letter form
// ("C:\Windows\notepad.exe") with the first drive, in the order given, whose device name followed by
// a backslash begins the path (compared exactly). A path on no lettered drive is answered unchanged.
std::u16string DevicePathToDrivePath(std::u16string_view devicePath, const std::vector<DriveDevice> &drives);

// The file-name part of a path (after its last "\", "/" or ":").
std::u16string_view FileNameOf(std::u16string_view path) noexcept;

// True when two executables count as the same program: their file names are equal in lower case,
// whatever their folders.
bool IsSameProgram(std::u16string_view exePath, std::u16string_view programPath);

} // namespace procwin
