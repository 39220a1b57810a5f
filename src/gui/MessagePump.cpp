#include "gui/MessagePump.h"

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

} // namespace

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
        // Returns at once while messages wait, even those an earlier look at the queue has seen.
        const DWORD woken = MsgWaitForMultipleObjectsEx(count, options.handles.data(), sleep, QS_ALLINPUT,
                                                        MWMO_INPUTAVAILABLE);
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
