// Reads arbitrary bytes as an INI file and checks that writing it back is lossless: parsing the
// rewritten UTF-16LE file gives the same document, and a key set by KV2 reads back unchanged.
#include "FakeFileSystem.h"

#include "common/IniDocument.h"
#include "common/Text.h"
#include "common/TextEncoding.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace
{

[[noreturn]] void Fail(const char *what)
{
    std::fprintf(stderr, "IniFuzz: %s\n", what);
    std::abort();
}

common::IniDocument Reread(const common::IniDocument &document, const common::AnsiCodePage &ansi)
{
    const std::string bytes = common::EncodeText(document.Serialize(), common::TextEncoding::Utf16Le);
    return common::IniDocument::Parse(common::DecodeText(bytes, common::TextEncoding::Ansi, ansi));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    const testing_support::Latin1CodePage ansi;

    // A byte-order mark selects UTF-16LE, UTF-16BE or UTF-8; without one the text is read as UTF-8, so
    // that both multi-byte decoders see damaged input.
    const std::u16string text = common::DecodeText(bytes, common::TextEncoding::Utf8, ansi);
    common::IniDocument document = common::IniDocument::Parse(text);

    const common::IniDocument reread = Reread(document, ansi);
    if (!(reread == document))
        Fail("the rewritten file parses to another document");
    if (reread.Serialize() != document.Serialize())
        Fail("writing is not stable");

    for (const auto &section : document.Sections())
        if (!document.HasSection(section.name))
            Fail("a parsed section is not found by its name");

    // KV2 changes single keys and writes the file back: the value it stored must be the one read, and
    // every other section must survive. The value is taken from the input's first line.
    const std::u16string value(common::Trim(text.substr(0, text.find_first_of(u"\r\n"))));
    const size_t sectionsExpected =
        document.Sections().size() + (document.HasSection(u"Tray Option") ? 0 : 1);
    document.Set(u"Tray Option", u"Edit", value);
    if (document.Sections().size() != sectionsExpected)
        Fail("setting a key added the wrong number of sections");
    const common::IniDocument changed = Reread(document, ansi);
    const std::u16string *stored = changed.Find(u"Tray Option", u"Edit");
    if (stored == nullptr || *stored != value)
        Fail("a value set by KV2 does not read back");
    if (!(changed == document))
        Fail("the changed document does not survive a rewrite");
    return 0;
}
