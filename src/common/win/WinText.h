// The core keeps text as std::u16string; Win32 takes wchar_t, which is the same 16-bit unit on
// Windows. These helpers convert at the edge without copying where they can.
#pragma once

#include <string>
#include <string_view>

namespace common::win
{

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 text is UTF-16");

// A NUL-terminated wide string for a Win32 call. The text must outlive the call.
inline const wchar_t *W(const std::u16string &text) noexcept
{
    return reinterpret_cast<const wchar_t *>(text.c_str());
}

inline std::u16string U(const wchar_t *text)
{
    return text == nullptr ? std::u16string() : std::u16string(reinterpret_cast<const char16_t *>(text));
}

inline std::u16string U(const wchar_t *text, size_t length)
{
    return std::u16string(reinterpret_cast<const char16_t *>(text), length);
}

inline std::u16string U(std::wstring_view text)
{
    return U(text.data(), text.size());
}

// The characters of the text for a Win32 call that takes a length (the view need not end in a NUL).
inline const wchar_t *Chars(std::u16string_view text) noexcept
{
    return reinterpret_cast<const wchar_t *>(text.data());
}

// The text's own characters for a Win32 call that fills them or may change them.
inline wchar_t *Writable(std::u16string &text) noexcept
{
    return reinterpret_cast<wchar_t *>(text.data());
}

} // namespace common::win
