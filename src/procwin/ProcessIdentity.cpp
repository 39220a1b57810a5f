#include "procwin/ProcessIdentity.h"

#include "common/Text.h"

namespace procwin
{

std::u16string DevicePathToDrivePath(std::u16string_view devicePath, const std::vector<DriveDevice> &drives)
{
    for (const DriveDevice &drive : drives)
    {
        if (drive.device.empty())
            continue;
        // The backslash keeps HarddiskVolume1 from matching a path on HarddiskVolume10.
        const std::u16string prefix = drive.device + u'\\';
        if (common::StartsWith(devicePath, prefix))
            return drive.drive + std::u16string(devicePath.substr(drive.device.size()));
    }
    return std::u16string(devicePath);
}

std::u16string_view FileNameOf(std::u16string_view path) noexcept
{
    const size_t last = path.find_last_of(u"\\/:");
    return last == std::u16string_view::npos ? path : path.substr(last + 1);
}

bool IsSameProgram(std::u16string_view exePath, std::u16string_view programPath)
{
    return common::ToLower(FileNameOf(exePath)) == common::ToLower(FileNameOf(programPath));
}

} // namespace procwin
