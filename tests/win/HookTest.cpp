// The system hooks for real: middle-button input synthesized with SendInput passes the low-level mouse
// hook, another program's minimize events pass the window-event hook, and wheel key strokes reach
// another program's window.
#include "WinTestSupport.h"

#include "controller/WheelKeyStroke.h"
#include "procwin/WheelGesture.h"
#include "procwin/win/Hook.h"
#include "procwin/win/WindowInfo.h"
#include "ui/win/KeyNames.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

using namespace wintest;
using namespace std::chrono_literals;

namespace
{

// Lets this thread's messages run for `duration`.
void Pump(std::chrono::milliseconds duration)
{
    WaitUntil([] { return false; }, duration);
}

// Long enough for the click timer to expire.
std::chrono::milliseconds PastClickTime()
{
    return std::chrono::milliseconds(procwin::ClickTimerInterval(GetDoubleClickTime()) + 250);
}

// The wheel messages that reached the recorder window, "1" for WM_WHEELKEY1 and "2" for WM_WHEELKEY2.
std::string g_received;

// Handles the wheel messages the way the controller does: the gesture goes back to Idle first.
LRESULT CALLBACK RecorderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == procwin::WM_WHEELKEY1 || message == procwin::WM_WHEELKEY2)
    {
        procwin::ResetWheelGesture();
        g_received += message == procwin::WM_WHEELKEY1 ? '1' : '2';
        if (wParam != 0 || lParam != 0)
            g_received += '?';
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// A topmost window under the mouse pointer: it receives the middle clicks and the wheel messages.
UniqueWindow RecorderWindow()
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = RecorderProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"KV2WheelRecorder";
    RegisterClassExW(&windowClass);
    UniqueWindow window(CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, windowClass.lpszClassName, L"wheel",
                                        WS_POPUP | WS_VISIBLE | WS_BORDER, 40, 40, 240, 160, nullptr, nullptr,
                                        windowClass.hInstance, nullptr));
    SetCursorPos(160, 120);
    return window;
}

void SendMiddle(DWORD flag)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flag;
    EXPECT_EQ(SendInput(1, &input, sizeof(input)), 1u);
}

// Plays 'd' (middle press), 'u' (middle release) and 'w' (wait past the click time), waits once more
// and answers the wheel messages received meanwhile.
std::string PlayWheel(std::string_view steps)
{
    for (char step : steps)
    {
        if (step == 'd' || step == 'u')
            SendMiddle(step == 'd' ? MOUSEEVENTF_MIDDLEDOWN : MOUSEEVENTF_MIDDLEUP);
        else
            Pump(PastClickTime());
    }
    Pump(PastClickTime());
    return std::exchange(g_received, {});
}

struct Active
{
    bool key1;
    bool key2;
};

class MouseHook : public testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_NE(m_window.Get(), nullptr);
        g_received.clear();
        procwin::SetWheelGestures(true, true);
        ASSERT_TRUE(procwin::MouseHookStart(m_window.Get()));
    }
    void TearDown() override
    {
        procwin::MouseHookStop();
        procwin::SetWheelGestures(false, false);
    }

    UniqueWindow m_window = RecorderWindow();
};

using RunningTarget = FixtureTarget;

} // namespace

TEST_F(MouseHook, GesturesPostTheirMessagesToTheNotificationWindow)
{
    struct Case
    {
        Active active;
        const char *steps;
        const char *received;
    };
    const Case cases[] = {
        {{true, true}, "du", ""},         // a short click
        {{true, true}, "dwu", "1"},       // a long press
        {{true, true}, "dudu", "2"},      // a double click
        {{true, true}, "duwdu", ""},      // the second press comes too late: two short clicks
        {{true, true}, "duwdwu", "1"},    // ... or a short click and a long press
        {{true, true}, "dudwudwu", "21"}, // the reset after a double click lets the next gesture count
        {{true, false}, "dududwu", "1"},  // a double click without its gesture: nothing, then Idle
        {{false, true}, "dwududu", "2"},  // a long press without its gesture: nothing, then Idle
        {{false, false}, "dwudu", ""},
    };
    for (const Case &c : cases)
    {
        procwin::SetWheelGestures(c.active.key1, c.active.key2);
        EXPECT_EQ(PlayWheel(c.steps), c.received) << c.steps << " " << c.active.key1 << c.active.key2;
    }
}

TEST_F(MouseHook, StopRemovesTheHookAndStartInstallsItAgain)
{
    EXPECT_TRUE(procwin::IsMouseHookInstalled());
    procwin::MouseHookStop();
    EXPECT_FALSE(procwin::IsMouseHookInstalled());
    procwin::MouseHookStop(); // nothing to remove
    EXPECT_EQ(PlayWheel("dwu"), "");

    ASSERT_TRUE(procwin::MouseHookStart(m_window.Get()));
    EXPECT_TRUE(procwin::MouseHookStart(m_window.Get())); // already installed
    EXPECT_TRUE(procwin::IsMouseHookInstalled());
    EXPECT_EQ(PlayWheel("dwu"), "1");
}

TEST_F(MouseHook, GesturesAreRecognisedWhileTheCallerIsBlocked)
{
    // As while a target starts: the thread that installed the hook does not pump messages.
    SendMiddle(MOUSEEVENTF_MIDDLEDOWN);
    Sleep(static_cast<DWORD>(PastClickTime().count()));
    SendMiddle(MOUSEEVENTF_MIDDLEUP);
    Sleep(200);
    EXPECT_EQ(PlayWheel(""), "1");
}

TEST(WinEventHook, ReportsAnotherProgramsWindowMinimizingAndRestoring)
{
    RunningTarget target(u"--notify-minimize");
    ASSERT_NE(target.Window(), nullptr);
    std::vector<std::pair<char, HWND>> events;
    procwin::MinimizeHandlers handlers;
    handlers.onMinimizeStart = [&](HWND window) { events.emplace_back('s', window); };
    handlers.onMinimizeEnd = [&](HWND window) { events.emplace_back('e', window); };
    ASSERT_TRUE(procwin::WinEventHookStart(std::move(handlers)));
    EXPECT_TRUE(procwin::IsWinEventHookInstalled());

    // The same events for a window of this process are not reported.
    UniqueWindow own(CreateWindowExW(0, L"STATIC", L"own", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                                     nullptr, nullptr, nullptr));
    NotifyWinEvent(EVENT_SYSTEM_MINIMIZESTART, own.Get(), OBJID_WINDOW, CHILDID_SELF);
    NotifyWinEvent(EVENT_SYSTEM_MINIMIZEEND, own.Get(), OBJID_WINDOW, CHILDID_SELF);

    ShowWindow(target.Window(), SW_MINIMIZE);
    EXPECT_TRUE(WaitUntil([&] { return !events.empty(); }, 10s));
    ShowWindow(target.Window(), SW_RESTORE);
    EXPECT_TRUE(WaitUntil([&] { return events.size() >= 2; }, 10s));
    Pump(300ms);
    const std::vector<std::pair<char, HWND>> expected = {{'s', target.Window()}, {'e', target.Window()}};
    EXPECT_EQ(events, expected);

    procwin::WinEventHookStop();
    EXPECT_FALSE(procwin::IsWinEventHookInstalled());
    ShowWindow(target.Window(), SW_MINIMIZE);
    EXPECT_TRUE(WaitUntil([&] { return IsIconic(target.Window()) != FALSE; }, 10s));
    Pump(300ms);
    EXPECT_EQ(events, expected);
}

TEST(WinEventHook, AnErrorInAHandlerGoesToTheErrorHandler)
{
    RunningTarget target(u"--notify-minimize");
    ASSERT_NE(target.Window(), nullptr);
    std::string error;
    procwin::MinimizeHandlers handlers;
    handlers.onMinimizeStart = [](HWND) { throw std::runtime_error("minimize failed"); };
    handlers.onError = [&](std::exception_ptr e) {
        try
        {
            std::rethrow_exception(e);
        }
        catch (const std::exception &caught)
        {
            error = caught.what();
        }
    };
    ASSERT_TRUE(procwin::WinEventHookStart(std::move(handlers)));
    ShowWindow(target.Window(), SW_MINIMIZE);
    EXPECT_TRUE(WaitUntil([&] { return !error.empty(); }, 10s));
    EXPECT_EQ(error, "minimize failed");
    procwin::WinEventHookStop();
}

TEST(SendWheelKey, TypesTheKeyStrokeIntoTheForegroundWindow)
{
    TempFolder folder;
    const std::u16string log = folder / u"keys.log";
    RunningTarget target(u"--keylog \"" + log + u"\"");
    ASSERT_NE(target.Window(), nullptr);
    ASSERT_TRUE(procwin::ForceForeground(target.Window()));

    struct Case
    {
        const char16_t *text;
        const char *lines;
    };
    // Alt comes as WM_SYSKEYDOWN or WM_KEYDOWN depending on Ctrl; only the order matters here.
    const Case cases[] = {
        {u"Shift+Ctrl+Alt+F9", "down 0x10|down 0x11|down 0x12|down 0x78|up 0x78|up 0x12|up 0x11|up 0x10|"},
        {u"Ctrl+B", "down 0x11|down 0x42|up 0x42|up 0x11|"},
        {u"F9", "down 0x78|up 0x78|"},
        {u"Shift+Nonsense", "down 0x00|up 0x00|"},
    };
    std::string seen;
    for (const Case &c : cases)
    {
        procwin::SendWheelKey(controller::WheelKeyStroke(c.text, ui::LayoutKeyNames()));
        std::string lines;
        const auto read = [&] {
            lines.clear();
            for (char ch : ReadBytes(log).substr(seen.size()))
                lines += ch == '\n' ? '|' : ch;
            for (size_t at; (at = lines.find("sys")) != std::string::npos;)
                lines.erase(at, 3);
            return lines.size() >= std::string_view(c.lines).size();
        };
        EXPECT_TRUE(WaitUntil(read, 5s)) << lines;
        Pump(200ms);
        read();
        EXPECT_EQ(lines, c.lines) << common::Utf16ToUtf8(c.text);
        seen = ReadBytes(log);
    }
    EXPECT_EQ(GetForegroundWindow(), target.Window());
}
