#include "common/TextEncoding.h"

#include "common/Error.h"
#include "common/Text.h"

namespace common
{

DetectedEncoding DetectEncoding(std::string_view bytes, TextEncoding fallback) noexcept
{
    if (bytes.starts_with("\xFF\xFE"))
        return {TextEncoding::Utf16Le, 2};
    if (bytes.starts_with("\xFE\xFF"))
        return {TextEncoding::Utf16Be, 2};
    if (bytes.starts_with("\xEF\xBB\xBF"))
        return {TextEncoding::Utf8, 3};
    return {fallback, 0};
}

namespace
{

std::u16string DecodeUtf16(std::string_view bytes, bool bigEndian)
{
    std::u16string text(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < text.size(); ++i)
    {
        const auto first = static_cast<unsigned char>(bytes[2 * i]);
        const auto second = static_cast<unsigned char>(bytes[2 * i + 1]);
        text[i] = bigEndian ? static_cast<char16_t>(first << 8 | second) : static_cast<char16_t>(second << 8 | first);
    }
    return text;
}

} // namespace

std::u16string DecodeText(std::string_view bytes, TextEncoding fallback, const AnsiCodePage &ansi)
{
    const DetectedEncoding detected = DetectEncoding(bytes, fallback);
    bytes.remove_prefix(detected.bomLength);
    switch (detected.encoding)
    {
    case TextEncoding::Utf16Le:
        return DecodeUtf16(bytes, false);
    case TextEncoding::Utf16Be:
        return DecodeUtf16(bytes, true);
    case TextEncoding::Utf8:
        return Utf8ToUtf16(bytes);
    case TextEncoding::Ansi:
        break;
    }
    return ansi.Decode(bytes);
}

std::string EncodeText(std::u16string_view text, TextEncoding encoding)
{
    std::string bytes;
    switch (encoding)
    {
    case TextEncoding::Utf8:
        return "\xEF\xBB\xBF" + Utf16ToUtf8(text);
    case TextEncoding::Utf16Le:
    case TextEncoding::Utf16Be: {
        const bool bigEndian = encoding == TextEncoding::Utf16Be;
        bytes.reserve(2 + text.size() * 2);
        bytes += bigEndian ? "\xFE\xFF" : "\xFF\xFE";
        for (char16_t c : text)
        {
            const char high = static_cast<char>(c >> 8);
            const char low = static_cast<char>(c & 0xFF);
            bytes.push_back(bigEndian ? high : low);
            bytes.push_back(bigEndian ? low : high);
        }
        return bytes;
    }
    case TextEncoding::Ansi:
        break;
    }
    throw Error("KV2 writes Unicode text only");
}

} // namespace common
