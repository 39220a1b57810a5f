#include "gui/MessagePump.h"

#include <algorithm>
#include <array>
#include <optional>

namespace gui
{

namespace
{

// Posts the WM_QUIT kept during a wait again when the wait is over, however it ends.
class KeptQuit
{
  public:
    KeptQuit() = default;
    KeptQuit(const KeptQuit &) = delete;
    KeptQuit &operator=(const KeptQuit &) = delete;
    ~KeptQuit()
    {
        if (m_exitCode)
            PostQuitMessage(*m_exitCode);
    }
    void Keep(const MSG &quit) noexcept
    {
        m_exitCode = static_cast<int>(quit.wParam);
    }

  private:
    std::optional<int> m_exitCode;
};

// The objects the user-interface thread's loops watch (PostWhenSignalled); a fixed array, as a wait
// takes no more than MAXIMUM_WAIT_OBJECTS.
struct Watched
{
    HWND window;
    UINT message;
    WPARAM wParam;
};
constexpr std::size_t kMostWatched = 8;
std::array<HANDLE, kMostWatched> g_watchedObjects{};
std::array<Watched, kMostWatched> g_watched{};
std::size_t g_watchedCount = 0;

void Unwatch(std::size_t index) noexcept
{
    --g_watchedCount;
    g_watchedObjects[index] = g_watchedObjects[g_watchedCount];
    g_watched[index] = g_watched[g_watchedCount];
}

} // namespace

bool PostWhenSignalled(HANDLE object, HWND window, UINT message, WPARAM wParam)
{
    if (g_watchedCount == kMostWatched)
        return false;
    g_watchedObjects[g_watchedCount] = object;
    g_watched[g_watchedCount] = {window, message, wParam};
    ++g_watchedCount;
    return true;
}

void StopWatching(HANDLE object) noexcept
{
    for (std::size_t i = 0; i < g_watchedCount; ++i)
    {
        if (g_watchedObjects[i] == object)
            Unwatch(i);
    }
}

DWORD WaitForInput(std::span<const HANDLE> handles, DWORD timeout)
{
    std::array<HANDLE, MAXIMUM_WAIT_OBJECTS - 1> all;
    const std::size_t count = std::min(handles.size(), all.size() - kMostWatched);
    std::copy_n(handles.begin(), count, all.begin());
    std::copy_n(g_watchedObjects.begin(), g_watchedCount, all.begin() + count);
    const auto total = static_cast<DWORD>(count + g_watchedCount);
    const DWORD woken =
        MsgWaitForMultipleObjectsEx(total, all.data(), timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (woken == WAIT_FAILED && g_watchedCount != 0)
    {
        // A watched object closed too early must not turn every wait into a failure: the watches end
        // (their owners still see the end when they ask), the caller's own wait goes on.
        g_watchedCount = 0;
        return WaitForInput(handles, timeout);
    }
    if (woken >= WAIT_OBJECT_0 + count && woken < WAIT_OBJECT_0 + total)
    {
        const std::size_t index = woken - WAIT_OBJECT_0 - count;
        const Watched watched = g_watched[index];
        Unwatch(index);
        PostMessageW(watched.window, watched.message, watched.wParam, 0);
        return WAIT_OBJECT_0 + static_cast<DWORD>(count); // as for a message
    }
    return woken;
}

PumpEnd PumpUntil(const std::function<bool()> &done, const PumpOptions &options)
{
    const auto holds = [&] { return done && done(); };
    const ULONGLONG start = GetTickCount64();
    const auto count = static_cast<DWORD>(options.handles.size());
    KeptQuit quit;
    for (bool first = true;; first = false)
    {
        if (holds())
            return PumpEnd::Condition;
        DWORD sleep = options.pollInterval;
        if (options.timeout != INFINITE)
        {
            const ULONGLONG elapsed = GetTickCount64() - start;
            if (!first && elapsed >= options.timeout)
                return PumpEnd::Deadline;
            const ULONGLONG remaining = elapsed >= options.timeout ? 0 : options.timeout - elapsed;
            if (remaining < sleep)
                sleep = static_cast<DWORD>(remaining);
        }
        const DWORD woken = WaitForInput(options.handles, sleep);
        if (woken == WAIT_FAILED)
            return PumpEnd::Failed;
        if (woken < WAIT_OBJECT_0 + count || (woken >= WAIT_ABANDONED_0 && woken < WAIT_ABANDONED_0 + count))
            return PumpEnd::Signalled;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        {
            if (message.message == WM_QUIT)
            {
                quit.Keep(message);
                if (options.quitEnds)
                    return PumpEnd::Quit;
                continue;
            }
            if (!options.preTranslate || !options.preTranslate(message))
            {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
            if (options.checkEachMessage && holds())
                return PumpEnd::Condition;
        }
    }
}

void WakePump(HWND window)
{
    PostMessageW(window, WM_NULL, 0, 0);
}

} // namespace gui
