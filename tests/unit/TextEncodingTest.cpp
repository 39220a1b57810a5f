#include "common/TextEncoding.h"
#include "common/Error.h"

#include "FakeFileSystem.h"

#include <gtest/gtest.h>

#include <string>

using namespace std::string_literals;
using common::TextEncoding;
using testing_support::Latin1CodePage;

TEST(TextEncodingDetect, FindsTheByteOrderMarkOrFallsBack)
{
    struct Case
    {
        const char *name;
        std::string bytes;
        TextEncoding fallback;
        TextEncoding encoding;
        size_t bomLength;
    };
    const Case cases[] = {
        {"UTF-16LE", "\xFF\xFE[\0"s, TextEncoding::Ansi, TextEncoding::Utf16Le, 2},
        {"UTF-16BE", "\xFE\xFF\0["s, TextEncoding::Ansi, TextEncoding::Utf16Be, 2},
        {"UTF-8", "\xEF\xBB\xBF[", TextEncoding::Ansi, TextEncoding::Utf8, 3},
        {"UTF-16LE mark alone", "\xFF\xFE", TextEncoding::Ansi, TextEncoding::Utf16Le, 2},
        {"UTF-8 mark alone", "\xEF\xBB\xBF", TextEncoding::Ansi, TextEncoding::Utf8, 3},
        {"UTF-32LE mark reads as UTF-16LE", "\xFF\xFE\0\0"s, TextEncoding::Ansi, TextEncoding::Utf16Le, 2},
        {"mark wins over the fallback", "\xFF\xFE", TextEncoding::Utf8, TextEncoding::Utf16Le, 2},
        {"no mark", "[Program]", TextEncoding::Ansi, TextEncoding::Ansi, 0},
        {"no mark, other fallback", "[Program]", TextEncoding::Utf16Le, TextEncoding::Utf16Le, 0},
        {"empty", "", TextEncoding::Ansi, TextEncoding::Ansi, 0},
        {"first byte of UTF-16LE mark only", "\xFF", TextEncoding::Ansi, TextEncoding::Ansi, 0},
        {"first byte of UTF-16BE mark only", "\xFE", TextEncoding::Ansi, TextEncoding::Ansi, 0},
        {"two bytes of UTF-8 mark", "\xEF\xBB", TextEncoding::Ansi, TextEncoding::Ansi, 0},
        {"UTF-8 mark with a wrong third byte", "\xEF\xBB\xBE", TextEncoding::Ansi, TextEncoding::Ansi, 0},
        {"mark not at the start", " \xFF\xFE", TextEncoding::Ansi, TextEncoding::Ansi, 0},
        {"mark bytes swapped to UTF-16BE order", "\xFE\xFF", TextEncoding::Ansi, TextEncoding::Utf16Be, 2},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        const common::DetectedEncoding detected = common::DetectEncoding(c.bytes, c.fallback);
        EXPECT_EQ(detected.encoding, c.encoding);
        EXPECT_EQ(detected.bomLength, c.bomLength);
    }
}

TEST(TextEncodingDecode, ReadsEachEncodingAndDropsTheMark)
{
    struct Case
    {
        const char *name;
        std::string bytes;
        TextEncoding fallback;
        std::u16string text;
    };
    const Case cases[] = {
        {"UTF-16LE",
         "\xFF\xFE"
         "A\0\xE9\0=\0"s,
         TextEncoding::Ansi, u"A\u00E9="},
        {"UTF-16BE",
         "\xFE\xFF"
         "\0A\0\xE9\x65\xE5"s,
         TextEncoding::Ansi, u"A\u00E9\u65E5"},
        {"UTF-16LE kanji",
         "\xFF\xFE"
         "\xE5\x65\x2C\x67"s,
         TextEncoding::Ansi, u"\u65E5\u672C"},
        {"UTF-16LE surrogate pair",
         "\xFF\xFE"
         "\x3D\xD8\x00\xDE"s,
         TextEncoding::Ansi, u"\xD83D\xDE00"},
        {"UTF-16BE surrogate pair",
         "\xFE\xFF"
         "\xD8\x3D\xDE\x00"s,
         TextEncoding::Ansi, u"\xD83D\xDE00"},
        {"UTF-16LE unpaired surrogate kept",
         "\xFF\xFE"
         "\x3D\xD8"
         "a\0"s,
         TextEncoding::Ansi,
         u"\xD83D"
         u"a"},
        {"UTF-16LE NUL kept",
         "\xFF\xFE"
         "a\0\0\0b\0"s,
         TextEncoding::Ansi, u"a\0b"s},
        {"UTF-16LE mark only", "\xFF\xFE", TextEncoding::Ansi, u""},
        {"UTF-16LE odd trailing byte dropped",
         "\xFF\xFE"
         "A\0B"s,
         TextEncoding::Ansi, u"A"},
        {"UTF-16BE odd trailing byte dropped",
         "\xFE\xFF"
         "\0A\0"s,
         TextEncoding::Ansi, u"A"},
        {"UTF-16LE mark and one byte",
         "\xFF\xFE"
         "A",
         TextEncoding::Ansi, u""},
        {"UTF-16LE second mark is text", "\xFF\xFE\xFF\xFE", TextEncoding::Ansi, u"\uFEFF"},
        {"UTF-8",
         "\xEF\xBB\xBF"
         "caf\xC3\xA9",
         TextEncoding::Ansi, u"caf\u00E9"},
        {"UTF-8 four-byte",
         "\xEF\xBB\xBF"
         "\xF0\x9F\x98\x80",
         TextEncoding::Ansi, u"\xD83D\xDE00"},
        {"UTF-8 invalid byte",
         "\xEF\xBB\xBF"
         "a\xFFz",
         TextEncoding::Ansi, u"a\uFFFDz"},
        {"UTF-8 truncated at the end",
         "\xEF\xBB\xBF"
         "a\xE6\x97",
         TextEncoding::Ansi, u"a\uFFFD"},
        {"UTF-8 second mark is text",
         "\xEF\xBB\xBF\xEF\xBB\xBF"
         "a",
         TextEncoding::Ansi,
         u"\uFEFF"
         u"a"},
        {"UTF-8 mark only", "\xEF\xBB\xBF", TextEncoding::Ansi, u""},
        {"ANSI through the code page", "caf\xE9", TextEncoding::Ansi, u"caf\u00E9"},
        {"UTF-8 without mark is read as ANSI", "caf\xC3\xA9", TextEncoding::Ansi, u"caf\u00C3\u00A9"},
        {"UTF-16LE without mark is read as ANSI", "A\0"s, TextEncoding::Ansi, u"A\0"s},
        {"ANSI empty", "", TextEncoding::Ansi, u""},
        {"UTF-8 fallback", "caf\xC3\xA9", TextEncoding::Utf8, u"caf\u00E9"},
        {"UTF-16LE fallback", "A\0B\0"s, TextEncoding::Utf16Le, u"AB"},
        {"UTF-16BE fallback", "\0A\0B"s, TextEncoding::Utf16Be, u"AB"},
        {"mark wins over the UTF-8 fallback",
         "\xFF\xFE"
         "A\0"s,
         TextEncoding::Utf8, u"A"},
        {"UTF-16BE mark wins over the UTF-16LE fallback",
         "\xFE\xFF"
         "\0A"s,
         TextEncoding::Utf16Le, u"A"},
    };
    const Latin1CodePage ansi;
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(common::DecodeText(c.bytes, c.fallback, ansi), c.text);
    }
}

TEST(TextEncodingEncode, WritesTheMarkAndTheCodeUnits)
{
    struct Case
    {
        const char *name;
        std::u16string text;
        TextEncoding encoding;
        std::string bytes;
    };
    const Case cases[] = {
        {"UTF-16LE", u"[A]\r\n", TextEncoding::Utf16Le, "\xFF\xFE[\0A\0]\0\r\0\n\0"s},
        {"UTF-16LE kanji", u"\u65E5", TextEncoding::Utf16Le, "\xFF\xFE\xE5\x65"},
        {"UTF-16LE surrogate pair", u"\xD83D\xDE00", TextEncoding::Utf16Le, "\xFF\xFE\x3D\xD8\x00\xDE"s},
        {"UTF-16LE empty is the mark alone", u"", TextEncoding::Utf16Le, "\xFF\xFE"},
        {"UTF-16BE", u"A\u65E5", TextEncoding::Utf16Be, "\xFE\xFF\0A\x65\xE5"s},
        {"UTF-8", u"caf\u00E9", TextEncoding::Utf8,
         "\xEF\xBB\xBF"
         "caf\xC3\xA9"},
        {"UTF-8 empty is the mark alone", u"", TextEncoding::Utf8, "\xEF\xBB\xBF"},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(common::EncodeText(c.text, c.encoding), c.bytes);
    }
}

TEST(TextEncodingEncode, RefusesAnsi)
{
    EXPECT_THROW(common::EncodeText(u"abc", TextEncoding::Ansi), common::Error);
}

TEST(TextEncodingRoundTrip, DecodingWhatWasEncodedGivesTheText)
{
    const std::u16string texts[] = {
        u"",
        u"[Program]\r\nName=C:\\Program Files\\a.exe\r\n\r\n",
        u"\uFEFF"
        u"starts with a mark character",
        u"a\0b\r\n"s,
        u"\u65E5\u672C\xD83D\xDE00\uFFFF\u00FF\u0100",
    };
    const Latin1CodePage ansi;
    for (TextEncoding encoding : {TextEncoding::Utf16Le, TextEncoding::Utf16Be, TextEncoding::Utf8})
        for (const std::u16string &text : texts)
        {
            SCOPED_TRACE(static_cast<int>(encoding));
            // The fallback is never used: the mark decides.
            EXPECT_EQ(common::DecodeText(common::EncodeText(text, encoding), TextEncoding::Ansi, ansi), text);
        }
}
