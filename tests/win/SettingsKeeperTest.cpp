// Putting back what a target program resets, answered from the window's own change events (no tick
// runs here), with a real fixture program.
#include "WinTestSupport.h"

#include "controller/win/SettingsKeeper.h"
#include "gui/MessagePump.h"
#include "procwin/win/WindowEffects.h"

#include <gtest/gtest.h>

using namespace wintest;
using namespace std::chrono_literals;
using controller::SettingsKeeper;

namespace
{

constexpr DWORD kGuardMs = 5000; // no wait here should come near it
const std::u16string kFixed = u"Fixed caption";

// A fixture window followed by a keeper of a fixed caption that counts its looks and what it put back.
struct KeptTarget
{
    // Followed once the program has shown its window, so that the events of its own show are over.
    explicit KeptTarget(const std::u16string &arguments) : target(arguments), window(target.Window())
    {
        keeper.Follow(window);
    }

    FixtureTarget target;
    HWND window = nullptr;
    int looks = 0;
    int putBack = 0;
    SettingsKeeper keeper{[this](HWND followed) {
        ++looks;
        if (WindowText(followed) == kFixed)
            return false;
        ++putBack;
        procwin::SetCaption(followed, kFixed);
        return true;
    }};
};

} // namespace

TEST(SettingsKeeper, AnAnnouncedResetIsPutBackAtOnceAndItsOwnChangeIsNotAnswered)
{
    KeptTarget keeping(u"--notify-changes");
    const HWND window = keeping.window;
    ASSERT_NE(window, nullptr);

    SetWindowTextW(window, L"Reset by the program");
    EXPECT_EQ(gui::PumpUntil([&] { return WindowText(window) == kFixed; }, {.timeout = kGuardMs}),
              gui::PumpEnd::Condition);
    gui::PumpUntil({}, {.timeout = 1000});
    // The put-back raised an event of its own: looked at, nothing to do.
    EXPECT_EQ(keeping.putBack, 1);
    EXPECT_GE(keeping.looks, 2);

    // Following no window: the next reset stays.
    keeping.keeper.Follow(nullptr);
    SetWindowTextW(window, L"Reset again");
    keeping.keeper.Look();
    gui::PumpUntil({}, {.timeout = 1000});
    EXPECT_EQ(WindowText(window), u"Reset again");
    EXPECT_EQ(keeping.putBack, 1);

    // A look without an event (the monitor's tick) puts back at once.
    keeping.keeper.Follow(window);
    keeping.keeper.Look();
    EXPECT_EQ(WindowText(window), kFixed);
}

TEST(SettingsKeeper, AProgramThatKeepsResettingIsAnsweredOnlyAFewTimesASecond)
{
    // Renamed every 10 ms, and announced: without a pace this would be a hundred put-backs a second.
    KeptTarget keeping(u"--notify-changes --retitle 10");
    ASSERT_NE(keeping.window, nullptr);
    gui::PumpUntil({}, {.timeout = 3000});
    // At once, then after 50, 100, 200 ms and every 400 ms: about eleven in three seconds.
    EXPECT_GE(keeping.putBack, 5);
    EXPECT_LE(keeping.putBack, 14);
}
