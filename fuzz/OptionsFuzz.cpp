// Loads the options from arbitrary bytes read as an option file and checks what KV2 relies on: the
// loaded values are in range, and saving them and loading again gives the same options, with every
// other section of the file untouched.
#include "FakeFileSystem.h"

#include "common/IniDocument.h"
#include "common/TextEncoding.h"
#include "controller/Options.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace
{

[[noreturn]] void Fail(const char *what)
{
    std::fprintf(stderr, "OptionsFuzz: %s\n", what);
    std::abort();
}

controller::TrayOptions Load(const common::IniDocument &file)
{
    controller::TrayOptions options;
    controller::LoadControllerOptions(file, controller::kTaskOptionSection, options);
    controller::LoadPanelOptions(file, controller::kTaskOptionSection, options);
    return options;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    const testing_support::Latin1CodePage ansi;
    const common::IniDocument original =
        common::IniDocument::Parse(common::DecodeText(bytes, common::TextEncoding::Utf8, ansi));

    const controller::TrayOptions options = Load(original);
    if (options.Display < 0 || options.Display > 2 || options.IconPanelSize < 0 || options.IconPanelSize > 6)
        Fail("an index out of range was loaded");

    common::IniDocument saved = original;
    controller::SaveOptions(saved, controller::kTaskOptionSection, options, true);
    const common::IniDocument reread = common::IniDocument::Parse(
        common::DecodeText(common::EncodeText(saved.Serialize(), common::TextEncoding::Utf16Le),
                           common::TextEncoding::Ansi, ansi));
    if (!(Load(reread) == options))
        Fail("saved options do not load back the same");
    // Sections other than the option section are left as they were.
    for (const auto &section : original.Sections())
        if (!common::EqualsNoCase(section.name, controller::kTaskOptionSection) &&
            !reread.HasSection(section.name))
            Fail("a section was lost");
    return 0;
}
