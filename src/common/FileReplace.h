// The last step of an atomic save: swapping a fully written and flushed temporary file in for the
// file it replaces, over a small set of file operations so that every outcome the system can produce
// is handled the same way on every system.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace common
{

// The system error codes the replace step tells apart (Win32 values; the Win32 half checks them).
namespace file_error
{
constexpr std::uint32_t kNone = 0;
constexpr std::uint32_t kFileNotFound = 2;
constexpr std::uint32_t kAccessDenied = 5;
constexpr std::uint32_t kSharingViolation = 32;
constexpr std::uint32_t kLockViolation = 33;
constexpr std::uint32_t kFileExists = 80;
constexpr std::uint32_t kAlreadyExists = 183;
// The replaced file could not be removed: both files keep their names.
constexpr std::uint32_t kUnableToRemoveReplaced = 1175;
// The replacement could not be renamed: with a backup name both files keep their names.
constexpr std::uint32_t kUnableToMoveReplacement = 1176;
// The replacement could not be moved: the replaced file now lives under the backup name.
constexpr std::uint32_t kUnableToMoveReplacement2 = 1177;
} // namespace file_error

// The file operations the replace step needs; each answers 0 or the system's error code.
class FileOperations
{
  public:
    virtual ~FileOperations() = default;
    // Puts `replacement` in the place of the existing `replaced`, keeping the replaced file's
    // security, attributes and streams; the replaced file is moved to `backup` (ReplaceFileW).
    virtual std::uint32_t Replace(const std::u16string &replaced, const std::u16string &replacement,
                                  const std::u16string &backup) = 0;
    // Renames `from` to `to`, which must not exist (MoveFileExW without replacing, written through).
    virtual std::uint32_t Move(const std::u16string &from, const std::u16string &to) = 0;
    virtual std::uint32_t Delete(const std::u16string &path) = 0;
    // Waits before the next attempt.
    virtual void Pause(std::chrono::milliseconds duration) = 0;
};

// Attempts at a replace that meets a file held by another program, and the pause between them: the
// whole replace step gives up within about 150 ms, so that a caller can retry later without
// freezing.
constexpr int kReplaceAttempts = 4;
constexpr std::chrono::milliseconds kReplacePause{50};

struct ReplaceResult
{
    enum class Outcome
    {
        Replaced, // the file holds the new content
        Held,     // another program kept the file busy; it is unchanged
        Failed,   // `error` from `operation`; the file is unchanged (or, see `backupKept`)
    };
    Outcome outcome = Outcome::Failed;
    std::uint32_t error = file_error::kNone;
    const char *operation = "";
    // The old content could not be put back under its name and survives as the backup file.
    bool backupKept = false;
};

// Replaces `target` by `temporary` (complete and flushed), using `backup` as the name the old file
// passes through, which must not exist. A file that does not exist yet is created by renaming.
// A target held by another program is retried kReplaceAttempts times and then reported Held. On every
// outcome but Replaced the temporary file is removed and the old file is where it was: when the
// system left it under the backup name it is moved back; when even that fails it stays there and
// `backupKept` says so. A read-only or protected target (access denied) is never got round by a
// rename. On success the backup is removed.
ReplaceResult ReplaceWithTemporary(FileOperations &files, const std::u16string &target,
                                   const std::u16string &temporary, const std::u16string &backup);

// What a save leaves beside the file it replaces while it runs: "<file>.~<process id>-<counter>.tmp",
// the new content, and ".bak", the old file on its way out.
struct SaveLeftover
{
    std::uint32_t processId = 0;
    bool backup = false;
};

// The leftover of a save of the file named `fileName` that `name` names (both file names without a
// folder, compared ignoring case); nothing for any other name.
std::optional<SaveLeftover> ParseSaveLeftover(std::u16string_view name, std::u16string_view fileName);

} // namespace common
