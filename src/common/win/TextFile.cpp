#include "common/win/TextFile.h"

#include "common/FileReplace.h"
#include "common/IniDocument.h"
#include "common/ScopeExit.h"
#include "common/Text.h"
#include "common/win/FileSystem.h"
#include "common/win/Unique.h"
#include "common/win/WinText.h"

#include <atomic>

namespace common::win
{

static_assert(file_error::kFileNotFound == ERROR_FILE_NOT_FOUND);
static_assert(file_error::kAccessDenied == ERROR_ACCESS_DENIED);
static_assert(file_error::kSharingViolation == ERROR_SHARING_VIOLATION);
static_assert(file_error::kLockViolation == ERROR_LOCK_VIOLATION);
static_assert(file_error::kFileExists == ERROR_FILE_EXISTS);
static_assert(file_error::kAlreadyExists == ERROR_ALREADY_EXISTS);
static_assert(file_error::kUnableToRemoveReplaced == ERROR_UNABLE_TO_REMOVE_REPLACED);
static_assert(file_error::kUnableToMoveReplacement == ERROR_UNABLE_TO_MOVE_REPLACEMENT);
static_assert(file_error::kUnableToMoveReplacement2 == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2);

std::u16string SystemAnsiCodePage::Decode(std::string_view bytes) const
{
    if (bytes.empty())
        return {};
    const int size = static_cast<int>(std::min<size_t>(bytes.size(), kTextFileSizeLimit));
    const int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
    std::u16string text(static_cast<size_t>(std::max(length, 0)), u'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, Writable(text), length);
    return text;
}

std::string EncodeAnsi(std::u16string_view text)
{
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int length = WideCharToMultiByte(CP_ACP, 0, Chars(text), size, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(std::max(length, 0)), '\0');
    WideCharToMultiByte(CP_ACP, 0, Chars(text), size, bytes.data(), length, nullptr, nullptr);
    return bytes;
}

bool IsHeldError(DWORD code) noexcept
{
    return code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION;
}

namespace
{

// Every load and save leaves the program's folder current, so that no file handle search or later
// relative path depends on where a file happened to be.
void MakeProgramFolderCurrent()
{
    const std::u16string folder = ProgramFolder();
    if (!folder.empty())
        SetCurrentDirectoryW(W(folder));
}

// True when another program holds the file open without allowing it to be deleted, which is when
// Windows refuses to rename over it (a reader that allows deleting, such as a search indexer, does not
// hold it). Asked before the replace because not every system refuses. Any other failure to open it is
// left to the replace, which reports it.
bool HeldByAnotherProcess(const std::u16string &fileName)
{
    if (!FileExistsReady(fileName))
        return false;
    UniqueFile probe(CreateFileW(W(fileName), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return !probe && IsHeldError(GetLastError());
}

// A name beside the file that no other save uses: this process's id and a counter.
std::u16string NameBeside(const std::u16string &fileName, std::u16string_view extension)
{
    static std::atomic<unsigned> counter{0};
    return fileName + u".~" + DecimalText(GetCurrentProcessId()) + u"-" + DecimalText(++counter) +
           std::u16string(extension);
}

void WriteAll(HANDLE file, const std::string &bytes, Durability durability)
{
    size_t done = 0;
    while (done < bytes.size())
    {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr))
            throw WinError("WriteFile");
        done += written;
    }
    if (durability == Durability::Disk && !FlushFileBuffers(file))
        throw WinError("FlushFileBuffers");
}

std::uint32_t Outcome(BOOL succeeded)
{
    return succeeded ? ERROR_SUCCESS : GetLastError();
}

class SystemFileOperations : public FileOperations
{
  public:
    std::uint32_t Replace(const std::u16string &replaced, const std::u16string &replacement,
                          const std::u16string &backup) override
    {
        // An attribute or security that cannot be merged (a file system without them) does not stop
        // the save.
        return Outcome(ReplaceFileW(W(replaced), W(replacement), W(backup), REPLACEFILE_IGNORE_MERGE_ERRORS,
                                    nullptr, nullptr));
    }
    std::uint32_t Move(const std::u16string &from, const std::u16string &to) override
    {
        return Outcome(MoveFileExW(W(from), W(to), MOVEFILE_WRITE_THROUGH));
    }
    std::uint32_t Delete(const std::u16string &path) override
    {
        return Outcome(DeleteFileW(W(path)));
    }
    void Pause(std::chrono::milliseconds duration) override
    {
        Sleep(static_cast<DWORD>(duration.count()));
    }
};

} // namespace

size_t LoadTextFile(StringList &lines, const std::u16string &fileName, TextEncoding encoding)
{
    const ScopeExit restoreFolder(MakeProgramFolderCurrent);
    lines.clear();
    if (!FileExistsReady(fileName))
        return 0;
    const auto bytes = ReadFileCapped(fileName, kTextFileSizeLimit);
    if (!bytes)
    {
        const DWORD error = GetLastError();
        if (IsHeldError(error))
            throw FileHeldError("ReadFile", error);
        throw WinError("ReadFile", error);
    }
    lines = SplitLines(DecodeText(*bytes, encoding, SystemAnsiCodePage()));
    return lines.size();
}

SaveResult SaveTextFile(const StringList &lines, const std::u16string &fileName, TextEncoding encoding,
                        Durability durability)
{
    const ScopeExit restoreFolder(MakeProgramFolderCurrent);
    if (HeldByAnotherProcess(fileName))
        return SaveResult::Held;
    // Replacing the file by a rename would get round its read-only attribute on some systems; a
    // read-only file is one the user does not want written.
    const DWORD attributes = GetFileAttributesW(W(fileName));
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
        throw WinError("SaveTextFile", ERROR_ACCESS_DENIED);
    const std::u16string text = JoinLines(lines);
    const std::string bytes = encoding == TextEncoding::Ansi ? EncodeAnsi(text) : EncodeText(text, encoding);

    const std::u16string target = FullPath(fileName);
    const std::u16string temporary = NameBeside(target, u".tmp");
    {
        UniqueFile file(
            CreateFileW(W(temporary), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file)
            throw WinError("CreateFileW");
        try
        {
            WriteAll(file.Get(), bytes, durability);
        }
        catch (...)
        {
            file.Reset();
            DeleteFileW(W(temporary));
            throw;
        }
    }
    SystemFileOperations files;
    const ReplaceResult result = ReplaceWithTemporary(files, target, temporary, NameBeside(target, u".bak"));
    switch (result.outcome)
    {
    case ReplaceResult::Outcome::Replaced:
        return SaveResult::Saved;
    case ReplaceResult::Outcome::Held:
        return SaveResult::Held;
    case ReplaceResult::Outcome::Failed:
        break;
    }
    throw WinError(result.operation, result.error);
}

} // namespace common::win
