#include "ui/ShortcutText.h"

#include "common/Text.h"

#include <array>

namespace ui
{

namespace
{

constexpr std::u16string_view kShiftPrefix = u"Shift+";
constexpr std::u16string_view kCtrlPrefix = u"Ctrl+";
constexpr std::u16string_view kAltPrefix = u"Alt+";

// The prefixes that text-to-value accepts, in the order one pass tries them.
struct ParsedPrefix
{
    std::u16string_view text;
    ShortCut bit;
};
constexpr ParsedPrefix kParsedPrefixes[] = {
    {kShiftPrefix, kShiftBit}, {u"^", kCtrlBit}, {kCtrlPrefix, kCtrlBit}, {kAltPrefix, kAltBit}};

constexpr std::array<std::u16string_view, kKeyDown - kKeySpace + 1> kNavigationNames = {
    u"Space", u"PgUp", u"PgDn", u"End", u"Home", u"Left", u"Up", u"Right", u"Down"};

constexpr unsigned kLowestNamedCode = kKeyBack;
constexpr unsigned kHighestCode = 0xFF;

// Removes `prefix` from the front of `text` when it is there in any case.
bool TakePrefix(std::u16string_view &text, std::u16string_view prefix) noexcept
{
    if (!common::EqualsNoCase(text.substr(0, prefix.size()), prefix))
        return false;
    text.remove_prefix(prefix.size());
    return true;
}

} // namespace

ShortCut Compose(unsigned keyCode, ShiftState shift) noexcept
{
    if (keyCode > kHighestCode)
        return 0;
    const unsigned modifiers =
        (shift.shift ? kShiftBit : 0u) | (shift.ctrl ? kCtrlBit : 0u) | (shift.alt ? kAltBit : 0u);
    return static_cast<ShortCut>(keyCode | modifiers);
}

void ShortCutToKey(ShortCut value, unsigned &keyCode, ShiftState &shift) noexcept
{
    keyCode = value & 0x1FFFu;
    shift = {
        .shift = (value & kShiftBit) != 0, .ctrl = (value & kCtrlBit) != 0, .alt = (value & kAltBit) != 0};
}

std::u16string KeyName(unsigned keyCode, const KeyNames &names)
{
    switch (keyCode)
    {
    case kKeyBack:
        return u"BkSp";
    case kKeyTab:
        return u"Tab";
    case kKeyReturn:
        return u"Enter";
    case kKeyEscape:
        return u"Esc";
    case kKeyInsert:
        return u"Ins";
    case kKeyDelete:
        return u"Del";
    default:
        break;
    }
    if (keyCode >= kKeySpace && keyCode <= kKeyDown)
        return std::u16string(kNavigationNames[keyCode - kKeySpace]);
    if (keyCode >= u'0' && keyCode <= u'9')
        return std::u16string(1, static_cast<char16_t>(keyCode));
    if (keyCode >= u'A' && keyCode <= u'Z')
        return std::u16string(1, static_cast<char16_t>(keyCode));
    // The keypad digits share the main row's names, so "Ctrl+7" reads back as the main-row key.
    if (keyCode >= kKeyNumpad0 && keyCode <= kKeyNumpad9)
        return std::u16string(1, static_cast<char16_t>(u'0' + (keyCode - kKeyNumpad0)));
    if (keyCode >= kKeyF1 && keyCode <= kKeyF24)
    {
        const unsigned number = keyCode - kKeyF1 + 1;
        std::u16string name = u"F";
        if (number >= 10)
            name += static_cast<char16_t>(u'0' + number / 10);
        name += static_cast<char16_t>(u'0' + number % 10);
        return name;
    }
    return names.LayoutKeyName(keyCode);
}

std::u16string ShortCutToText(ShortCut value, const KeyNames &names)
{
    std::u16string name = KeyName(value & kHighestCode, names);
    if (name.empty())
        return name;
    std::u16string text;
    if ((value & kShiftBit) != 0)
        text += kShiftPrefix;
    if ((value & kCtrlBit) != 0)
        text += kCtrlPrefix;
    if ((value & kAltBit) != 0)
        text += kAltPrefix;
    return text + name;
}

ShortCut TextToShortCut(std::u16string_view text, const KeyNames &names)
{
    ShortCut modifiers = 0;
    for (bool matched = true; matched;)
    {
        matched = false;
        for (const ParsedPrefix &prefix : kParsedPrefixes)
            if (TakePrefix(text, prefix.text))
            {
                modifiers = static_cast<ShortCut>(modifiers | prefix.bit);
                matched = true;
            }
    }
    if (text.empty())
        return 0;
    for (unsigned keyCode = kLowestNamedCode; keyCode <= kHighestCode; ++keyCode)
        if (common::EqualsNoCase(KeyName(keyCode, names), text))
            return static_cast<ShortCut>(modifiers | keyCode);
    return 0;
}

std::u16string CaptureKeyText(unsigned keyCode, ShiftState shift, const KeyNames &names)
{
    if (keyCode == kKeyShift || keyCode == kKeyControl || keyCode == kKeyMenu || keyCode == kKeyEscape)
        return {};
    std::u16string text = ShortCutToText(Compose(keyCode & kHighestCode, shift), names);
    const bool hasModifier = text.find(kShiftPrefix) != std::u16string::npos ||
                             text.find(kCtrlPrefix) != std::u16string::npos ||
                             text.find(kAltPrefix) != std::u16string::npos;
    if (!hasModifier || text.back() == u'+')
        return {};
    return text;
}

} // namespace ui
