// Whole-file text load and save. Persistent files are replaced atomically: the new content is
// written to a temporary file beside the old one, flushed to disk and then moved over it, so that a
// crash leaves either the old or the new file, never a truncated one.
#pragma once

#include "common/TextEncoding.h"

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

// Replaces `lines` with the lines of the file. A byte-order mark decides the encoding; a file without
// one is read as `encoding`. A missing file gives an empty list. A file that exists but cannot be
// read, or is larger than kTextFileSizeLimit, raises WinError, so that a caller never mistakes it
// for an empty file and overwrites it. Sets the current folder to the program's folder. Answers the
// number of lines read.
size_t LoadTextFile(StringList &lines, const std::u16string &fileName, TextEncoding encoding);

// Writes the lines, each ended by CR LF, in `encoding` (with its byte-order mark), replacing the file
// atomically. A file that exists but is held open by another process is left alone and the answer
// is false. A write that fails (read-only file, full disk, missing folder) raises WinError and leaves
// the old file as it was. Sets the current folder to the program's folder.
bool SaveTextFile(const StringList &lines, const std::u16string &fileName, TextEncoding encoding);

} // namespace common::win
