// Byte-order-mark detection and the encodings KV2 reads and writes.
#pragma once

#include <string>
#include <string_view>

namespace common
{

enum class TextEncoding
{
    Ansi,    // the system's ANSI code page, no byte-order mark
    Utf8,    // UTF-8 with a byte-order mark on writing
    Utf16Le, // UTF-16LE with a byte-order mark on writing
    Utf16Be, // UTF-16BE with a byte-order mark on writing
};

// Decodes text in the system's ANSI code page. The Win32 side uses MultiByteToWideChar(CP_ACP);
// tests use a fake.
class AnsiCodePage
{
  public:
    virtual ~AnsiCodePage() = default;
    virtual std::u16string Decode(std::string_view bytes) const = 0;
};

// The encoding announced by a byte-order mark at the start of bytes, and the mark's length; when
// there is none, `fallback` and 0.
struct DetectedEncoding
{
    TextEncoding encoding;
    size_t bomLength;
};
DetectedEncoding DetectEncoding(std::string_view bytes, TextEncoding fallback) noexcept;

// Decodes a whole file's bytes: a byte-order mark (UTF-16LE, UTF-16BE, UTF-8) wins, otherwise the
// bytes are read as `fallback`. Malformed input never fails: invalid UTF-8 becomes U+FFFD and an odd
// trailing byte of UTF-16 is dropped.
std::u16string DecodeText(std::string_view bytes, TextEncoding fallback, const AnsiCodePage &ansi);

// Encodes text with the byte-order mark of its encoding (none for ANSI, which is not produced here:
// KV2 writes only Unicode files).
std::string EncodeText(std::u16string_view text, TextEncoding encoding);

} // namespace common
