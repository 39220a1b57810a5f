#include "controller/ErrorLogLine.h"
#include "controller/HandOver.h"
#include "controller/MenuModel.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

using namespace std::string_literals;

namespace
{

// The bytes a sender would put in lpData for `text`, as the UTF-16LE units of the text.
std::vector<unsigned char> Bytes(std::u16string_view text)
{
    std::vector<unsigned char> bytes;
    for (char16_t unit : text)
    {
        bytes.push_back(static_cast<unsigned char>(unit & 0xFF));
        bytes.push_back(static_cast<unsigned char>(unit >> 8));
    }
    return bytes;
}

} // namespace

// --- priority submenu ---

TEST(MenuModelPriority, TagsAndClassesMapBothWays)
{
    struct Case
    {
        const char *name;
        int tag;
        std::uint32_t priorityClass;
    };
    // The Win32 values, written out: the submenu's order is 通常, 低, 高, 通常以下, 通常以上.
    const Case cases[] = {
        {"normal", 0, 0x20},         {"idle", 1, 0x40},           {"high", 2, 0x80},
        {"below normal", 3, 0x4000}, {"above normal", 4, 0x8000},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(controller::PriorityClassOfTag(c.tag), c.priorityClass);
        EXPECT_EQ(controller::PriorityTagOfClass(c.priorityClass), std::optional<int>(c.tag));
    }
}

TEST(MenuModelPriority, ClassesTheMenuDoesNotOfferHaveNoTag)
{
    struct Case
    {
        const char *name;
        std::uint32_t priorityClass;
    };
    const Case cases[] = {
        {"real-time", 0x100},
        {"process could not be asked", 0},
        {"process background mode bit", 0x100000},
        {"two classes at once", 0x20 | 0x80},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(controller::PriorityTagOfClass(c.priorityClass), std::nullopt);
    }
}

TEST(MenuModelPriority, TagsOutsideTheSubmenuGiveNoClass)
{
    for (int tag : {-1, 5, 100})
    {
        SCOPED_TRACE(tag);
        EXPECT_EQ(controller::PriorityClassOfTag(tag), 0u);
    }
}

TEST(MenuModelPriority, ItemIdentifiersFollowTheTags)
{
    EXPECT_EQ(controller::kPPPriority0 + 4, controller::kPPPriority4);
    EXPECT_EQ(controller::kPPTrans10 - 1 + controller::kTransItemCount, controller::kPPTrans100);
}

// --- translucency submenu ---

TEST(MenuModelTrans, CaptionsRunFromTenToHundredPercentInStepsOfFive)
{
    std::vector<std::u16string> captions;
    for (int tag = 1; tag <= controller::kTransItemCount; ++tag)
        captions.push_back(controller::TransCaption(tag));
    const std::vector<std::u16string> expected = {
        u"10%", u"15%", u"20%", u"25%", u"30%", u"35%", u"40%", u"45%", u"50%",  u"55%",
        u"60%", u"65%", u"70%", u"75%", u"80%", u"85%", u"90%", u"95%", u"100%",
    };
    EXPECT_EQ(captions, expected);
}

TEST(MenuModelTrans, PercentOfEachTagMatchesItsCaption)
{
    for (int tag = 1; tag <= controller::kTransItemCount; ++tag)
    {
        SCOPED_TRACE(tag);
        const std::u16string caption = controller::TransCaption(tag);
        std::string digits;
        for (char16_t c : caption.substr(0, caption.size() - 1))
            digits.push_back(static_cast<char>(c));
        EXPECT_EQ(controller::TransPercentOfTag(tag), std::stoi(digits));
    }
}

TEST(MenuModelTrans, ReadBackPercentMarksTheItemAtOrBelowIt)
{
    struct Case
    {
        int percent;
        const char16_t *markedCaption;
    };
    const Case cases[] = {
        // Between two items: the lower one.
        {73, u"70%"},
        {77, u"75%"},
        {99, u"95%"},
        {14, u"10%"},
        // On an item.
        {100, u"100%"},
        {10, u"10%"},
        {15, u"15%"},
        {50, u"50%"},
        // Below the first item: still the first.
        {9, u"10%"},
        {5, u"10%"},
        {3, u"10%"},
        {0, u"10%"},
        {-20, u"10%"},
        // Above the last item: still the last.
        {101, u"100%"},
        {255, u"100%"},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.percent);
        const int tag = controller::TransTagOfPercent(c.percent);
        ASSERT_GE(tag, 1);
        ASSERT_LE(tag, controller::kTransItemCount);
        EXPECT_EQ(controller::TransCaption(tag), c.markedCaption);
    }
}

TEST(MenuModelTrans, EveryPercentMarksTheHighestItemNotAboveIt)
{
    // Against the rule stated plainly: the item whose percent is the largest one not above the read
    // percent, or the 10% item when there is none.
    for (int percent = 0; percent <= 100; ++percent)
    {
        SCOPED_TRACE(percent);
        int expected = 1;
        for (int tag = 1; tag <= controller::kTransItemCount; ++tag)
            if (controller::TransPercentOfTag(tag) <= percent)
                expected = tag;
        EXPECT_EQ(controller::TransTagOfPercent(percent), expected);
    }
}

// --- tray tips ---

TEST(MenuModelTip, RunningAndAbsentTipsHaveThreeLines)
{
    struct Case
    {
        const char *name;
        bool running;
        std::u16string hotKey;
        std::u16string third;
        std::u16string tip;
    };
    const Case cases[] = {
        {"running", true, u"Shift+Ctrl+N", u"無題 - メモ帳", u"実行中\r\nShift+Ctrl+N\r\n無題 - メモ帳"},
        {"running without hot key or title", true, u"", u"", u"実行中\r\n\r\n"},
        {"absent", false, u"Alt+F1", u"\"C:\\Windows\\notepad.exe\" a.txt",
         u"起動していません\r\nAlt+F1\r\n\"C:\\Windows\\notepad.exe\" a.txt"},
        {"absent without hot key", false, u"", u"C:\\x.exe", u"起動していません\r\n\r\nC:\\x.exe"},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        const std::u16string tip =
            c.running ? controller::RunningTip(c.hotKey, c.third) : controller::AbsentTip(c.hotKey, c.third);
        EXPECT_EQ(tip, c.tip);
    }
}

TEST(MenuModelTip, ATakenHotKeyAndATargetAboveKv2sRightsAreNamed)
{
    EXPECT_EQ(controller::HotKeyTipText(u"Ctrl+Alt+F9", false), u"Ctrl+Alt+F9");
    EXPECT_EQ(controller::HotKeyTipText(u"Ctrl+Alt+F9", true), u"Ctrl+Alt+F9（他のプログラムが使用中）");
    EXPECT_EQ(controller::HotKeyTipText(u"", true), u"");
    EXPECT_EQ(controller::RunningTip(controller::HotKeyTipText(u"F2", true), u"題名", true),
              u"実行中（管理者の権限で動いているため変更できません）\r\nF2（他のプログラムが使用中）\r\n題名");
    EXPECT_EQ(controller::RunningTip(u"F2", u"題名", false, true),
              u"実行中（自分で描画しているため半透明にできません）\r\nF2\r\n題名");
    EXPECT_EQ(controller::RunningTip(u"F2", u"題名", true, true, true), u"実行中（応答なし）\r\nF2\r\n題名");
    EXPECT_EQ(controller::AbsentTip(u"F2", u"C:\\a.exe", true),
              u"起動していません（自動再起動を停止しました）\r\nF2\r\nC:\\a.exe");
}

TEST(MenuModelTip, RunningTipCutsTheTitleTo259Characters)
{
    struct Case
    {
        size_t titleLength;
        size_t keptLength;
    };
    const Case cases[] = {{258, 258}, {259, 259}, {260, 259}, {1000, 259}};
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.titleLength);
        // A title whose every character differs from its neighbour, so a cut in the wrong place shows.
        std::u16string title;
        for (size_t i = 0; i < c.titleLength; ++i)
            title.push_back(static_cast<char16_t>(u'A' + i % 26));
        const std::u16string tip = controller::RunningTip(u"F2", title);
        EXPECT_EQ(tip, u"実行中\r\nF2\r\n" + title.substr(0, c.keptLength));
    }
}

TEST(MenuModelTip, AbsentTipKeepsALongCommandLineWhole)
{
    const std::u16string commandLine = u"C:\\p.exe " + std::u16string(600, u'x');
    EXPECT_EQ(controller::AbsentTip(u"", commandLine), u"起動していません\r\n\r\n" + commandLine);
}

// --- wheel key items ---

TEST(MenuModelWheelKey, CaptionPutsTheKeyInBracketsAfterTheLabel)
{
    struct Case
    {
        const char *name;
        std::u16string label;
        std::u16string key;
        std::u16string caption;
    };
    const Case cases[] = {
        {"single click", u"シングルクリック\u3000キー", u"F5", u"シングルクリック\u3000キー [F5]"},
        {"double click, combination", u"ダブルクリック\u3000キー", u"Shift+Ctrl+A",
         u"ダブルクリック\u3000キー [Shift+Ctrl+A]"},
        {"no key", u"シングルクリック\u3000キー", u"", u"シングルクリック\u3000キー []"},
        {"key text with brackets", u"L", u"[", u"L [[]"},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(controller::WheelKeyCaption(c.label, c.key), c.caption);
    }
}

// --- hand-over ---

TEST(HandOver, PayloadEndsWithTwoNulsAndItsSizeIsLengthPlusTwoUnits)
{
    for (const std::u16string &argument : {u""s, u"a"s, u"C:\\Tasks\\メモ帳.KV2"s})
    {
        SCOPED_TRACE(testing::PrintToString(argument));
        const std::u16string payload = controller::HandOverPayload(argument);
        EXPECT_EQ(payload, argument + u'\0' + u'\0');
        EXPECT_EQ(payload.size() * 2, (argument.size() + 2) * 2);
    }
}

TEST(HandOver, PayloadRoundTrips)
{
    const std::u16string arguments[] = {
        u"",
        u"x",
        u"C:\\Tasks\\notepad.KV2",
        u"\"C:\\Program Files\\タスク\\a b.KV2\"",
        u"\U0001F600 surrogate pair",
        std::u16string(30000, u'z'), // well inside the limit once doubled and terminated
    };
    for (const std::u16string &argument : arguments)
    {
        SCOPED_TRACE(argument.size());
        const std::u16string payload = controller::HandOverPayload(argument);
        const std::vector<unsigned char> bytes = Bytes(payload);
        EXPECT_EQ(controller::ReadHandOver(bytes.data(), bytes.size()), std::optional(argument));
    }
}

TEST(HandOver, AHandOverTheSystemRefusedSaysWhy)
{
    EXPECT_EQ(controller::HandOverFailureText(u"C:\\a.exe", false),
              u"C:\\a.exeを管理している実行中のKV2が応答しませんでした。");
    EXPECT_EQ(controller::HandOverFailureText(u"C:\\a.exe", true),
              u"C:\\a.exeを管理している実行中のKV2Aに届きませんでした（管理者の権限で実行中です）。");
}

TEST(HandOver, DecoderReadsTextUpToTheFirstNulOrTheEnd)
{
    struct Case
    {
        const char *name;
        std::u16string data;
        std::optional<std::u16string> argument;
    };
    const Case cases[] = {
        {"only a NUL", u"\0"s, u""},
        {"sender without the extra NUL", u"abc\0"s, u"abc"},
        {"embedded NUL stops the text", u"ab\0cd\0\0"s, u"ab"},
        {"NUL first", u"\0abc\0"s, u""},
        {"no NUL at all", u"abc"s, u"abc"},
        {"high byte set, low byte NUL is no terminator", u"a\u0100b\0"s, u"a\u0100b"},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        const std::vector<unsigned char> bytes = Bytes(c.data);
        EXPECT_EQ(controller::ReadHandOver(bytes.data(), bytes.size()), c.argument);
    }
}

TEST(HandOver, DecoderNeverReadsPastTheGivenSize)
{
    // The bytes after `size` are text, not a terminator: a decoder that read on would take them.
    const std::vector<unsigned char> bytes = Bytes(u"abcdefgh\0"s);
    struct Case
    {
        size_t size;
        std::u16string argument;
    };
    const Case cases[] = {{2, u"a"}, {6, u"abc"}, {16, u"abcdefgh"}};
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.size);
        EXPECT_EQ(controller::ReadHandOver(bytes.data(), c.size), std::optional(c.argument));
    }

    // A heap block of exactly the given size, without any NUL: a sanitizer catches a read beyond.
    const std::vector<unsigned char> exact = Bytes(u"xyz");
    auto *block = new unsigned char[exact.size()];
    std::memcpy(block, exact.data(), exact.size());
    EXPECT_EQ(controller::ReadHandOver(block, exact.size()), std::optional(u"xyz"s));
    delete[] block;
}

TEST(HandOver, DecoderRefusesDataThatIsNoHandOver)
{
    const std::vector<unsigned char> text = Bytes(u"abc\0\0"s);
    struct Case
    {
        const char *name;
        const void *data;
        size_t size;
    };
    const Case cases[] = {
        {"null data", nullptr, 10},   {"null data, no size", nullptr, 0}, {"size 0", text.data(), 0},
        {"odd size", text.data(), 5}, {"one byte", text.data(), 1},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(controller::ReadHandOver(c.data, c.size), std::nullopt);
    }
}

TEST(HandOver, DecoderTakesUpToTheSizeLimitAndRefusesMore)
{
    std::vector<unsigned char> bytes(controller::kHandOverSizeLimit + 4, 'q');
    const auto atLimit = controller::ReadHandOver(bytes.data(), controller::kHandOverSizeLimit);
    ASSERT_TRUE(atLimit.has_value());
    EXPECT_EQ(atLimit->size(), controller::kHandOverSizeLimit / 2);
    EXPECT_EQ(atLimit->front(), u'\x7171');

    // Even when the text would end early, an oversized block is refused as a whole.
    bytes[0] = 'a';
    bytes[1] = 0;
    bytes[2] = 0;
    bytes[3] = 0;
    EXPECT_EQ(controller::ReadHandOver(bytes.data(), controller::kHandOverSizeLimit + 2), std::nullopt);
    EXPECT_EQ(controller::ReadHandOver(bytes.data(), controller::kHandOverSizeLimit + 4), std::nullopt);
}

TEST(HandOver, DecoderReadsUnalignedData)
{
    const std::vector<unsigned char> text = Bytes(u"C:\\a.KV2\0\0"s);
    for (size_t shift : {1u, 3u})
    {
        SCOPED_TRACE(shift);
        std::vector<unsigned char> buffer(shift, 0xEE);
        buffer.insert(buffer.end(), text.begin(), text.end());
        EXPECT_EQ(controller::ReadHandOver(buffer.data() + shift, text.size()), std::optional(u"C:\\a.KV2"s));
    }
}

// --- error log ---

TEST(ErrorLogLine, DateTimeSeparatorAndMessage)
{
    struct Case
    {
        const char *name;
        std::u16string date;
        std::u16string time;
        bool midnight;
        std::u16string message;
        std::u16string line;
    };
    const Case cases[] = {
        {"afternoon", u"2024/3/5", u"14:07:09", false, u"ファイルが見つかりません。",
         u"2024/3/5 14:07:09 : ファイルが見つかりません。"},
        {"midnight leaves out the time", u"2024/3/5", u"0:00:00", true, u"error", u"2024/3/5 : error"},
        {"a second after midnight keeps it", u"2024/3/5", u"0:00:01", false, u"error",
         u"2024/3/5 0:00:01 : error"},
        {"empty message", u"2024/12/31", u"23:59:59", false, u"", u"2024/12/31 23:59:59 : "},
        {"line feed", u"d", u"t", false, u"first\nsecond", u"d t : first second"},
        {"carriage return", u"d", u"t", false, u"first\rsecond", u"d t : first second"},
        {"break at the end", u"d", u"t", false, u"message\n", u"d t : message "},
        {"other control characters stay", u"d", u"t", false, u"a\tb", u"d t : a\tb"},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(controller::ErrorLogLine(c.date, c.time, c.midnight, c.message), c.line);
    }
}

TEST(ErrorLogLine, NoLineBreakSurvivesInAMessage)
{
    const std::u16string message = u"one\r\ntwo\n\nthree\r";
    const std::u16string line = controller::ErrorLogLine(u"2024/3/5", u"1:02:03", false, message);
    EXPECT_EQ(line.find_first_of(u"\r\n"), std::u16string::npos);
    ASSERT_EQ(line.rfind(u"2024/3/5 1:02:03 : one", 0), 0u);
    // The words stay in order, each separated from the next by blanks only.
    const std::u16string rest = line.substr(std::u16string(u"2024/3/5 1:02:03 : ").size());
    std::u16string words;
    for (char16_t c : rest)
        if (c != u' ')
            words.push_back(c);
        else if (!words.empty() && words.back() != u'|')
            words.push_back(u'|');
    EXPECT_EQ(words, u"one|two|three|");
}

// --- marks and enabled states, drawn from the options and the target ---

TEST(MenuModelMarks, EachOptionItemShowsAndFlipsItsOwnOption)
{
    using controller::TrayOptions;
    const std::pair<unsigned, bool TrayOptions::*> items[] = {
        {controller::kPPCaption, &TrayOptions::Caption},
        {controller::kPPMostTop, &TrayOptions::MostTop},
        {controller::kPPNonTaskBar, &TrayOptions::NonTaskBar},
        {controller::kPPWheelKeyEnabled1, &TrayOptions::WheelButton1},
        {controller::kPPWheelKeyEnabled2, &TrayOptions::WheelButton2},
        {controller::kPPMinimize, &TrayOptions::Minimize},
        {controller::kPPLive, &TrayOptions::Live},
        {controller::kPPClickClick, &TrayOptions::Click},
        {controller::kPPPosSize, &TrayOptions::PositionSize},
        {controller::kPPWExec, &TrayOptions::WExecute},
    };
    for (const auto &[id, field] : items)
    {
        controller::MenuInputs inputs;
        for (bool value : {false, true})
        {
            inputs.options.*field = value;
            EXPECT_EQ(controller::MenuItemStateOf(id, inputs).checked, value) << id;
        }
        TrayOptions expected = inputs.options;
        expected.*field = !(expected.*field);
        EXPECT_TRUE(controller::ToggleOption(id, inputs.options)) << id;
        EXPECT_EQ(inputs.options, expected) << id; // that option and no other
    }
    // Commands that are no option change nothing.
    TrayOptions options;
    for (unsigned id :
         {controller::kPPAct, controller::kPPMAX, controller::kPPDisplay0, controller::kPPClose})
        EXPECT_FALSE(controller::ToggleOption(id, options)) << id;
    EXPECT_EQ(options, TrayOptions());
}

TEST(MenuModelMarks, TargetItemsFollowTheTarget)
{
    using controller::MenuInputs;
    struct Case
    {
        const char *name;
        MenuInputs inputs;
        unsigned id;
        controller::MenuItemState expected;
    };
    MenuInputs running;
    running.targetRunning = true;
    MenuInputs sizable = running;
    sizable.targetSizable = true;
    MenuInputs captionless = sizable;
    captionless.captionless = true;
    MenuInputs gone = captionless;
    gone.targetRunning = false;
    MenuInputs oldSystem = running;
    oldSystem.translucencyAvailable = false;
    MenuInputs starting;
    starting.starting = true;
    MenuInputs task;
    task.taskFileGiven = true;
    MenuInputs wheel;
    wheel.options.WheelButton2 = true;
    wheel.options.WheelKey2 = u"F9";
    MenuInputs wheelWithoutKey;
    wheelWithoutKey.options.WheelButton1 = true;
    const Case cases[] = {
        {"no target: close items off", {}, controller::kPPExit, {false, false}},
        {"running: terminate on", running, controller::kPPTERMINATE, {false, true}},
        {"running: priority on", running, controller::kPPPriority, {false, true}},
        {"running: translucency on", running, controller::kPPTrans, {false, true}},
        {"before Windows 2000: no translucency", oldSystem, controller::kPPTrans, {false, false}},
        {"fixed frame: no caption-less maximize", running, controller::kPPMAX, {false, false}},
        {"sizing frame", sizable, controller::kPPMAX, {false, true}},
        {"maximized without title bar", captionless, controller::kPPMAX, {true, true}},
        {"target gone: mark and item go", gone, controller::kPPMAX, {false, false}},
        {"retarget while starting", starting, controller::kPPModify, {false, false}},
        {"retarget otherwise", {}, controller::kPPModify, {false, true}},
        {"editing needs a task file", {}, controller::kPPKV2File, {false, false}},
        {"task file", task, controller::kPPKV2File, {false, true}},
        {"hook reset with a wheel key", wheel, controller::kPPMouseHookReset, {false, true}},
        {"hook reset without a key text", wheelWithoutKey, controller::kPPMouseHookReset, {false, false}},
        {"always there", {}, controller::kPPKV2Close, {false, true}},
    };
    for (const Case &c : cases)
    {
        const controller::MenuItemState state = controller::MenuItemStateOf(c.id, c.inputs);
        EXPECT_EQ(state.checked, c.expected.checked) << c.name;
        EXPECT_EQ(state.enabled, c.expected.enabled) << c.name;
    }
}

TEST(MenuModelMarks, RadioItemsMarkExactlyOne)
{
    const auto marked = [](unsigned first, unsigned last, const controller::MenuInputs &inputs) {
        std::vector<unsigned> ids;
        for (unsigned id = first; id <= last; ++id)
            if (controller::MenuItemStateOf(id, inputs).checked)
                ids.push_back(id);
        return ids;
    };
    controller::MenuInputs inputs;
    EXPECT_EQ(marked(controller::kPPDisplay0, controller::kPPDisplay2, inputs),
              std::vector<unsigned>{controller::kPPDisplay0});
    EXPECT_EQ(marked(controller::kPPPriority0, controller::kPPPriority4, inputs),
              std::vector<unsigned>{controller::kPPPriority0}); // "通常" until the target is asked
    EXPECT_TRUE(marked(controller::kPPTrans10, controller::kPPTrans100, inputs).empty());
    EXPECT_EQ(marked(controller::kPPAutoRestart0, controller::kPPAutoRestart2, inputs),
              std::vector<unsigned>{controller::kPPAutoRestart0});
    inputs.options.AutoRestart = 2;
    EXPECT_EQ(marked(controller::kPPAutoRestart0, controller::kPPAutoRestart2, inputs),
              std::vector<unsigned>{controller::kPPAutoRestart2});
    inputs.options.Display = 2;
    inputs.priorityTag = 3;
    inputs.transTag = 9; // 50%
    EXPECT_EQ(marked(controller::kPPDisplay0, controller::kPPDisplay2, inputs),
              std::vector<unsigned>{controller::kPPDisplay2});
    EXPECT_EQ(marked(controller::kPPPriority0, controller::kPPPriority4, inputs),
              std::vector<unsigned>{controller::kPPPriority0 + 3});
    EXPECT_EQ(marked(controller::kPPTrans10, controller::kPPTrans100, inputs),
              std::vector<unsigned>{controller::kPPTrans10 + 8});
}
