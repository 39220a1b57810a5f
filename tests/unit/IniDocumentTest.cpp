#include "common/IniDocument.h"

#include "FakeFileSystem.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

using namespace std::string_literals;
using common::IniDocument;
using testing_support::U;

namespace
{

std::optional<std::u16string> Lookup(const IniDocument &document, std::u16string_view section,
                                     std::u16string_view key)
{
    const std::u16string *value = document.Find(section, key);
    return value != nullptr ? std::optional(*value) : std::nullopt;
}

} // namespace

TEST(IniSplitLines, BreaksAtCrLfLfAndCr)
{
    struct Case
    {
        const char *name;
        std::u16string text;
        std::vector<std::u16string> lines;
    };
    const Case cases[] = {
        {"empty", u"", {}},
        {"one line without break", u"a", {u"a"}},
        {"CR LF", u"a\r\nb\r\nc", {u"a", u"b", u"c"}},
        {"LF", u"a\nb", {u"a", u"b"}},
        {"CR", u"a\rb", {u"a", u"b"}},
        {"mixed", u"a\r\nb\nc\rd", {u"a", u"b", u"c", u"d"}},
        {"final break starts no line", u"a\r\n", {u"a"}},
        {"final empty line", u"a\r\n\r\n", {u"a", u""}},
        {"only a break", u"\n", {u""}},
        {"LF CR is two breaks", u"a\n\rb", {u"a", u"", u"b"}},
        {"CR CR LF is two breaks", u"a\r\r\nb", {u"a", u"", u"b"}},
        {"blank lines kept", u"\r\n \r\nx", {u"", u" ", u"x"}},
        {"NUL is not a break", u"a\0b\nc"s, {u"a\0b"s, u"c"}},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(common::SplitLines(c.text), c.lines);
    }
}

TEST(IniJoinLines, EndsEveryLineWithCrLf)
{
    EXPECT_EQ(common::JoinLines({u"a", u"", u"b"}), u"a\r\n\r\nb\r\n");
    EXPECT_EQ(common::JoinLines({}), u"");
    EXPECT_EQ(common::SplitLines(common::JoinLines({u"a", u"", u"b"})),
              (std::vector<std::u16string>{u"a", u"", u"b"}));
}

TEST(IniParse, ReadsValuesAsTheDialectDefines)
{
    struct Case
    {
        const char *name;
        std::u16string text;
        std::u16string section;
        std::u16string key;
        std::optional<std::u16string> value; // nullopt: the key is absent
    };
    const Case cases[] = {
        // Blanks and control characters around lines, names and values.
        {"plain", u"[Window]\r\nStyle=max\r\n", u"Window", u"Style", u"max"},
        {"blanks around the line", u"  [Window]  \r\n  Style=max  \r\n", u"Window", u"Style", u"max"},
        {"blanks around the equals sign", u"[Window]\r\nStyle  =  max\r\n", u"Window", u"Style", u"max"},
        {"tabs around the equals sign", u"[Window]\r\n\tStyle\t=\tmax\t\r\n", u"Window", u"Style", u"max"},
        {"blanks inside the brackets", u"[  Window  ]\r\nStyle=max", u"Window", u"Style", u"max"},
        {"blanks inside a key are kept", u"[Tray Option]\r\nWheel Key = 5", u"Tray Option", u"Wheel Key",
         u"5"},
        {"blanks inside a value are kept", u"[Program]\r\nOption= -a  -b ", u"Program", u"Option", u"-a  -b"},
        {"ideographic space is not trimmed", U("[P]\r\nOption=\u3000x\u3000"), u"P", u"Option",
         U("\u3000x\u3000")},
        // Comments.
        {"comment line skipped", u"[Window]\r\n;Style=min\r\nStyle=max", u"Window", u"Style", u"max"},
        {"indented comment skipped", u"[Window]\r\n   ; Style=min\r\nStyle=max", u"Window", u"Style", u"max"},
        {"semicolon inside a value is literal", u"[Program]\r\nOption=a;b ; c", u"Program", u"Option",
         u"a;b ; c"},
        {"hash is no comment", u"[Window]\r\n#Style=min", u"Window", u"#Style", u"min"},
        {"commented section header opens no section", u"[A]\r\n;[B]\r\nk=1", u"A", u"k", u"1"},
        // First occurrence wins.
        {"first key wins", u"[Window]\r\nStyle=min\r\nStyle=max", u"Window", u"Style", u"min"},
        {"first key wins across case", u"[Window]\r\nstyle=min\r\nSTYLE=max", u"Window", u"Style", u"min"},
        {"first section wins", u"[Window]\r\nStyle=min\r\n[Window]\r\nStyle=max", u"Window", u"Style",
         u"min"},
        {"keys of a repeated section are not seen", u"[Window]\r\nStyle=min\r\n[window]\r\nPriority=HIGH",
         u"Window", u"Priority", std::nullopt},
        {"empty first key still wins", u"[Program]\r\nOption=\r\nOption=-x", u"Program", u"Option", u""},
        // Names compare without regard to case.
        {"section case", u"[WINDOW]\r\nStyle=max", u"window", u"Style", u"max"},
        {"key case", u"[Window]\r\nsTyLe=max", u"Window", u"STYLE", u"max"},
        {"Cyrillic names", U("[Окно]\r\nСтиль=max"), U("ОКНО"), U("стиль"), u"max"},
        {"value case is kept", u"[Window]\r\nStyle=Max", u"Window", u"Style", u"Max"},
        // Values are literal.
        {"quotes are kept", u"[Program]\r\nName=\"C:\\Program Files\\a.exe\"", u"Program", u"Name",
         u"\"C:\\Program Files\\a.exe\""},
        {"single quotes are kept", u"[Program]\r\nOption='x'", u"Program", u"Option", u"'x'"},
        {"backslashes are not escapes", u"[Program]\r\nOption=a\\nb\\\"", u"Program", u"Option",
         u"a\\nb\\\""},
        {"equals sign inside the value", u"[Program]\r\nOption=/a=b=c", u"Program", u"Option", u"/a=b=c"},
        {"value starting with an equals sign", u"[Program]\r\nOption==x", u"Program", u"Option", u"=x"},
        {"present but empty", u"[Program]\r\nOption=", u"Program", u"Option", u""},
        {"present but blank", u"[Program]\r\nOption=   ", u"Program", u"Option", u""},
        {"brackets inside a value", u"[Program]\r\nOption=[x]", u"Program", u"Option", u"[x]"},
        {"NUL inside a value", u"[Program]\r\nOption=a\0b"s, u"Program", u"Option", u"a\0b"s},
        {"Japanese value", U("[HotKey]\r\nShow=Ctrl+変換"), u"HotKey", u"Show", U("Ctrl+変換")},
        // Lines that are not key lines.
        {"line without equals sign is no key", u"[Program]\r\nName\r\nOption=x", u"Program", u"Name",
         std::nullopt},
        {"line without equals sign does not hide the next key", u"[Program]\r\nName\r\nName=a.exe",
         u"Program", u"Name", u"a.exe"},
        {"line before the first section is dropped", u"Style=min\r\n[Window]\r\nStyle=max", u"Window",
         u"Style", u"max"},
        {"key before any section belongs to none", u"Style=min\r\n[Other]\r\n", u"Window", u"Style",
         std::nullopt},
        {"unclosed bracket is a key line", u"[A]\r\n[B\r\nk=1", u"A", u"k", u"1"},
        {"unclosed bracket opens no section", u"[A]\r\n[B\r\nk=1", u"B", u"k", std::nullopt},
        {"text after the bracket makes a key line", u"[A]\r\n[B] x\r\nk=1", u"A", u"k", u"1"},
        {"bracket text with equals sign is a section", u"[A=1]\r\nk=1", u"A=1", u"k", u"1"},
        {"empty section name", u"[]\r\nk=1", u"", u"k", u"1"},
        {"lone opening bracket is no section", u"[A]\r\n[\r\nk=1", u"A", u"k", u"1"},
        // Line ends.
        {"LF line ends", u"[Window]\nStyle=max\nPriority=HIGH\n", u"Window", u"Priority", u"HIGH"},
        {"CR line ends", u"[Window]\rStyle=max\rPriority=HIGH\r", u"Window", u"Priority", u"HIGH"},
        {"mixed line ends", u"[Window]\rStyle=max\nX=1\r\nPriority=HIGH", u"Window", u"Priority", u"HIGH"},
        {"no final line end", u"[Window]\r\nPriority=HIGH", u"Window", u"Priority", u"HIGH"},
        // Absent.
        {"absent section", u"[Window]\r\nStyle=max", u"Program", u"Style", std::nullopt},
        {"absent key", u"[Window]\r\nStyle=max", u"Window", u"Priority", std::nullopt},
        {"empty text", u"", u"Window", u"Style", std::nullopt},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Lookup(IniDocument::Parse(c.text), c.section, c.key), c.value);
    }
}

TEST(IniGet, GivesTheFallbackOnlyWhenTheKeyIsAbsent)
{
    const IniDocument document = IniDocument::Parse(u"[Window]\r\nStyle=\r\nPriority=HIGH\r\n");
    EXPECT_EQ(document.Get(u"Window", u"Priority", u"NORMAL"), u"HIGH");
    EXPECT_EQ(document.Get(u"Window", u"Style", u"def"), u"");
    EXPECT_EQ(document.Get(u"Window", u"Size", u"def"), u"def");
    EXPECT_EQ(document.Get(u"Icon", u"Number", u"0"), u"0");
}

TEST(IniHasSection, ComparesWithoutCase)
{
    const IniDocument document = IniDocument::Parse(u"x=1\r\n[Tray Option]\r\n[Empty]\r\n");
    EXPECT_TRUE(document.HasSection(u"tray option"));
    EXPECT_TRUE(document.HasSection(u"EMPTY"));
    EXPECT_FALSE(document.HasSection(u"Tray"));
    EXPECT_FALSE(document.HasSection(u""));
}

TEST(IniSerialize, WritesTheRewriteLayout)
{
    struct Case
    {
        const char *name;
        std::u16string text;
        std::u16string written;
    };
    const Case cases[] = {
        {"empty document", u"", u""},
        {"one section", u"[Window]\r\nStyle=max\r\n", u"[Window]\r\nStyle=max\r\n\r\n"},
        {"blanks around the equals sign removed", u"[Window]\r\n  Style  =  max  ",
         u"[Window]\r\nStyle=max\r\n\r\n"},
        {"section name trimmed", u"[ Window ]", u"[Window]\r\n\r\n"},
        {"empty section keeps its empty line", u"[A]\r\n[B]\r\nk=v", u"[A]\r\n\r\n[B]\r\nk=v\r\n\r\n"},
        {"order of sections and keys kept", u"[B]\r\nz=1\r\na=2\r\n[A]\r\nm=3",
         u"[B]\r\nz=1\r\na=2\r\n\r\n[A]\r\nm=3\r\n\r\n"},
        {"comments and empty lines dropped", u"[A]\r\n; note\r\n\r\n\r\nk=v\r\n;end", u"[A]\r\nk=v\r\n\r\n"},
        {"lines before the first section dropped", u"; header\r\norphan=1\r\n\r\n[A]\r\nk=v",
         u"[A]\r\nk=v\r\n\r\n"},
        {"LF and CR line ends become CR LF", u"[A]\nk=v\rl=w", u"[A]\r\nk=v\r\nl=w\r\n\r\n"},
        {"repeated sections and keys survive", u"[A]\r\nk=1\r\nk=2\r\n[a]\r\nk=3",
         u"[A]\r\nk=1\r\nk=2\r\n\r\n[a]\r\nk=3\r\n\r\n"},
        {"unknown sections survive", u"[Program]\r\nName=a.exe\r\n[Editor Data]\r\nWhatever=1",
         u"[Program]\r\nName=a.exe\r\n\r\n[Editor Data]\r\nWhatever=1\r\n\r\n"},
        {"line without equals sign survives", u"[A]\r\n  just text  \r\nk=v",
         u"[A]\r\njust text\r\nk=v\r\n\r\n"},
        {"empty value", u"[A]\r\nk=", u"[A]\r\nk=\r\n\r\n"},
        {"quotes and escapes kept", u"[A]\r\nk=\"a\\\"b\"", u"[A]\r\nk=\"a\\\"b\"\r\n\r\n"},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(IniDocument::Parse(c.text).Serialize(), c.written);
    }
}

TEST(IniSet, ChangesKeysInPlaceAndAddsNewOnesAtTheEnd)
{
    struct Case
    {
        const char *name;
        std::u16string section;
        std::u16string key;
        std::u16string value;
        std::u16string written;
    };
    const std::u16string original = u"[Program]\r\nName=a.exe\r\nOption=-x\r\n[Tray Option]\r\nMinimize=1\r\n"
                                    u"TransValue=100\r\n[Editor]\r\nk=v\r\n";
    const Case cases[] = {
        {"existing key changes in place", u"Tray Option", u"Minimize", u"0",
         u"[Program]\r\nName=a.exe\r\nOption=-x\r\n\r\n[Tray Option]\r\nMinimize=0\r\nTransValue=100\r\n\r\n"
         u"[Editor]\r\nk=v\r\n\r\n"},
        {"names found without case keep their spelling", u"tray OPTION", u"transvalue", u"50",
         u"[Program]\r\nName=a.exe\r\nOption=-x\r\n\r\n[Tray Option]\r\nMinimize=1\r\nTransValue=50\r\n\r\n"
         u"[Editor]\r\nk=v\r\n\r\n"},
        {"new key at the end of its section", u"Program", u"Directory", u"C:\\Work",
         u"[Program]\r\nName=a.exe\r\nOption=-x\r\nDirectory=C:\\Work\r\n\r\n[Tray Option]\r\nMinimize=1\r\n"
         u"TransValue=100\r\n\r\n[Editor]\r\nk=v\r\n\r\n"},
        {"new section at the end", u"HotKey", u"Show", u"Ctrl+A",
         u"[Program]\r\nName=a.exe\r\nOption=-x\r\n\r\n[Tray Option]\r\nMinimize=1\r\nTransValue=100\r\n\r\n"
         u"[Editor]\r\nk=v\r\n\r\n[HotKey]\r\nShow=Ctrl+A\r\n\r\n"},
        {"empty value", u"Program", u"Option", u"",
         u"[Program]\r\nName=a.exe\r\nOption=\r\n\r\n[Tray Option]\r\nMinimize=1\r\nTransValue=100\r\n\r\n"
         u"[Editor]\r\nk=v\r\n\r\n"},
        {"line breaks inside a value become blanks", u"Tray Option", u"Edit", u"a\r\nb\rc\n[X]",
         u"[Program]\r\nName=a.exe\r\nOption=-x\r\n\r\n[Tray Option]\r\nMinimize=1\r\nTransValue=100\r\n"
         u"Edit=a  b c [X]\r\n\r\n[Editor]\r\nk=v\r\n\r\n"},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        IniDocument document = IniDocument::Parse(original);
        document.Set(c.section, c.key, c.value);
        EXPECT_EQ(document.Serialize(), c.written);
    }
}

TEST(IniSet, ChangesTheOccurrenceThatIsRead)
{
    IniDocument document = IniDocument::Parse(u"[A]\r\nk=1\r\nk=2\r\n[a]\r\nk=3\r\n");
    document.Set(u"A", u"K", u"9");
    EXPECT_EQ(Lookup(document, u"a", u"k"), u"9");
    EXPECT_EQ(document.Serialize(), u"[A]\r\nk=9\r\nk=2\r\n\r\n[a]\r\nk=3\r\n\r\n");
}

TEST(IniSet, DoesNotTakeALineWithoutEqualsSignForTheKey)
{
    IniDocument document = IniDocument::Parse(u"[A]\r\nk\r\n");
    document.Set(u"A", u"k", u"1");
    EXPECT_EQ(document.Serialize(), u"[A]\r\nk\r\nk=1\r\n\r\n");
}

TEST(IniSet, ValueReadsBackAfterARewrite)
{
    const std::u16string values[] = {u"0",          u"",           u"C:\\Program Files\\a.exe",
                                     u"\"quoted\"", u"a=b",        u";x",
                                     u"[S]",        U("タイトル"), u"a\r\nb"};
    for (const std::u16string &value : values)
    {
        IniDocument document = IniDocument::Parse(u"[Tray Option]\r\nEdit=old\r\n");
        document.Set(u"Tray Option", u"Edit", value);
        const IniDocument reread = IniDocument::Parse(document.Serialize());
        ASSERT_TRUE(reread.Find(u"Tray Option", u"Edit") != nullptr);
        EXPECT_EQ(*reread.Find(u"Tray Option", u"Edit"), *document.Find(u"Tray Option", u"Edit"));
        EXPECT_EQ(reread, document);
    }
}

TEST(IniRoundTrip, ParsingTheWrittenTextGivesTheSameDocument)
{
    const std::u16string texts[] = {
        u"",
        u"[A]",
        u"[]\r\n=\r\n==\r\n",
        u"junk\r\n[A]\r\nk=1\r\n;c\r\nk=2\r\nloose text\r\n[B]\r\n[a]\r\nx = y = z\r\n",
        u"[A]\r\n[B=1]\r\n[C]x\r\n[D\r\nE]\r\n",
        u"[A]\r\nk=a\0b\r\n\x01\x02=\x03\r\n"s,
        U("[Окно]\r\nСтиль=max\r\n[Tray Option]\r\nEdit=タイトル\r\n"),
    };
    for (const std::u16string &text : texts)
    {
        const IniDocument document = IniDocument::Parse(text);
        EXPECT_EQ(IniDocument::Parse(document.Serialize()), document);
    }
}
