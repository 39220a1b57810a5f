// Whole-file text load and save. Persistent files are replaced atomically: the new content is
// written to a temporary file beside the old one, flushed to disk and then swapped in (ReplaceFileW,
// which keeps the old file's security, attributes and streams), so that a crash leaves either the
// old or the new file, never a truncated one.
#pragma once

#include "common/TextEncoding.h"
#include "common/win/WinError.h"

#include <string>
#include <vector>

namespace common::win
{

using StringList = std::vector<std::u16string>;

// Text files KV2 reads are small; a larger file is refused rather than read.
constexpr size_t kTextFileSizeLimit = 8 * 1024 * 1024;

// The system's ANSI code page (MultiByteToWideChar with CP_ACP).
class SystemAnsiCodePage : public AnsiCodePage
{
  public:
    std::u16string Decode(std::string_view bytes) const override;
};

// The text in the system's ANSI code page (WideCharToMultiByte with CP_ACP; what it cannot show
// becomes its default character).
std::string EncodeAnsi(std::u16string_view text);

// Raised for a file that another program holds open so that it cannot be read (a sharing or lock
// violation): the file is fine and can be tried again in a moment.
class FileHeldError : public WinError
{
  public:
    using WinError::WinError;
};

// True for the error codes of a file held open by another program.
bool IsHeldError(DWORD code) noexcept;

// Replaces `lines` with the lines of the file. A byte-order mark decides the encoding; a file without
// one is read as `encoding`. A missing file gives an empty list. A file that exists but cannot be
// read, or is larger than kTextFileSizeLimit, raises WinError (FileHeldError when another program
// holds it), so that a caller never mistakes it for an empty file and overwrites it. Sets the current
// folder to the program's folder. Answers the number of lines read.
size_t LoadTextFile(StringList &lines, const std::u16string &fileName, TextEncoding encoding);

enum class SaveResult
{
    Saved, // the file holds the new content
    Held,  // another program held the file open; it was left as it was
};

// How far a save has gone when it returns: to the disk, for a file that must outlive a crash of the
// system; or to the system's cache, for a file that only has to outlive this program (the journal of
// windows KV2 changed: after a restart of the system there are no such windows), which saves the
// flush, tens of milliseconds on a spinning disk.
enum class Durability
{
    Disk,
    Cache,
};

// Writes the lines, each ended by CR LF, in `encoding` (with its byte-order mark), replacing the file
// atomically. A file that exists but is held open by another process is left alone and the answer
// is Held, within about 150 ms. A write that fails (read-only file, full disk, missing folder) raises
// WinError and leaves the old file as it was; no temporary file is left behind. Sets the current
// folder to the program's folder.
SaveResult SaveTextFile(const StringList &lines, const std::u16string &fileName, TextEncoding encoding,
                        Durability durability = Durability::Disk);

} // namespace common::win
