#include "common/Text.h"

#include "FakeFileSystem.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using namespace std::string_literals;
using testing_support::U;

namespace
{

// Replaces every run of U+FFFD by a single one, so that a test can say "this garbage became
// replacement characters" without fixing how many.
std::u16string CollapseReplacements(std::u16string_view text)
{
    std::u16string result;
    for (char16_t c : text)
        if (c != u'\uFFFD' || result.empty() || result.back() != u'\uFFFD')
            result.push_back(c);
    return result;
}

} // namespace

TEST(TextTrim, RemovesBlanksAndControlCharactersAtTheEndsOnly)
{
    struct Case
    {
        const char *name;
        std::u16string text;
        std::u16string trimmed;
        std::u16string trimmedRight;
    };
    const Case cases[] = {
        {"empty", u"", u"", u""},
        {"only blanks", u"  \t ", u"", u""},
        {"nothing to trim", u"a b", u"a b", u"a b"},
        {"blanks both sides", u"  a b  ", u"a b", u"  a b"},
        {"tabs and line breaks", u"\t\r\na\r\n\t", u"a", u"\t\r\na"},
        {"control characters and NUL", u"\x01\x1F"s + u'\0' + u"x\x7F" + u'\0', u"x\x7F",
         u"\x01\x1F"s + u'\0' + u"x\x7F"},
        {"ideographic space is not a blank", u"\u3000a\u3000", u"\u3000a\u3000", u"\u3000a\u3000"},
        {"no-break space is not a blank", u"\u00A0a", u"\u00A0a", u"\u00A0a"},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(common::Trim(c.text), c.trimmed);
        EXPECT_EQ(common::TrimRight(c.text), c.trimmedRight);
    }
}

TEST(TextCutAtNul, KeepsThePartBeforeTheFirstNul)
{
    struct Case
    {
        const char *name;
        std::u16string text;
        std::u16string cut;
        std::u16string cutTrimmed;
    };
    const Case cases[] = {
        {"no NUL", u"abc  ", u"abc  ", u"abc"},
        {"NUL after blanks", u"abc  "s + u'\0' + u"def", u"abc  ", u"abc"},
        {"two NULs", u"a"s + u'\0' + u"b" + u'\0', u"a", u"a"},
        {"NUL first", u"\0abc"s, u"", u""},
        {"leading blanks stay", u" \tab"s + u'\0', u" \tab", u" \tab"},
        {"empty", u"", u"", u""},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(common::CutAtNul(c.text), c.cut);
        EXPECT_EQ(common::CutAtNulTrimRight(c.text), c.cutTrimmed);
    }
}

TEST(TextCaseFolding, FoldsTheLettersOfTheSupportedScripts)
{
    struct Case
    {
        const char *name;
        char16_t upper;
        char16_t lower;
    };
    const Case pairs[] = {
        {"ASCII first", u'A', u'a'},
        {"ASCII last", u'Z', u'z'},
        {"Latin-1 A grave", u'\u00C0', u'\u00E0'},
        {"Latin-1 O diaeresis", u'\u00D6', u'\u00F6'},
        {"Latin-1 O stroke", u'\u00D8', u'\u00F8'},
        {"Latin-1 thorn", u'\u00DE', u'\u00FE'},
        {"Greek alpha", u'\u0391', u'\u03B1'},
        {"Greek sigma", u'\u03A3', u'\u03C3'},
        {"Greek upsilon dialytika", u'\u03AB', u'\u03CB'},
        {"Cyrillic A", u'\u0410', u'\u0430'},
        {"Cyrillic Ya", u'\u042F', u'\u044F'},
        {"Cyrillic Io", u'\u0401', u'\u0451'},
        {"Cyrillic Ie grave", u'\u0400', u'\u0450'},
        {"Cyrillic Dzhe", u'\u040F', u'\u045F'},
        {"full-width A", u'\uFF21', u'\uFF41'},
        {"full-width Z", u'\uFF3A', u'\uFF5A'},
    };
    for (const Case &c : pairs)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(common::ToLower(c.upper), c.lower);
        EXPECT_EQ(common::ToUpper(c.lower), c.upper);
        EXPECT_EQ(common::ToLower(c.lower), c.lower);
        EXPECT_EQ(common::ToUpper(c.upper), c.upper);
    }
}

TEST(TextCaseFolding, LeavesOtherCharactersAlone)
{
    const struct
    {
        const char *name;
        char16_t c;
    } unchanged[] = {
        {"at sign before A", u'@'},
        {"bracket after Z", u'['},
        {"backquote before a", u'`'},
        {"brace after z", u'{'},
        {"digit", u'5'},
        {"multiplication sign", u'\u00D7'},
        {"division sign", u'\u00F7'},
        {"sharp s", u'\u00DF'},
        {"y diaeresis", u'\u00FF'},
        {"Greek reserved code point", u'\u03A2'},
        {"Greek final sigma", u'\u03C2'},
        {"hiragana", u'\u3042'},
        {"kanji", u'\u6F22'},
        {"full-width digit", u'\uFF10'},
        {"high surrogate", u'\xD83D'},
        {"NUL", u'\0'},
    };
    for (const auto &c : unchanged)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(common::ToLower(c.c), c.c);
        EXPECT_EQ(common::ToUpper(c.c), c.c);
    }
}

TEST(TextCaseFolding, WholeTexts)
{
    EXPECT_EQ(common::ToLower(U("C:\\Program Files\\ÄÖÜ\\App.EXE")), U("c:\\program files\\äöü\\app.exe"));
    EXPECT_EQ(common::ToUpper(U("c:\\ключ\\ｋｖ２.kv2a")), U("C:\\КЛЮЧ\\ＫＶ２.KV2A"));
    EXPECT_EQ(common::ToLower(u""), u"");
}

TEST(TextEqualsNoCase, ComparesUnderLowerCaseFolding)
{
    struct Case
    {
        const char *name;
        std::u16string a;
        std::u16string b;
        bool equal;
    };
    const Case cases[] = {
        {"same", u"Window", u"Window", true},
        {"ASCII case", u"Tray Option", u"tRAY oPTION", true},
        {"Cyrillic case", U("Ключ"), U("КЛЮЧ"), true},
        {"full-width case", U("ＫＶ"), U("ｋｖ"), true},
        {"different length", u"Window", u"Windows", false},
        {"prefix only", u"Win", u"Window", false},
        {"different letter", u"Style", u"Stile", false},
        {"blank is significant", u"Style", u"Style ", false},
        {"both empty", u"", u"", true},
        {"letter and its neighbour after folding", u"[", u"{", false},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(common::EqualsNoCase(c.a, c.b), c.equal);
        EXPECT_EQ(common::EqualsNoCase(c.b, c.a), c.equal);
    }
}

TEST(TextStartsWith, ComparesExactly)
{
    EXPECT_TRUE(common::StartsWith(u"/e:C:\\a.exe", u"/e:"));
    EXPECT_TRUE(common::StartsWith(u"/e:", u"/e:"));
    EXPECT_TRUE(common::StartsWith(u"abc", u""));
    EXPECT_FALSE(common::StartsWith(u"/E:C:\\a.exe", u"/e:"));
    EXPECT_FALSE(common::StartsWith(u"/e", u"/e:"));
    EXPECT_FALSE(common::StartsWith(u" /e:", u"/e:"));
}

TEST(TextParseInt32, AcceptsOnlyASignedDecimalNumberThatFits)
{
    struct Case
    {
        const char *name;
        std::u16string text;
        std::optional<std::int32_t> value;
    };
    const Case cases[] = {
        {"zero", u"0", 0},
        {"positive", u"123", 123},
        {"negative", u"-5", -5},
        {"plus sign", u"+7", 7},
        {"leading zeros", u"007", 7},
        {"many leading zeros", u"000000000000000000042", 42},
        {"negative zero", u"-0", 0},
        {"largest", u"2147483647", 2147483647},
        {"smallest", u"-2147483648", INT32_MIN},
        {"one above largest", u"2147483648", std::nullopt},
        {"one below smallest", u"-2147483649", std::nullopt},
        {"far too large", u"99999999999999999999999", std::nullopt},
        {"empty", u"", std::nullopt},
        {"sign only", u"-", std::nullopt},
        {"plus only", u"+", std::nullopt},
        {"two signs", u"--1", std::nullopt},
        {"leading blank", u" 1", std::nullopt},
        {"trailing blank", u"1 ", std::nullopt},
        {"trailing letter", u"1a", std::nullopt},
        {"hexadecimal", u"0x10", std::nullopt},
        {"dollar hexadecimal", u"$10", std::nullopt},
        {"decimal point", u"1.0", std::nullopt},
        {"full-width digits", U("１２"), std::nullopt},
        {"word", u"abc", std::nullopt},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(common::ParseInt32(c.text), c.value);
    }
}

TEST(TextParseInt64, AcceptsTheFull64BitRange)
{
    struct Case
    {
        const char *name;
        std::u16string text;
        std::optional<std::int64_t> value;
    };
    const Case cases[] = {
        {"beyond 32 bits", u"4294967296", 4294967296LL},
        {"largest", u"9223372036854775807", INT64_MAX},
        {"smallest", u"-9223372036854775808", INT64_MIN},
        {"one above largest", u"9223372036854775808", std::nullopt},
        {"one below smallest", u"-9223372036854775809", std::nullopt},
        {"unsigned 64-bit overflow", u"18446744073709551616", std::nullopt},
        {"ten times largest", u"92233720368547758070", std::nullopt},
        {"not a number", u"12x", std::nullopt},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(common::ParseInt64(c.text), c.value);
    }
}

TEST(TextDecimal, WritesEveryValueAsParseInt64ReadsItBack)
{
    const std::pair<std::int64_t, std::u16string> cases[] = {
        {0, u"0"},
        {7, u"7"},
        {-12, u"-12"},
        {1920, u"1920"},
        {INT64_MAX, u"9223372036854775807"},
        {INT64_MIN, u"-9223372036854775808"},
    };
    for (const auto &[value, text] : cases)
    {
        EXPECT_EQ(common::DecimalText(value), text);
        EXPECT_EQ(common::ParseInt64(common::DecimalText(value)), value);
    }
    std::u16string appended = u"x=";
    common::AppendDecimal(appended, -5);
    common::AppendUnsignedDecimal(appended, UINT64_MAX);
    EXPECT_EQ(appended, u"x=-518446744073709551615");
}

TEST(TextToHandle, TakesTheLow32BitsOfA64BitNumber)
{
    struct Case
    {
        const char *name;
        std::u16string text;
        std::int32_t value;
    };
    const Case cases[] = {
        {"plain number", u"123", 123},
        {"empty", u"", 0},
        {"not a number", u"abc", 0},
        {"number with blank", u"123 ", 0},
        {"all 32 bits set", u"4294967295", -1},
        {"bit 32 only", u"4294967296", 0},
        {"above 32 bits", u"4294967297", 1},
        {"sign bit", u"2147483648", INT32_MIN},
        {"negative", u"-1", -1},
        {"negative beyond 32 bits", u"-4294967297", -1},
        {"largest 64-bit", u"9223372036854775807", -1},
        {"too large for 64 bits", u"9223372036854775808", 0},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(common::TextToHandle(c.text), c.value);
    }
}

TEST(TextUtf8ToUtf16, DecodesValidText)
{
    struct Case
    {
        const char *name;
        std::string utf8;
        std::u16string utf16;
    };
    const Case cases[] = {
        {"empty", "", u""},
        {"ASCII", "Name=C:\\a.exe", u"Name=C:\\a.exe"},
        {"NUL is kept", "a\0b"s, u"a\0b"s},
        {"two-byte", "caf\xC3\xA9", u"caf\u00E9"},
        {"three-byte", "\xE6\x97\xA5\xE6\x9C\xAC", u"\u65E5\u672C"},
        {"four-byte becomes a surrogate pair", "\xF0\x9F\x98\x80", u"\xD83D\xDE00"},
        {"highest code point", "\xF4\x8F\xBF\xBF", u"\xDBFF\xDFFF"},
        {"smallest two-byte", "\xC2\x80", u"\u0080"},
        {"smallest three-byte", "\xE0\xA0\x80", u"\u0800"},
        {"just below the surrogates", "\xED\x9F\xBF", u"\uD7FF"},
        {"just above the surrogates", "\xEE\x80\x80", u"\uE000"},
        {"byte-order mark is text here", "\xEF\xBB\xBF", u"\uFEFF"},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(common::Utf8ToUtf16(c.utf8), c.utf16);
    }
}

TEST(TextUtf8ToUtf16, ReplacesInvalidSequencesAndKeepsTheirNeighbours)
{
    struct Case
    {
        const char *name;
        std::string utf8;
        std::u16string collapsed; // the result with each run of U+FFFD collapsed into one
    };
    const Case cases[] = {
        {"lone continuation byte", "a\x80z", u"a\uFFFDz"},
        {"lead byte followed by ASCII", "a\xC3z", u"a\uFFFDz"},
        {"truncated at the end", "a\xE6\x97", u"a\uFFFD"},
        {"truncated before ASCII", "\xE6\x97z", u"\uFFFDz"},
        {"truncated before a valid character", "\xE6\x97\xC3\xA9", u"\uFFFD\u00E9"},
        {"overlong slash", "\xC0\xAFz", u"\uFFFDz"},
        {"overlong three-byte", "\xE0\x80\xAFz", u"\uFFFDz"},
        {"overlong four-byte", "\xF0\x80\x80\xAFz", u"\uFFFDz"},
        {"encoded high surrogate", "\xED\xA0\x80z", u"\uFFFDz"},
        {"encoded low surrogate", "\xED\xB0\x80z", u"\uFFFDz"},
        {"above U+10FFFF", "\xF4\x90\x80\x80z", u"\uFFFDz"},
        {"invalid lead F5", "\xF5\x80\x80\x80z", u"\uFFFDz"},
        {"byte FF", "\xFFz", u"\uFFFDz"},
        {"Latin-1 text", "caf\xE9 au lait", u"caf\uFFFD au lait"},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        const std::u16string decoded = common::Utf8ToUtf16(c.utf8);
        EXPECT_EQ(CollapseReplacements(decoded), c.collapsed);
        for (char16_t unit : decoded)
            EXPECT_FALSE(unit >= 0xD800 && unit <= 0xDFFF) << "no surrogate may come out of invalid input";
    }
}

TEST(TextUtf16ToUtf8, EncodesPairsAndReplacesUnpairedSurrogates)
{
    struct Case
    {
        const char *name;
        std::u16string utf16;
        std::string utf8;
    };
    const Case cases[] = {
        {"ASCII", u"abc", "abc"},
        {"NUL is kept", u"a\0b"s, "a\0b"s},
        {"two-byte", u"\u00E9", "\xC3\xA9"},
        {"three-byte", u"\u65E5", "\xE6\x97\xA5"},
        {"pair", u"\xD83D\xDE00", "\xF0\x9F\x98\x80"},
        {"highest pair", u"\xDBFF\xDFFF", "\xF4\x8F\xBF\xBF"},
        {"lone high surrogate", u"a\xD83Dz", "a\xEF\xBF\xBDz"},
        {"lone low surrogate", u"a\xDE00z", "a\xEF\xBF\xBDz"},
        {"high surrogate at the end", u"a\xD83D", "a\xEF\xBF\xBD"},
        {"pair in the wrong order", u"\xDE00\xD83D", "\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"two high surrogates then a low one", u"\xD83D\xD83D\xDE00", "\xEF\xBF\xBD\xF0\x9F\x98\x80"},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(common::Utf16ToUtf8(c.utf16), c.utf8);
    }
}

TEST(TextUtf8RoundTrip, EveryCodePointSurvives)
{
    std::u16string all;
    for (char32_t cp = 0; cp <= 0x10FFFF; ++cp)
    {
        if (cp >= 0xD800 && cp <= 0xDFFF)
            continue;
        if (cp < 0x10000)
        {
            all.push_back(static_cast<char16_t>(cp));
        }
        else
        {
            all.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
            all.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        }
    }
    EXPECT_TRUE(common::Utf8ToUtf16(common::Utf16ToUtf8(all)) == all);
}
