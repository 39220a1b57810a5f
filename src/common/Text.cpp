#include "common/Text.h"

#include <iterator>
#include <limits>

namespace common
{

std::u16string_view Trim(std::u16string_view text) noexcept
{
    size_t begin = 0;
    while (begin < text.size() && IsBlankOrControl(text[begin]))
        ++begin;
    return TrimRight(text.substr(begin));
}

std::u16string_view TrimRight(std::u16string_view text) noexcept
{
    size_t end = text.size();
    while (end > 0 && IsBlankOrControl(text[end - 1]))
        --end;
    return text.substr(0, end);
}

std::u16string_view CutAtNul(std::u16string_view text) noexcept
{
    return text.substr(0, text.find(u'\0'));
}

std::u16string_view CutAtNulTrimRight(std::u16string_view text) noexcept
{
    return TrimRight(CutAtNul(text));
}

char16_t ToLower(char16_t c) noexcept
{
    if (c < 0x80)
        return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 0x20) : c;
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) ||   // Latin-1 capitals
        (c >= 0x391 && c <= 0x3AB && c != 0x3A2) || // Greek capitals
        (c >= 0x410 && c <= 0x42F))                 // Cyrillic capitals
        return static_cast<char16_t>(c + 0x20);
    if (c >= 0x400 && c <= 0x40F)
        return static_cast<char16_t>(c + 0x50);
    if (c >= 0xFF21 && c <= 0xFF3A) // full-width Latin capitals
        return static_cast<char16_t>(c + 0x20);
    return c;
}

char16_t ToUpper(char16_t c) noexcept
{
    if (c < 0x80)
        return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 0x20) : c;
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) ||
        (c >= 0x430 && c <= 0x44F))
        return static_cast<char16_t>(c - 0x20);
    if (c >= 0x450 && c <= 0x45F)
        return static_cast<char16_t>(c - 0x50);
    if (c >= 0xFF41 && c <= 0xFF5A)
        return static_cast<char16_t>(c - 0x20);
    return c;
}

std::u16string ToLower(std::u16string_view text)
{
    std::u16string result(text);
    for (char16_t &c : result)
        c = ToLower(c);
    return result;
}

std::u16string ToUpper(std::u16string_view text)
{
    std::u16string result(text);
    for (char16_t &c : result)
        c = ToUpper(c);
    return result;
}

bool EqualsNoCase(std::u16string_view a, std::u16string_view b) noexcept
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (ToLower(a[i]) != ToLower(b[i]))
            return false;
    return true;
}

namespace
{

// Decimal digits with an optional sign; the magnitude is limited to `limit` (for negative numbers
// one more than the positive limit is allowed).
std::optional<std::int64_t> ParseSigned(std::u16string_view text, std::uint64_t limit) noexcept
{
    bool negative = false;
    if (!text.empty() && (text[0] == u'-' || text[0] == u'+'))
    {
        negative = text[0] == u'-';
        text.remove_prefix(1);
    }
    if (text.empty())
        return std::nullopt;
    const std::uint64_t max = negative ? limit + 1 : limit;
    std::uint64_t value = 0;
    for (char16_t c : text)
    {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        const unsigned digit = c - u'0';
        if (value > (max - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    if (negative)
        return value == limit + 1 ? -static_cast<std::int64_t>(limit) - 1 : -static_cast<std::int64_t>(value);
    return static_cast<std::int64_t>(value);
}

} // namespace

void AppendUnsignedDecimal(std::u16string &text, std::uint64_t value)
{
    char16_t digits[20];
    char16_t *first = std::end(digits);
    do
    {
        *--first = static_cast<char16_t>(u'0' + value % 10);
        value /= 10;
    } while (value != 0);
    text.append(first, std::end(digits));
}

void AppendDecimal(std::u16string &text, std::int64_t value)
{
    if (value < 0)
        text += u'-';
    // The magnitude in unsigned arithmetic: the most negative value has no positive counterpart.
    AppendUnsignedDecimal(text, value < 0 ? 0 - static_cast<std::uint64_t>(value)
                                          : static_cast<std::uint64_t>(value));
}

std::optional<std::int32_t> ParseInt32(std::u16string_view text) noexcept
{
    const auto value = ParseSigned(text, std::numeric_limits<std::int32_t>::max());
    if (!value)
        return std::nullopt;
    return static_cast<std::int32_t>(*value);
}

std::optional<std::int64_t> ParseInt64(std::u16string_view text) noexcept
{
    return ParseSigned(text, std::numeric_limits<std::int64_t>::max());
}

std::int32_t TextToHandle(std::u16string_view text) noexcept
{
    const auto value = ParseInt64(text);
    if (!value)
        return 0;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(*value)));
}

std::u16string Utf8ToUtf16(std::string_view utf8)
{
    std::u16string out;
    out.reserve(utf8.size());
    size_t i = 0;
    const size_t n = utf8.size();
    while (i < n)
    {
        const unsigned char b0 = static_cast<unsigned char>(utf8[i]);
        if (b0 < 0x80)
        {
            out.push_back(b0);
            ++i;
            continue;
        }
        int length = 0;
        char32_t cp = 0;
        char32_t minimum = 0;
        if (b0 >= 0xC2 && b0 <= 0xDF)
            length = 2, cp = b0 & 0x1F, minimum = 0x80;
        else if (b0 >= 0xE0 && b0 <= 0xEF)
            length = 3, cp = b0 & 0x0F, minimum = 0x800;
        else if (b0 >= 0xF0 && b0 <= 0xF4)
            length = 4, cp = b0 & 0x07, minimum = 0x10000;
        int taken = 1;
        bool valid = length != 0;
        while (valid && taken < length)
        {
            if (i + taken >= n)
            {
                valid = false;
                break;
            }
            const unsigned char b = static_cast<unsigned char>(utf8[i + taken]);
            if ((b & 0xC0) != 0x80)
            {
                valid = false;
                break;
            }
            cp = (cp << 6) | (b & 0x3F);
            ++taken;
        }
        if (valid && (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)))
            valid = false;
        if (!valid)
        {
            out.push_back(u'\uFFFD');
            i += taken; // skip the lead byte and the continuation bytes that were consumed
            continue;
        }
        if (cp >= 0x10000)
        {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        }
        else
        {
            out.push_back(static_cast<char16_t>(cp));
        }
        i += length;
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16)
{
    std::string out;
    out.reserve(utf16.size());
    for (size_t i = 0; i < utf16.size(); ++i)
    {
        char32_t cp = utf16[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF)
        {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            ++i;
        }
        else if (cp >= 0xD800 && cp <= 0xDFFF)
        {
            cp = 0xFFFD;
        }
        if (cp < 0x80)
            out.push_back(static_cast<char>(cp));
        else if (cp < 0x800)
        {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
        else if (cp < 0x10000)
        {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
        else
        {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

} // namespace common
