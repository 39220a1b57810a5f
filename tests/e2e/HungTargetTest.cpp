// A target whose user-interface thread stops answering never stalls KV2. KV2 is driven by posted
// commands only: a thread stuck in a send to the hung target still answers messages sent to it, so only
// a posted command shows whether KV2 goes on.
#include "Kv2Scenario.h"

#include "controller/MenuModel.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace e2e;
using namespace wintest;
using namespace controller;

namespace
{

// The fixture's request to hang (see tests/fixtures/Target.cpp).
constexpr UINT kHangMessage = WM_APP + 1;
const std::u16string kFixedCaption = u"固定された題名";

// The visible main window of a fixture process other than `notProcess`, once KV2 has fixed its caption
// (so it is attached).
HWND WaitForAttachedTarget(DWORD notProcess)
{
    HWND target = nullptr;
    WaitUntil(
        [&] {
            target = FindWindowW(L"KV2TargetWindow", nullptr);
            return target != nullptr && ProcessOf(target) != notProcess && IsWindowVisible(target) &&
                   WindowText(target) == kFixedCaption;
        },
        20s);
    return target;
}

// Asks the target to hang and waits for its new caption, the last thing it does before it stops.
bool Hang(const Scenario &scenario, HWND target)
{
    PostMessageW(target, kHangMessage, 0, 0);
    return WaitUntil([&] { return WindowText(target) == scenario.Title() + u" (hung)"; }, 5s);
}

bool GoesToTheTray(HWND target)
{
    ShowWindow(target, SW_MINIMIZE);
    return WaitUntil([&] { return !IsWindowVisible(target); }, 5s);
}

} // namespace

TEST(HungTarget, NeverStallsKv2AndCatchesUpWhenItAnswersAgain)
{
    const std::u16string wakeName =
        u"KV2HungTargetWake." + common::Utf8ToUtf16(std::to_string(GetCurrentProcessId()));
    const common::win::UniqueHandle wake(CreateEventW(nullptr, FALSE, FALSE, W(wakeName)));
    ASSERT_TRUE(wake);
    Scenario scenario("[Tray Option]\r\nCaption=1\r\nEdit=" + common::Utf16ToUtf8(kFixedCaption) +
                          "\r\nMinimize=1\r\nLive=1\r\n",
                      "--hangable " + common::Utf16ToUtf8(wakeName));
    scenario.Start();
    HWND target = WaitForAttachedTarget(0);
    ASSERT_NE(target, nullptr);

    // Hung after a new title, which KV2 would fix: a command is still handled (it stores its option),
    // and "強制終了" ends the hung target.
    ASSERT_TRUE(Hang(scenario, target));
    scenario.Command(kPPMostTop);
    ASSERT_EQ(scenario.OptionOnceSaved(u"MostTop", u"1", 5s), u"1");
    const DWORD first = ProcessOf(target);
    scenario.Command(kPPTERMINATE);
    EXPECT_TRUE(ProcessEnded(first, 10s));

    // A new target hangs while it is hidden in the tray: "起動/表示" and a translucency step do not wait
    // for it...
    scenario.Command(kPPAct);
    target = WaitForAttachedTarget(first);
    ASSERT_NE(target, nullptr);
    ASSERT_TRUE(GoesToTheTray(target));
    ASSERT_TRUE(Hang(scenario, target));
    scenario.Command(kPPAct);
    scenario.Command(kPPTrans10 - 1 + 9); // 50 %
    ASSERT_EQ(scenario.OptionOnceSaved(u"TransValue", u"50", 5s), u"50");
    // ...and take effect, as the fixed caption does, once it answers again.
    SetEvent(wake.Get());
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(target) && !IsIconic(target); }, 5s));
    EXPECT_TRUE(WaitUntil([&] { return WindowText(target) == kFixedCaption; }, 5s));
    EXPECT_TRUE(WaitUntil([&] { return std::abs(TransPercent(target) - 50) <= 1; }, 5s));

    // "KV2を閉じる" beside a hung target hidden in the tray ends KV2; the target shows once it answers.
    ASSERT_TRUE(GoesToTheTray(target));
    ASSERT_TRUE(Hang(scenario, target));
    scenario.Command(kPPKV2Close);
    EXPECT_EQ(scenario.Kv2Process().WaitForExit(10s), 0u);
    SetEvent(wake.Get());
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(target) != FALSE; }, 5s));
}
