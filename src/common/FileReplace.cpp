#include "common/FileReplace.h"

#include "common/Text.h"

namespace common
{

namespace
{

// Errors of a target that another program keeps busy: worth another try in a moment.
bool Busy(std::uint32_t error)
{
    return error == file_error::kSharingViolation || error == file_error::kLockViolation ||
           error == file_error::kUnableToRemoveReplaced;
}

} // namespace

ReplaceResult ReplaceWithTemporary(FileOperations &files, const std::u16string &target,
                                   const std::u16string &temporary, const std::u16string &backup)
{
    ReplaceResult result;
    for (int attempt = 1;; ++attempt)
    {
        result.operation = "ReplaceFileW";
        result.error = files.Replace(target, temporary, backup);
        if (result.error == file_error::kFileNotFound)
        {
            // Nothing to replace yet. A rename that finds the name taken means the file was created
            // meanwhile: it is never renamed over, the next attempt replaces it.
            result.operation = "MoveFileExW";
            result.error = files.Move(temporary, target);
            if (result.error == file_error::kAlreadyExists || result.error == file_error::kFileExists)
                result.error = file_error::kSharingViolation;
        }
        if (result.error == file_error::kNone)
        {
            files.Delete(backup);
            result.outcome = ReplaceResult::Outcome::Replaced;
            return result;
        }
        if (!Busy(result.error) || attempt == kReplaceAttempts)
            break;
        files.Pause(kReplacePause);
    }
    if (result.error == file_error::kUnableToMoveReplacement ||
        result.error == file_error::kUnableToMoveReplacement2)
    {
        // The old file may have been moved to the backup name without the new one taking its place:
        // put it back. Should that fail, it stays under the backup name rather than be lost.
        const std::uint32_t back = files.Move(backup, target);
        result.backupKept = back != file_error::kNone && back != file_error::kFileNotFound;
    }
    result.outcome = Busy(result.error) ? ReplaceResult::Outcome::Held : ReplaceResult::Outcome::Failed;
    files.Delete(temporary);
    return result;
}

std::optional<SaveLeftover> ParseSaveLeftover(std::u16string_view name, std::u16string_view fileName)
{
    const std::u16string_view tmp = u".tmp", bak = u".bak";
    if (name.size() < fileName.size() + 2 + 3 + 4 ||
        !EqualsNoCase(name.substr(0, fileName.size()), fileName) || name.substr(fileName.size(), 2) != u".~")
        return std::nullopt;
    std::u16string_view rest = name.substr(fileName.size() + 2);
    const std::u16string_view extension = rest.substr(rest.size() - 4);
    const bool backup = EqualsNoCase(extension, bak);
    if (!backup && !EqualsNoCase(extension, tmp))
        return std::nullopt;
    rest.remove_suffix(4);
    const size_t dash = rest.find(u'-');
    if (dash == std::u16string_view::npos || dash == 0 || dash + 1 == rest.size())
        return std::nullopt;
    std::uint64_t processId = 0;
    for (const char16_t c : rest.substr(0, dash))
        if (c < u'0' || c > u'9' ||
            (processId = processId * 10 + static_cast<unsigned>(c - u'0')) > UINT32_MAX)
            return std::nullopt;
    for (const char16_t c : rest.substr(dash + 1))
        if (c < u'0' || c > u'9')
            return std::nullopt;
    return SaveLeftover{static_cast<std::uint32_t>(processId), backup};
}

} // namespace common
