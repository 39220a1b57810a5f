#include "ui/ShortcutText.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace
{

using ui::ShiftState;
using ui::ShortCut;

// A keyboard layout in the manner of Windows' own names: "Num +" ends with "+", 0x21 has a layout name
// that the fixed table overrides, 0x5B has no name at all.
class FakeKeyNames : public ui::KeyNames
{
  public:
    std::u16string LayoutKeyName(unsigned keyCode) const override
    {
        static const std::map<unsigned, std::u16string> names = {
            {0x10, u"Shift"}, {0x11, u"Ctrl"}, {0x12, u"Alt"}, {0x21, u"Prior"}, {0x6A, u"Num *"},
            {0x6B, u"Num +"}, {0xBA, u";"},    {0xBB, u"+"},   {0xBC, u","},     {0xDC, u"\u00A5"},
        };
        const auto found = names.find(keyCode);
        return found == names.end() ? std::u16string() : found->second;
    }
};

const FakeKeyNames kNames;

constexpr ShiftState kNone{};
constexpr ShiftState kShift{.shift = true};
constexpr ShiftState kCtrl{.ctrl = true};
constexpr ShiftState kAlt{.alt = true};
constexpr ShiftState kShiftCtrl{.shift = true, .ctrl = true};
constexpr ShiftState kAll{.shift = true, .ctrl = true, .alt = true};

} // namespace

TEST(ShortcutValue, ComposeAddsModifierBitsAndRejectsCodesAbove255)
{
    struct Case
    {
        unsigned keyCode;
        ShiftState shift;
        ShortCut value;
    };
    const Case cases[] = {
        {0x41, kNone, 0x0041}, {0x41, kShift, 0x2041},     {0x41, kCtrl, 0x4041}, {0x41, kAlt, 0x8041},
        {0x74, kAll, 0xE074},  {0x00, kShiftCtrl, 0x6000}, {0xFF, kCtrl, 0x40FF}, {0x100, kNone, 0},
        {0x100, kAll, 0},      {0x1FFF, kCtrl, 0},         {0xFFFFFFFF, kAlt, 0},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.keyCode);
        EXPECT_EQ(ui::Compose(c.keyCode, c.shift), c.value);
    }
}

TEST(ShortcutValue, SplitGivesLow13BitsAndModifiers)
{
    struct Case
    {
        ShortCut value;
        unsigned keyCode;
        ShiftState shift;
    };
    const Case cases[] = {
        {0x0000, 0x00, kNone}, {0x2070, 0x70, kShift}, {0x6041, 0x41, kShiftCtrl},
        {0x8025, 0x25, kAlt},  {0xE0FF, 0xFF, kAll},   {0x1F41, 0x1F41, kNone},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.value);
        unsigned keyCode = 0xDEAD;
        ShiftState shift{.shift = true, .ctrl = true, .alt = true};
        ui::ShortCutToKey(c.value, keyCode, shift);
        EXPECT_EQ(keyCode, c.keyCode);
        EXPECT_EQ(shift, c.shift);
    }
}

TEST(ShortcutKeyName, FixedTableFirstThenTheLayout)
{
    const std::map<unsigned, std::u16string> cases = {
        {0x08, u"BkSp"}, {0x09, u"Tab"},   {0x0D, u"Enter"}, {0x1B, u"Esc"},  {0x20, u"Space"},
        {0x21, u"PgUp"}, {0x22, u"PgDn"},  {0x23, u"End"},   {0x24, u"Home"}, {0x25, u"Left"},
        {0x26, u"Up"},   {0x27, u"Right"}, {0x28, u"Down"},  {0x2D, u"Ins"},  {0x2E, u"Del"},
        {0x30, u"0"},    {0x35, u"5"},     {0x39, u"9"},     {0x41, u"A"},    {0x4D, u"M"},
        {0x5A, u"Z"},    {0x60, u"0"},     {0x67, u"7"},     {0x69, u"9"},    {0x70, u"F1"},
        {0x78, u"F9"},   {0x79, u"F10"},   {0x83, u"F20"},   {0x87, u"F24"},  {0x6B, u"Num +"},
        {0xBA, u";"},    {0x10, u"Shift"}, {0x5B, u""},      {0x0C, u""},     {0x88, u""},
        {0xFF, u""},
    };
    for (const auto &[keyCode, name] : cases)
    {
        SCOPED_TRACE(keyCode);
        EXPECT_EQ(ui::KeyName(keyCode, kNames), name);
    }
}

TEST(ShortcutText, ValueToTextPutsPrefixesInFixedOrder)
{
    const std::map<ShortCut, std::u16string> cases = {
        {0x0000, u""},
        {0x2070, u"Shift+F1"},
        {0x8041, u"Alt+A"},
        {0x6041, u"Shift+Ctrl+A"},
        {0xE02E, u"Shift+Ctrl+Alt+Del"},
        {0xA00D, u"Shift+Alt+Enter"},
        {0x4067, u"Ctrl+7"},
        {0x40BB, u"Ctrl++"},
        {0x0074, u"F5"},
        {0x605B, u""},  // no name: no text, whatever the modifiers
        {0xE000, u""},  // no key at all
        {0x0141, u"A"}, // bits 8 to 12 are not part of the key
        {0x2121, u"Shift+PgUp"},
    };
    for (const auto &[value, text] : cases)
    {
        SCOPED_TRACE(value);
        EXPECT_EQ(ui::ShortCutToText(value, kNames), text);
    }
}

TEST(ShortcutText, TextToValueTakesPrefixesInAnyOrderAndCase)
{
    const std::map<std::u16string, ShortCut> cases = {
        {u"ctrl+shift+a", 0x6041},
        {u"Shift+Ctrl+A", 0x6041},
        {u"^A", 0x4041},
        {u"^ctrl+a", 0x4041},         // both spellings of Ctrl
        {u"Alt+Alt+Shift+x", 0xA058}, // repeated
        {u"SHIFT+^alt+f12", 0xE07B},
        {u"Alt+Shift+Ctrl+Alt+Del", 0xE02E},
        {u"Ctrl+7", 0x4037}, // the main-row key, not the keypad's
        {u"Ctrl++", 0x40BB},
        {u"Ctrl+Num +", 0x406B},
        {u"pgup", 0x0021},
        {u"Enter", 0x000D},
        {u";", 0x00BA},
        {u"Ctrl", 0x0011}, // a layout name without the "+" is a key
        {u"Shift+Ctrl", 0x2011},
    };
    for (const auto &[text, value] : cases)
    {
        SCOPED_TRACE(testing::PrintToString(text));
        EXPECT_EQ(ui::TextToShortCut(text, kNames), value);
    }
}

TEST(ShortcutText, TextNamingNoKeyGivesZero)
{
    const std::u16string cases[] = {
        u"",       u"Ctrl+", u"Shift+Ctrl+Alt+", u"^",   u"Ctrl+Nothing", u"Prior",  u"Shift + A",
        u" A",     u"A ",    u"Ctrl+A+",         u"F25", u"F0",           u"Ctrl-A", u"+A",
        u"\u00C0",
    };
    for (const std::u16string &text : cases)
    {
        SCOPED_TRACE(testing::PrintToString(text));
        EXPECT_EQ(ui::TextToShortCut(text, kNames), 0);
    }
}

TEST(ShortcutCapture, KeepsOnlyModifiedNamedKeys)
{
    struct Case
    {
        const char *name;
        unsigned keyCode;
        ShiftState shift;
        std::u16string text;
    };
    const Case cases[] = {
        {"Ctrl+Shift+F5", 0x74, kShiftCtrl, u"Shift+Ctrl+F5"},
        {"Alt+Left", 0x25, kAlt, u"Alt+Left"},
        {"Ctrl with keypad 7", 0x67, kCtrl, u"Ctrl+7"},
        {"all modifiers", 0x2E, kAll, u"Shift+Ctrl+Alt+Del"},
        {"Shift with a layout key", 0xBA, kShift, u"Shift+;"},
        {"Ctrl+Enter", 0x0D, kCtrl, u"Ctrl+Enter"},
        {"only the low byte counts", 0x141, kCtrl, u"Ctrl+A"},
        {"F5 alone", 0x74, kNone, u""},
        {"Tab alone", 0x09, kNone, u""},
        {"Shift alone", 0x10, kShift, u""},
        {"Ctrl alone", 0x11, kCtrl, u""},
        {"Alt alone", 0x12, kAlt, u""},
        {"Ctrl while Shift is down", 0x11, kShiftCtrl, u""},
        {"Esc", 0x1B, kNone, u""},
        {"Ctrl+Esc", 0x1B, kCtrl, u""},
        {"layout name ending with +", 0x6B, kCtrl, u""},
        {"layout name that is +", 0xBB, kAlt, u""},
        {"key without a name", 0x5B, kCtrl, u""},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ui::CaptureKeyText(c.keyCode, c.shift, kNames), c.text);
    }
}

TEST(ShortcutRoundTrip, TextOfEveryValueParsesBackToTheSameText)
{
    const ShiftState combinations[] = {
        kNone, kShift, kCtrl, kAlt, kShiftCtrl, {.shift = true, .alt = true}, {.ctrl = true, .alt = true},
        kAll};
    for (unsigned keyCode = 8; keyCode <= 0xFF; ++keyCode)
        for (const ShiftState &shift : combinations)
        {
            const ShortCut value = ui::Compose(keyCode, shift);
            const std::u16string text = ui::ShortCutToText(value, kNames);
            const ShortCut parsed = ui::TextToShortCut(text, kNames);
            SCOPED_TRACE(testing::PrintToString(text));
            EXPECT_EQ(ui::ShortCutToText(parsed, kNames), text);
            // Only keys that share a name (the keypad digits) come back as another code.
            EXPECT_EQ(parsed & 0xE000, text.empty() ? 0 : value & 0xE000);
        }
}
