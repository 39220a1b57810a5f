#include "controller/Options.h"

#include "FakeFileSystem.h"

#include <gtest/gtest.h>

using common::IniDocument;
using controller::TrayOptions;
using testing_support::U;

namespace
{

const char16_t kSection[] = u"Tray Option";

IniDocument Section(std::u16string_view lines)
{
    return IniDocument::Parse(u"[Tray Option]\r\n" + std::u16string(lines));
}

TrayOptions LoadAll(const IniDocument &file)
{
    TrayOptions options;
    controller::LoadControllerOptions(file, kSection, options);
    controller::LoadPanelOptions(file, kSection, options);
    return options;
}

// Every option changed from its default, so that a key written or read under the wrong name shows.
TrayOptions Changed()
{
    TrayOptions o;
    o.Minimize = o.Live = o.Click = o.PositionSize = false;
    o.X = -1200;
    o.Y = 40;
    o.W = 800;
    o.H = 600;
    o.Caption = true;
    o.Edit = u"固定 = タイトル";
    o.TransValue = 55;
    o.WExecute = o.NonTaskBar = o.MostTop = true;
    o.WheelKey1 = u"Ctrl+W";
    o.WheelButton1 = true;
    o.WheelKey2 = u"Shift+Alt+F4";
    o.WheelButton2 = true;
    o.Display = 2;
    o.AutoRestart = 1;
    o.Monitors = u"-1920,0,0,1080,96;0,0,1920,1080,144";
    o.IconPanelLeft = 1500;
    o.IconPanelTop = -20;
    o.IconPanelSize = 6;
    o.IconPanelMostTop = true;
    o.IconPanelHint = o.IconPanelTrans = false;
    return o;
}

} // namespace

TEST(OptionValues, IntegersAreDecimalOrHexadecimal)
{
    const std::pair<const char16_t *, std::optional<std::int32_t>> cases[] = {
        {u"0", 0},
        {u"42", 42},
        {u"-7", -7},
        {u"+7", 7},
        {u"0x1F", 31},
        {u"0XfF", 255},
        {u"0xFFFFFFFF", -1},
        {u"0x7fffffff", 2147483647},
        {u"0x", std::nullopt},
        {u"0x123456789", std::nullopt},
        {u"0xG", std::nullopt},
        {u"", std::nullopt},
        {u" 1", std::nullopt},
        {u"1.5", std::nullopt},
        {u"2147483648", std::nullopt},
        {u"$10", std::nullopt},
        {u"yes", std::nullopt},
    };
    for (const auto &[text, expected] : cases)
        EXPECT_EQ(controller::ReadIntValue(text), expected) << common::Utf16ToUtf8(text);
}

TEST(OptionLoad, MissingFileOrSectionGivesTheDesignDefaults)
{
    const TrayOptions defaults;
    EXPECT_EQ(LoadAll(IniDocument()), defaults);
    EXPECT_EQ(LoadAll(IniDocument::Parse(u"[Other]\r\nMinimize=0\r\n")), defaults);
    EXPECT_TRUE(defaults.Minimize && defaults.Live && defaults.Click && defaults.PositionSize);
    EXPECT_EQ(defaults.TransValue, 100);
    EXPECT_EQ(defaults.IconPanelSize, 4);
}

TEST(OptionLoad, ValueForms)
{
    struct Case
    {
        const char16_t *lines;
        bool TrayOptions::*flag;
        bool expected;
    } booleans[] = {
        {u"Minimize=0", &TrayOptions::Minimize, false},
        {u"Minimize=2", &TrayOptions::Minimize, true},
        {u"Minimize=-1", &TrayOptions::Minimize, true},
        {u"Minimize=0x0", &TrayOptions::Minimize, false},
        {u"Minimize=no", &TrayOptions::Minimize, true}, // not a number: the default stays
        {u"Minimize=", &TrayOptions::Minimize, true},
        {u"MOSTTOP=1", &TrayOptions::MostTop, true},
        {u"IconPanel_Hint=0", &TrayOptions::IconPanelHint, false},
    };
    for (const auto &c : booleans)
        EXPECT_EQ(LoadAll(Section(c.lines)).*c.flag, c.expected) << common::Utf16ToUtf8(c.lines);

    EXPECT_EQ(LoadAll(Section(u"X=0x10\r\nY=-5\r\nW=abc")).X, 16);
    EXPECT_EQ(LoadAll(Section(u"X=0x10\r\nY=-5\r\nW=abc")).Y, -5);
    EXPECT_EQ(LoadAll(Section(u"X=0x10\r\nY=-5\r\nW=abc")).W, 0);
    // Strings are taken as they stand; present but empty reads as empty.
    EXPECT_EQ(LoadAll(Section(u"Edit=\"quoted\" ; not a comment")).Edit, u"\"quoted\" ; not a comment");
    EXPECT_EQ(LoadAll(Section(u"WheelKey1=")).WheelKey1, u"");
}

TEST(OptionLoad, OutOfRangeIndexesFallBackToTheirDefaults)
{
    const std::pair<const char16_t *, std::int32_t> displays[] = {
        {u"Display=0", 0}, {u"Display=1", 1}, {u"Display=2", 2}, {u"Display=3", 0}, {u"Display=-1", 0}};
    for (const auto &[line, expected] : displays)
        EXPECT_EQ(LoadAll(Section(line)).Display, expected) << common::Utf16ToUtf8(line);
    const std::pair<const char16_t *, std::int32_t> restarts[] = {{u"AutoRestart=1", 1},
                                                                  {u"AutoRestart=2", 2},
                                                                  {u"AutoRestart=3", 0},
                                                                  {u"AutoRestart=-1", 0},
                                                                  {u"AutoRestart=x", 0}};
    for (const auto &[line, expected] : restarts)
        EXPECT_EQ(LoadAll(Section(line)).AutoRestart, expected) << common::Utf16ToUtf8(line);
    const std::pair<const char16_t *, std::int32_t> sizes[] = {{u"IconPanel_Size=0", 0},
                                                               {u"IconPanel_Size=6", 6},
                                                               {u"IconPanel_Size=7", 4},
                                                               {u"IconPanel_Size=-1", 4}};
    for (const auto &[line, expected] : sizes)
        EXPECT_EQ(LoadAll(Section(line)).IconPanelSize, expected) << common::Utf16ToUtf8(line);
}

TEST(OptionLoad, DamagedRectanglesAndPanelPositionsCountAsAbsent)
{
    const std::pair<const char16_t *, bool> rectangles[] = {
        {u"X=10\r\nY=20\r\nW=300\r\nH=200", true},
        {u"X=-1900\r\nY=-20\r\nW=32767\r\nH=1", true},
        {u"X=10\r\nY=20\r\nW=-300\r\nH=200", false},
        {u"X=10\r\nY=20\r\nW=300\r\nH=-1", false},
        {u"X=10\r\nY=20\r\nW=300\r\nH=0x7FFFFFFF", false},
        {u"X=-2147483648\r\nY=20\r\nW=300\r\nH=200", false},
        {u"X=10\r\nY=99999\r\nW=300\r\nH=200", false},
    };
    for (const auto &[lines, kept] : rectangles)
    {
        const TrayOptions options = LoadAll(Section(lines));
        EXPECT_EQ(options.W != 0, kept) << common::Utf16ToUtf8(lines);
        if (!kept)
        {
            EXPECT_EQ(options.X + options.Y + options.W + options.H, 0) << common::Utf16ToUtf8(lines);
        }
    }
    const TrayOptions panel = LoadAll(Section(u"IconPanel_Left=-40000\r\nIconPanel_Top=50\r\n"));
    EXPECT_EQ(panel.IconPanelLeft, 0);
    EXPECT_EQ(panel.IconPanelTop, 0);
    EXPECT_EQ(LoadAll(Section(u"IconPanel_Left=-400\r\nIconPanel_Top=50\r\n")).IconPanelLeft, -400);
}

TEST(OptionSave, AfterAFailedLoadOnlyChangedKeysAreWritten)
{
    // The file could not be read: KV2 ran on the defaults, and the user then changed two options.
    IniDocument file = Section(u"TransValue=70\r\nMostTop=1\r\nWheelKey1=F5\r\nX=5\r\n");
    const TrayOptions assumed;
    TrayOptions now = assumed;
    now.X = 40;
    now.Display = 2;
    controller::SaveOptions(file, kSection, now, true, &assumed);
    EXPECT_EQ(file.Serialize(), u"[Tray Option]\r\nTransValue=70\r\nMostTop=1\r\nWheelKey1=F5\r\nX=40\r\n"
                                u"Display=2\r\n\r\n");
    EXPECT_EQ(controller::ChangedOptionsText(assumed, now, true), u"X=40, Display=2");
    EXPECT_EQ(controller::ChangedOptionsText(now, now, true), u"");
}

TEST(OptionSave, WritesAllKeysInOrderAndReadsBack)
{
    IniDocument file;
    controller::SaveOptions(file, kSection, Changed(), true);
    EXPECT_EQ(
        file.Serialize(),
        u"[Tray Option]\r\nMinimize=0\r\nLive=0\r\nClick=0\r\nPositionSize=0\r\nX=-1200\r\nY=40\r\nW=800\r\n"
        u"H=600\r\nCaption=1\r\nEdit=固定 = タイトル\r\nTransValue=55\r\nWExecute=1\r\nNonTaskBar=1\r\n"
        u"MostTop=1\r\nWheelKey1=Ctrl+W\r\nWheelButton1=1\r\nWheelKey2=Shift+Alt+F4\r\nWheelButton2=1\r\n"
        u"Display=2\r\nAutoRestart=1\r\nMonitors=-1920,0,0,1080,96;0,0,1920,1080,144\r\nIconPanel_Left="
        u"1500\r\nIconPanel_Top=-20\r\nIconPanel_Size=6\r\n"
        u"IconPanel_MostTop=1\r\nIconPanel_Hint=0\r\nIconPanel_Trans=0\r\n\r\n");
    EXPECT_EQ(LoadAll(IniDocument::Parse(file.Serialize())), Changed());
}

TEST(OptionSave, KeepsEverythingElseAndChangesKeysInPlace)
{
    IniDocument file = IniDocument::Parse(u"[Program]\r\nName=C:\\a.exe\r\n[Tray Option]\r\nUnknown=keep\r\n"
                                          u"TransValue=30\r\n[Window]\r\nStyle=max\r\n");
    controller::SaveOptions(file, kSection, TrayOptions(), true);
    EXPECT_EQ(file.Get(u"Program", u"Name", u""), u"C:\\a.exe");
    EXPECT_EQ(file.Get(u"Window", u"Style", u""), u"max");
    ASSERT_EQ(file.Sections().size(), 3u);
    const auto &entries = file.Sections()[1].entries;
    ASSERT_EQ(entries.size(), 28u);
    EXPECT_EQ(entries[0].key, u"Unknown"); // existing keys stay where they are
    EXPECT_EQ(entries[1].key, u"TransValue");
    EXPECT_EQ(entries[1].value, u"100");
    EXPECT_EQ(entries[2].key, u"Minimize"); // new keys follow in their order
}

TEST(OptionSave, ElevatedBuildLeavesThePanelKeysAlone)
{
    IniDocument file = Section(u"IconPanel_Size=2\r\nIconPanel_Hint=0\r\n");
    controller::SaveOptions(file, kSection, TrayOptions(), false);
    EXPECT_EQ(file.Sections()[0].entries.size(), 23u);
    EXPECT_EQ(file.Get(kSection, u"IconPanel_Size", u""), u"2");
    EXPECT_EQ(file.Get(kSection, u"IconPanel_Hint", u""), u"0");
    EXPECT_EQ(file.Find(kSection, u"IconPanel_Left"), nullptr);
}

TEST(OptionLocation, TaskFileOrProgramSectionOfExeIni)
{
    startup::TaskDefinition task;
    task.TaskFilePath = u"C:\\Users\\u\\AppData\\Roaming\\Orvane\\KV2\\exe.ini";
    task.ProgramPath = u"C:\\Program Files\\Editor\\EDITOR.exe";
    auto location = controller::OptionLocationFor(task);
    EXPECT_EQ(location.file, task.TaskFilePath);
    EXPECT_EQ(location.section, u"c:\\program files\\editor\\editor.exe");

    task.TaskFileGiven = true;
    task.TaskFilePath = u"D:\\Tasks\\editor.KV2";
    location = controller::OptionLocationFor(task);
    EXPECT_EQ(location.file, u"D:\\Tasks\\editor.KV2");
    EXPECT_EQ(location.section, u"Tray Option");
}

TEST(PickerPlacement, ReadsAndWritesItsSection)
{
    IniDocument file = IniDocument::Parse(u"[IRunFindWindow]\r\nLeft=15\r\nHeight=bad\r\n");
    controller::PickerPlacement placement{1, 2, 3, 4};
    controller::LoadPickerPlacement(file, placement);
    EXPECT_EQ(placement, (controller::PickerPlacement{1, 15, 3, 4}));
    controller::SavePickerPlacement(file, {10, 20, 300, 400});
    EXPECT_EQ(file.Serialize(), u"[IRunFindWindow]\r\nLeft=20\r\nHeight=300\r\nTop=10\r\nWidth=400\r\n\r\n");
}

TEST(PanelOptions, TheSixPanelValuesGoToThePanelAndBack)
{
    controller::TrayOptions options;
    options.IconPanelLeft = -120;
    options.IconPanelTop = 340;
    options.IconPanelSize = 6;
    options.IconPanelMostTop = true;
    options.IconPanelHint = false;
    options.IconPanelTrans = false;
    EXPECT_EQ(controller::PanelOptionsOf(options), (ui::PanelOptions{-120, 340, 6, true, false, false}));
    // The panel's defaults are the options' defaults.
    EXPECT_EQ(controller::PanelOptionsOf(controller::TrayOptions()), ui::PanelOptions());

    controller::TrayOptions changed = options;
    changed.W = 777;
    controller::SetPanelOptions(changed, {5, 6, 1, false, true, true});
    controller::TrayOptions expected = options;
    expected.W = 777;
    expected.IconPanelLeft = 5;
    expected.IconPanelTop = 6;
    expected.IconPanelSize = 1;
    expected.IconPanelMostTop = false;
    expected.IconPanelHint = true;
    expected.IconPanelTrans = true;
    EXPECT_EQ(changed, expected);
}
