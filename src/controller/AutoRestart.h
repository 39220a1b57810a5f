// Keeping the target running: which ends of its process start it again ("自動再起動"), after what
// pause, and when KV2 gives up. Portable: the controller feeds it the ends it sees and the user's
// requests, and starts the program when it says so.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

namespace controller
{

// The option `AutoRestart`: 0 never, 1 after an abnormal end, 2 after every end.
enum class RestartMode : std::int32_t
{
    Never = 0,
    OnFailure = 1,
    OnEnd = 2,
};

// Whether a process's exit code says the program failed: an exception or error status (0xC0000000 and
// above) other than 0xC000013A (its console closed by the user), a fatal application exit
// (0x40000015), or abort's 3.
bool IsAbnormalExit(std::uint32_t exitCode) noexcept;

// Whether the target has stopped answering: it has not answered for 30 s in a row (KV2 says so and
// does nothing else to it).
class AnswerWatch
{
  public:
    static constexpr std::uint64_t kHungMilliseconds = 30000;

    // A look at the window (`answers`: the system does not count it hung) at `nowMs` (a tick count);
    // answers whether it counts as not answering now.
    bool Look(bool answers, std::uint64_t nowMs) noexcept
    {
        if (answers)
            m_silentSince.reset();
        else if (!m_silentSince)
            m_silentSince = nowMs;
        return m_silentSince && nowMs - *m_silentSince >= kHungMilliseconds;
    }

  private:
    std::optional<std::uint64_t> m_silentSince;
};

class RestartPolicy
{
  public:
    using Clock = std::chrono::steady_clock;

    // At most this many restarts within kLimitWindow; a run of kCalmRun or longer starts the pauses
    // over.
    static constexpr int kLimit = 5;
    static constexpr std::chrono::minutes kLimitWindow{10};
    static constexpr std::chrono::minutes kCalmRun{10};
    static constexpr std::chrono::seconds kLongestPause{60};

    // The target was attached (its run starts now).
    void Started(Clock::time_point now) noexcept;
    // The user asked for the end ("閉じる", "強制終了", "終了", "KV2を閉じる"): the next end is theirs.
    void EndRequested() noexcept
    {
        m_endRequested = true;
    }
    // The Windows session ends (true from WM_QUERYENDSESSION on), or its end was cancelled (false).
    void SessionEnding(bool ending) noexcept
    {
        m_sessionEnding = ending;
    }
    // The user started the target again: restarts that stopped at the limit are allowed again.
    void UserStarted() noexcept;

    // The target's process ended with `exitCode` (none: it could not be read, which counts as a normal
    // end). The pause before the program is started again, or nothing when it is not: the mode says
    // not, the user asked for the end, the session ends, or the limit is reached (then `Stopped`).
    std::optional<std::chrono::milliseconds> Ended(RestartMode mode, std::optional<std::uint32_t> exitCode,
                                                   Clock::time_point now);

    // The limit was reached: no restart until the user starts the target.
    bool Stopped() const noexcept
    {
        return m_stopped;
    }
    // The ends that led to the stop (within the limit's window).
    int EndsCounted() const noexcept
    {
        return static_cast<int>(m_restarts.size()) + 1;
    }

  private:
    std::vector<Clock::time_point> m_restarts; // within the limit's window (at most kLimit)
    std::optional<Clock::time_point> m_runStarted;
    int m_sinceCalm = 0; // restarts since the last calm run
    bool m_endRequested = false;
    bool m_sessionEnding = false;
    bool m_stopped = false;
};

} // namespace controller
