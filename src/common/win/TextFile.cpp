#include "common/win/TextFile.h"

#include "common/IniDocument.h"
#include "common/Text.h"
#include "common/win/FileSystem.h"
#include "common/win/Unique.h"
#include "common/win/WinError.h"
#include "common/win/WinText.h"

#include <atomic>

namespace common::win
{

std::u16string SystemAnsiCodePage::Decode(std::string_view bytes) const
{
    if (bytes.empty())
        return {};
    const int size = static_cast<int>(std::min<size_t>(bytes.size(), kTextFileSizeLimit));
    const int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
    std::wstring text(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, text.data(), length);
    return U(text);
}

namespace
{

// Every load and save leaves the program's folder current, so that no file handle search or later
// relative path depends on where a file happened to be.
struct ProgramFolderAfterwards
{
    ~ProgramFolderAfterwards()
    {
        const std::u16string folder = ProgramFolder();
        if (!folder.empty())
            SetCurrentDirectoryW(W(folder));
    }
};

std::string EncodeAnsi(std::u16string_view text)
{
    if (text.empty())
        return {};
    const std::wstring wide = Wide(text);
    const int size = static_cast<int>(wide.size());
    const int length = WideCharToMultiByte(CP_ACP, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), size, bytes.data(), length, nullptr, nullptr);
    return bytes;
}

// True when another process holds the file open so that it cannot be opened exclusively.
bool HeldByAnotherProcess(const std::u16string &fileName)
{
    if (!FileExistsReady(fileName))
        return false;
    UniqueFile probe(CreateFileW(W(fileName), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return !probe;
}

std::u16string TemporaryNameBeside(const std::u16string &fileName)
{
    static std::atomic<unsigned> counter{0};
    return fileName + u".~" + Utf8ToUtf16(std::to_string(GetCurrentProcessId())) + u"-" +
           Utf8ToUtf16(std::to_string(++counter)) + u".tmp";
}

void WriteAll(HANDLE file, const std::string &bytes)
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
    if (!FlushFileBuffers(file))
        throw WinError("FlushFileBuffers");
}

} // namespace

size_t LoadTextFile(StringList &lines, const std::u16string &fileName, TextEncoding encoding)
{
    ProgramFolderAfterwards restoreFolder;
    lines.clear();
    if (!FileExistsReady(fileName))
        return 0;
    const auto bytes = ReadFileCapped(fileName, kTextFileSizeLimit);
    if (!bytes)
        throw WinError("ReadFile");
    lines = SplitLines(DecodeText(*bytes, encoding, SystemAnsiCodePage()));
    return lines.size();
}

bool SaveTextFile(const StringList &lines, const std::u16string &fileName, TextEncoding encoding)
{
    ProgramFolderAfterwards restoreFolder;
    if (HeldByAnotherProcess(fileName))
        return false;
    // Replacing the file by a rename would get round its read-only attribute on some systems; a
    // read-only file is one the user does not want written.
    const DWORD attributes = GetFileAttributesW(W(fileName));
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
        throw WinError("SaveTextFile", ERROR_ACCESS_DENIED);
    const std::u16string text = JoinLines(lines);
    const std::string bytes = encoding == TextEncoding::Ansi ? EncodeAnsi(text) : EncodeText(text, encoding);

    const std::u16string temporary = TemporaryNameBeside(FullPath(fileName));
    {
        UniqueFile file(CreateFileW(W(temporary), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file)
            throw WinError("CreateFileW");
        try
        {
            WriteAll(file.Get(), bytes);
        }
        catch (...)
        {
            file.Reset();
            DeleteFileW(W(temporary));
            throw;
        }
    }
    if (!MoveFileExW(W(temporary), W(fileName), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    {
        const DWORD error = GetLastError();
        DeleteFileW(W(temporary));
        throw WinError("MoveFileExW", error);
    }
    return true;
}

} // namespace common::win
