// The nested message loop on a real queue: what ends a wait and what runs inside it.
#include "gui/MessagePump.h"

#include "common/win/Unique.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using gui::PumpEnd;
using gui::PumpUntil;

namespace
{

constexpr DWORD kLong = 10000; // a guard: no wait in these tests should come near it

// A message-only window that counts the WM_APP messages it is given, posted or sent.
class CountingWindow
{
  public:
    CountingWindow()
    {
        static const ATOM atom = [] {
            WNDCLASSW windowClass{};
            windowClass.lpfnWndProc = Procedure;
            windowClass.hInstance = GetModuleHandleW(nullptr);
            windowClass.lpszClassName = L"KV2PumpTestWindow";
            return RegisterClassW(&windowClass);
        }();
        m_window = CreateWindowExW(0, MAKEINTATOM(atom), nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
        SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&m_count));
    }
    ~CountingWindow()
    {
        DestroyWindow(m_window);
    }
    void Post(int times = 1) const
    {
        for (int i = 0; i < times; ++i)
            PostMessageW(m_window, WM_APP, 0, 0);
    }
    HWND Handle() const
    {
        return m_window;
    }
    int Count() const
    {
        return m_count;
    }

  private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept
    {
        if (message != WM_APP)
            return DefWindowProcW(window, message, wParam, lParam);
        ++*reinterpret_cast<std::atomic<int> *>(GetWindowLongPtrW(window, GWLP_USERDATA));
        return 0;
    }

    HWND m_window = nullptr;
    std::atomic<int> m_count{0};
};

// Takes a WM_QUIT from this thread's queue; -1 when there is none.
int TakeQuit()
{
    MSG message;
    return PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) ? static_cast<int>(message.wParam)
                                                                        : -1;
}

const auto kNever = [] { return false; };

} // namespace

TEST(PumpUntil, PostedMessagesRunInsideTheWaitUntilTheConditionHolds)
{
    const struct
    {
        bool checkEachMessage;
        int expectedRun;
    } cases[] = {{true, 2}, {false, 5}}; // asked after each message, or once the queue is empty
    for (const auto &c : cases)
    {
        CountingWindow window;
        window.Post(5);
        EXPECT_EQ(PumpUntil([&] { return window.Count() >= 2; },
                            {.timeout = kLong, .checkEachMessage = c.checkEachMessage}),
                  PumpEnd::Condition);
        EXPECT_EQ(window.Count(), c.expectedRun) << "checkEachMessage " << c.checkEachMessage;
        PumpUntil(nullptr, {.timeout = 0});
    }
}

TEST(PumpUntil, TheTimeoutEndsTheWaitAfterTheWaitingMessagesRan)
{
    for (const DWORD timeout : {DWORD{0}, DWORD{200}})
    {
        CountingWindow window;
        window.Post();
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(PumpUntil(kNever, {.timeout = timeout}), PumpEnd::Deadline);
        const auto waited = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(window.Count(), 1);
        EXPECT_GE(waited, std::chrono::milliseconds(timeout) - std::chrono::milliseconds(20));
        EXPECT_LT(waited, std::chrono::milliseconds(timeout) + std::chrono::seconds(5));
    }
}

TEST(PumpUntil, AQuitMeanwhileIsPostedAgainAfterTheWait)
{
    const struct
    {
        bool quitEnds;
        PumpEnd expected;
    } cases[] = {{true, PumpEnd::Quit}, {false, PumpEnd::Deadline}};
    for (const auto &c : cases)
    {
        CountingWindow window;
        window.Post();
        PostQuitMessage(7);
        EXPECT_EQ(PumpUntil(kNever, {.timeout = c.quitEnds ? kLong : 300, .quitEnds = c.quitEnds}),
                  c.expected);
        EXPECT_EQ(window.Count(), 1);
        EXPECT_EQ(TakeQuit(), 7) << "quitEnds " << c.quitEnds;
        EXPECT_EQ(TakeQuit(), -1);
    }
}

TEST(PumpUntil, ASignalledHandleEndsTheWait)
{
    const common::win::UniqueHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(event);
    std::thread signaller([&] {
        Sleep(50);
        SetEvent(event.Get());
    });
    const HANDLE handles[] = {event.Get()};
    EXPECT_EQ(PumpUntil(kNever, {.timeout = kLong, .handles = handles}), PumpEnd::Signalled);
    signaller.join();
}

TEST(PumpUntil, AConditionChangedWithoutAPostedMessageIsSeen)
{
    // Changed in a message sent from another thread, which runs without a message being dispatched;
    // or by another thread alone, which only the poll interval notices: it asks again and again.
    CountingWindow window;
    std::thread sender([&] { SendMessageW(window.Handle(), WM_APP, 0, 0); });
    EXPECT_EQ(PumpUntil([&] { return window.Count() == 1; }, {.timeout = kLong}), PumpEnd::Condition);
    sender.join();

    int asked = 0;
    EXPECT_EQ(PumpUntil([&] { return ++asked, false; }, {.timeout = 1000, .pollInterval = 20}),
              PumpEnd::Deadline);
    EXPECT_GE(asked, 5); // about 50 polls
}
