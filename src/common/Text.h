// Portable text helpers. The core keeps all text as UTF-16 code units in std::u16string, which is
// what Win32 uses; the win/ code converts at the edge without copying.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace common
{

// True for the characters that Delphi-style Trim removes: blanks and control characters (<= U+0020).
constexpr bool IsBlankOrControl(char16_t c) noexcept
{
    return c <= u' ';
}

// The text without leading and trailing blanks and control characters.
std::u16string_view Trim(std::u16string_view text) noexcept;

// The text without trailing blanks and control characters.
std::u16string_view TrimRight(std::u16string_view text) noexcept;

// The part of the text before its first NUL character (all of it when there is none).
std::u16string_view CutAtNul(std::u16string_view text) noexcept;

// CutAtNul, then trailing blanks and control characters removed.
std::u16string_view CutAtNulTrimRight(std::u16string_view text) noexcept;

// Lower-case form used for comparing names and paths: ASCII, Latin-1, Greek, Cyrillic and full-width
// Latin letters are folded. Other characters are unchanged.
char16_t ToLower(char16_t c) noexcept;
std::u16string ToLower(std::u16string_view text);
char16_t ToUpper(char16_t c) noexcept;
std::u16string ToUpper(std::u16string_view text);

// Case-insensitive equality under ToLower.
bool EqualsNoCase(std::u16string_view a, std::u16string_view b) noexcept;

// True when text begins with prefix, compared exactly.
constexpr bool StartsWith(std::u16string_view text, std::u16string_view prefix) noexcept
{
    return text.substr(0, prefix.size()) == prefix;
}

// A decimal integer with an optional sign and nothing else (no blanks). Empty when the text is not
// such a number or does not fit in 32 bits.
std::optional<std::int32_t> ParseInt32(std::u16string_view text) noexcept;

// Like ParseInt32, but for 64-bit values.
std::optional<std::int64_t> ParseInt64(std::u16string_view text) noexcept;

// The decimal text of a number ("-12", "0"), and the same appended to `text`, also for the whole
// unsigned range.
void AppendDecimal(std::u16string &text, std::int64_t value);
void AppendUnsignedDecimal(std::u16string &text, std::uint64_t value);
inline std::u16string DecimalText(std::int64_t value)
{
    std::u16string text;
    AppendDecimal(text, value);
    return text;
}

// A window handle or process id written as text: a signed 64-bit decimal number whose low 32 bits
// are the answer. Empty text or text that is not a number gives 0.
std::int32_t TextToHandle(std::u16string_view text) noexcept;

// UTF-16 from UTF-8; invalid sequences become U+FFFD. Used for tests, tools and file decoding.
std::u16string Utf8ToUtf16(std::string_view utf8);

// UTF-8 from UTF-16; unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view utf16);

} // namespace common
