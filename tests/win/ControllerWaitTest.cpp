#include "controller/win/ControllerWait.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace
{

using controller::ControllerWait;

bool g_flag = false;

void CALLBACK SetFlag(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    g_flag = true;
}

HANDLE g_event = nullptr;

void CALLBACK SignalEvent(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    SetEvent(g_event);
}

} // namespace

// While nothing happens the wait looks ever more seldom: a 2 s wait with a first interval of 20 ms and
// a limit of 500 ms makes a handful of passes, not the hundred a fixed 20 ms poll would make.
TEST(ControllerWait, PassesThinOutWhileNothingHappens)
{
    ControllerWait wait;
    int passes = 0;
    const ULONGLONG start = GetTickCount64();
    wait.Run(
        [&] {
            ++passes;
            return GetTickCount64() - start >= 2000;
        },
        {}, {.pollInterval = 20, .pollLimit = 500});
    EXPECT_GE(passes, 4);
    EXPECT_LE(passes, 12);
}

// An event or a signalled object makes the pass run at once, long before the next look of its own.
TEST(ControllerWait, EventsAndSignalledObjectsRunThePassAtOnce)
{
    for (const bool byObject : {false, true})
    {
        g_flag = false;
        g_event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        ASSERT_NE(g_event, nullptr);
        ASSERT_NE(SetTimer(nullptr, 0, 200, byObject ? SignalEvent : SetFlag), 0u);
        const HANDLE handles[] = {g_event};
        bool taken = false;
        ControllerWait wait;
        const ULONGLONG start = GetTickCount64();
        wait.Run([&] { return g_flag || WaitForSingleObject(g_event, 0) == WAIT_OBJECT_0; }, {},
                 {.eventCame =
                      [&] {
                          const bool came = g_flag && !taken;
                          taken = taken || came;
                          return came;
                      },
                  .pollInterval = 5000,
                  .pollLimit = 5000,
                  .handles = byObject ? std::span<const HANDLE>(handles) : std::span<const HANDLE>()});
        const ULONGLONG elapsed = GetTickCount64() - start;
        CloseHandle(g_event);
        EXPECT_GE(elapsed, 150u) << byObject;
        EXPECT_LT(elapsed, 3000u) << byObject; // the next look of its own would come after 5 s
    }
}

// A stop request from a command handled during the wait ends it.
TEST(ControllerWait, StopEndsTheWaitFromWithin)
{
    ControllerWait wait;
    g_flag = false;
    ASSERT_NE(SetTimer(nullptr, 0, 100, SetFlag), 0u);
    const ULONGLONG start = GetTickCount64();
    wait.Run([] { return false; }, [&] {
        if (g_flag)
            wait.Stop();
        return false;
    }, {.pollInterval = 5000, .pollLimit = 5000});
    EXPECT_TRUE(wait.Stopped());
    EXPECT_LT(GetTickCount64() - start, 3000u);
}
