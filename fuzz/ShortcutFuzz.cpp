// Parses arbitrary UTF-16 text as shortcut text and checks that every key it names survives the trip
// back: the value's text is not empty, parses to the same value, and the value keeps to its bits.
#include "ui/ShortcutText.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace
{

[[noreturn]] void Fail(const char *what)
{
    std::fprintf(stderr, "ShortcutFuzz: %s\n", what);
    std::abort();
}

// Layout names of the kinds Windows and Wine give: with blanks, ending in "+", one character, a
// prefix-like word, the same name as a fixed-table key.
class FuzzKeyNames : public ui::KeyNames
{
  public:
    std::u16string LayoutKeyName(unsigned keyCode) const override
    {
        switch (keyCode)
        {
        case 0x10:
            return u"Shift";
        case 0x6B:
            return u"Num +";
        case 0x6D:
            return u"KP_Subtract";
        case 0xBA:
            return u";";
        case 0xBB:
            return u"+";
        case 0xBD:
            return u"-";
        case 0xC0:
            return u"@";
        case 0xDC:
            return u"\u00A5";
        case 0xE2:
            return u"tab"; // shadowed by the fixed table's Tab
        default:
            return {};
        }
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // The input is the text in UTF-16LE code units; an odd last byte is ignored.
    std::u16string text(size / 2, u'\0');
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);

    const FuzzKeyNames names;
    const ui::ShortCut value = ui::TextToShortCut(text, names);
    if (value == 0)
        return 0;
    if ((value & 0x1F00) != 0)
        Fail("bits 8 to 12 set");
    if ((value & 0xFF) < 8)
        Fail("a key code below 8");
    const std::u16string canonical = ui::ShortCutToText(value, names);
    if (canonical.empty())
        Fail("a parsed value has no text");
    if (ui::TextToShortCut(canonical, names) != value)
        Fail("the value's text parses to another value");
    return 0;
}
