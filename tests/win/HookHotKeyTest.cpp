// System-wide hot keys registered for real and pressed with synthesized keyboard input.
#include "WinTestSupport.h"

#include "gui/Application.h"
#include "ui/win/HookHotKey.h"
#include "gui/SimpleTimer.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

using namespace wintest;
using namespace std::chrono_literals;
using ui::ShortCut;
using ui::THookHotKey;

namespace
{

// Combinations no other program of the test session uses. The pressed ones avoid Alt, whose release
// could open the menu of whatever window has the focus.
constexpr ShortCut kCtrlShiftF13 = VK_F13 | ui::kCtrlBit | ui::kShiftBit;
constexpr ShortCut kCtrlF14 = VK_F14 | ui::kCtrlBit;
constexpr ShortCut kShiftF15 = VK_F15 | ui::kShiftBit;
constexpr ShortCut kCtrlShiftF16 = VK_F16 | ui::kCtrlBit | ui::kShiftBit;

// The system's modifier flags and key code for a shortcut value.
struct Combination
{
    UINT modifiers;
    UINT key;
};
Combination SystemCombination(ShortCut value)
{
    unsigned key = 0;
    ui::ShiftState shift;
    ui::ShortCutToKey(value, key, shift);
    return {(shift.alt ? MOD_ALT : 0u) | (shift.ctrl ? MOD_CONTROL : 0u) | (shift.shift ? MOD_SHIFT : 0u),
            key};
}

// Presses and releases the combination as keyboard input of the session.
void Press(ShortCut value)
{
    const Combination combination = SystemCombination(value);
    std::vector<WORD> keys;
    for (const auto &[flag, modifier] :
         {std::pair{MOD_CONTROL, VK_CONTROL}, {MOD_SHIFT, VK_SHIFT}, {MOD_ALT, VK_MENU}})
        if ((combination.modifiers & flag) != 0)
            keys.push_back(static_cast<WORD>(modifier));
    keys.push_back(static_cast<WORD>(combination.key));
    // Every key down in order, then up in reverse order.
    std::vector<INPUT> inputs(keys.size() * 2);
    for (size_t i = 0; i < keys.size(); ++i)
    {
        INPUT &down = inputs[i];
        INPUT &up = inputs[inputs.size() - 1 - i];
        down.type = up.type = INPUT_KEYBOARD;
        down.ki.wVk = up.ki.wVk = keys[i];
        up.ki.dwFlags = KEYEVENTF_KEYUP;
    }
    ASSERT_EQ(SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)), inputs.size());
}

// A hot-key component that records the indexes it reports.
struct Recorder
{
    explicit Recorder(HWND owner = nullptr) : hotKey(owner)
    {
        hotKey.SetOnHotKey([this](int index) {
            indexes.push_back(index);
            foreground.push_back(GetForegroundWindow());
        });
    }
    // Presses the combination and waits until it has been reported.
    bool PressAndWait(ShortCut value)
    {
        const size_t before = indexes.size();
        Press(value);
        return WaitUntil([&] { return indexes.size() > before; }, 5s);
    }

    THookHotKey hotKey;
    std::vector<int> indexes;
    std::vector<HWND> foreground;
};

// Whether the combination is free: the test's own registration of it succeeds (and is undone).
bool IsFree(UINT modifiers, UINT key)
{
    const bool registered = RegisterHotKey(nullptr, 0xB00, modifiers, key) != FALSE;
    if (registered)
        UnregisterHotKey(nullptr, 0xB00);
    return registered;
}

bool IsFree(ShortCut value)
{
    const Combination combination = SystemCombination(value);
    return IsFree(combination.modifiers, combination.key);
}

UniqueWindow ShownWindow(const wchar_t *caption, int left)
{
    return UniqueWindow(CreateWindowExW(0, L"STATIC", caption, WS_POPUP | WS_VISIBLE | WS_BORDER, left, 100,
                                        200, 100, nullptr, nullptr, nullptr, nullptr));
}

} // namespace

TEST(THookHotKey, APressedHotKeyIsReportedWithItsIndex)
{
    struct Case
    {
        int index;
        ShortCut value;
    };
    const Case cases[] = {{1, kCtrlShiftF13}, {7, kCtrlF14}, {0x42, kShiftF15}};
    Recorder recorder;
    for (const Case &c : cases)
        ASSERT_TRUE(recorder.hotKey.Add(c.index, c.value)) << c.index;
    std::vector<int> expected;
    for (const Case &c : cases)
    {
        EXPECT_TRUE(recorder.PressAndWait(c.value)) << c.index;
        expected.push_back(c.index);
    }
    EXPECT_EQ(recorder.indexes, expected);
}

TEST(THookHotKey, ShiftCtrlAndAltBecomeTheSystemModifiers)
{
    struct Case
    {
        ShortCut value;
        UINT modifiers;
    };
    const Case cases[] = {
        {VK_F17, 0},
        {VK_F17 | ui::kShiftBit, MOD_SHIFT},
        {VK_F17 | ui::kCtrlBit, MOD_CONTROL},
        {VK_F17 | ui::kAltBit, MOD_ALT},
        {VK_F17 | ui::kShiftBit | ui::kCtrlBit | ui::kAltBit, MOD_SHIFT | MOD_CONTROL | MOD_ALT},
        {'K' | ui::kCtrlBit | ui::kAltBit, MOD_CONTROL | MOD_ALT},
    };
    THookHotKey hotKey;
    for (const Case &c : cases)
    {
        const UINT key = c.value & 0xFFu;
        ASSERT_TRUE(IsFree(c.modifiers, key)) << c.value;
        ASSERT_TRUE(hotKey.Add(3, c.value)) << c.value;
        EXPECT_FALSE(IsFree(c.modifiers, key)) << c.value;
        EXPECT_TRUE(IsFree(c.modifiers ^ MOD_SHIFT, key))
            << c.value << ": only the given modifiers are taken";
        EXPECT_TRUE(hotKey.Delete(3)) << c.value;
        EXPECT_TRUE(IsFree(c.modifiers, key)) << c.value;
    }
}

TEST(THookHotKey, ACombinationHeldElsewhereIsRefusedQuietly)
{
    Recorder first;
    Recorder second;
    ASSERT_TRUE(first.hotKey.Add(1, kCtrlShiftF13));
    EXPECT_FALSE(second.hotKey.Add(1, kCtrlShiftF13));
    EXPECT_FALSE(second.hotKey.Delete(1)) << "nothing was registered";
    EXPECT_TRUE(first.PressAndWait(kCtrlShiftF13));
    EXPECT_EQ(first.indexes, std::vector<int>{1});
    EXPECT_TRUE(second.indexes.empty());
}

TEST(THookHotKey, DeleteChangeAndApply)
{
    // Each step on the component under test, then which combinations it holds afterwards.
    struct Step
    {
        const char *name;
        bool (*action)(THookHotKey &);
        bool expected;
        bool holdsF13, holdsF14;
    };
    const Step steps[] = {
        {"add", [](THookHotKey &h) { return h.Add(5, kCtrlShiftF13); }, true, true, false},
        {"change", [](THookHotKey &h) { return h.Change(5, kCtrlF14); }, true, false, true},
        {"delete", [](THookHotKey &h) { return h.Delete(5); }, true, false, false},
        {"delete again", [](THookHotKey &h) { return h.Delete(5); }, false, false, false},
        {"change of a deleted index adds", [](THookHotKey &h) { return h.Change(5, kCtrlShiftF13); }, false,
         true, false},
        {"apply on", [](THookHotKey &h) { return h.Apply(5, kCtrlF14, true); }, true, false, true},
        {"apply off", [](THookHotKey &h) { return h.Apply(5, kCtrlF14, false); }, true, false, false},
        {"apply off again", [](THookHotKey &h) { return h.Apply(5, kCtrlF14, false); }, false, false, false},
    };
    THookHotKey hotKey;
    for (const Step &s : steps)
    {
        EXPECT_EQ(s.action(hotKey), s.expected) << s.name;
        EXPECT_EQ(IsFree(kCtrlShiftF13), !s.holdsF13) << s.name;
        EXPECT_EQ(IsFree(kCtrlF14), !s.holdsF14) << s.name;
    }
}

TEST(THookHotKey, AChangeToACombinationHeldElsewhereFails)
{
    THookHotKey other;
    ASSERT_TRUE(other.Add(1, kCtrlF14));
    THookHotKey hotKey;
    ASSERT_TRUE(hotKey.Add(2, kCtrlShiftF13));
    EXPECT_FALSE(hotKey.Change(2, kCtrlF14));
    EXPECT_TRUE(IsFree(kCtrlShiftF13)) << "the old combination was released";
}

TEST(THookHotKey, DestructionReleasesEveryCombination)
{
    {
        THookHotKey hotKey;
        ASSERT_TRUE(hotKey.Add(1, kCtrlShiftF13));
        ASSERT_TRUE(hotKey.Add(2, kCtrlShiftF16));
    }
    EXPECT_TRUE(IsFree(kCtrlShiftF13));
    EXPECT_TRUE(IsFree(kCtrlShiftF16));
}

TEST(THookHotKey, ActivateBringsTheOwnerForwardBeforeTheEvent)
{
    const UniqueWindow owner = ShownWindow(L"hot-key owner", 100);
    const UniqueWindow other = ShownWindow(L"other window", 400);
    ASSERT_TRUE(owner && other);
    for (const bool activate : {true, false})
    {
        Recorder recorder(owner.Get());
        EXPECT_TRUE(recorder.hotKey.Activate()) << "the default";
        recorder.hotKey.SetActivate(activate);
        ASSERT_TRUE(recorder.hotKey.Add(1, kCtrlShiftF16));
        SetForegroundWindow(other.Get());
        ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == other.Get(); }, 5s));
        ASSERT_TRUE(recorder.PressAndWait(kCtrlShiftF16)) << activate;
        EXPECT_EQ(recorder.foreground.back(), activate ? owner.Get() : other.Get()) << activate;
    }
}

TEST(THookHotKey, AnErrorInTheEventGoesToTheApplicationOnly)
{
    gui::Application &application = gui::Application::Instance();
    std::string caught;
    application.SetExceptionHandler([&](std::exception_ptr error) {
        try
        {
            std::rethrow_exception(error);
        }
        catch (const std::exception &e)
        {
            caught = e.what();
        }
        application.Terminate(0);
    });
    // Ends the loop should the error never arrive.
    gui::TSimpleTimer watchdog(10000, [&] { application.Terminate(1); });
    watchdog.SetAutoDisable(true);
    watchdog.Start();

    THookHotKey hotKey;
    hotKey.SetOnHotKey([](int index) { throw std::runtime_error("hot key " + std::to_string(index)); });
    ASSERT_TRUE(hotKey.Add(9, kCtrlShiftF16));
    Press(kCtrlShiftF16);
    EXPECT_EQ(application.Run(), 0);
    EXPECT_EQ(caught, "hot key 9");
    application.SetExceptionHandler(nullptr);
}
