#include "controller/AutoRestart.h"

#include <algorithm>
#include <utility>

namespace controller
{

bool IsAbnormalExit(std::uint32_t exitCode) noexcept
{
    constexpr std::uint32_t kConsoleClosed = 0xC000013A;
    constexpr std::uint32_t kFatalAppExit = 0x40000015;
    constexpr std::uint32_t kAbort = 3;
    return (exitCode >= 0xC0000000 && exitCode != kConsoleClosed) || exitCode == kFatalAppExit ||
           exitCode == kAbort;
}

void RestartPolicy::Started(Clock::time_point now) noexcept
{
    m_runStarted = now;
    m_endRequested = false;
}

void RestartPolicy::UserStarted() noexcept
{
    m_stopped = false;
    m_restarts.clear();
    m_sinceCalm = 0;
}

std::optional<std::chrono::milliseconds> RestartPolicy::Ended(RestartMode mode,
                                                              std::optional<std::uint32_t> exitCode,
                                                              Clock::time_point now)
{
    const bool requested = std::exchange(m_endRequested, false);
    const std::optional<Clock::time_point> runStarted = std::exchange(m_runStarted, std::nullopt);
    const bool wanted = mode == RestartMode::OnEnd ||
                        (mode == RestartMode::OnFailure && exitCode && IsAbnormalExit(*exitCode));
    if (!wanted || requested || m_sessionEnding || m_stopped)
        return std::nullopt;
    if (runStarted && now - *runStarted >= kCalmRun)
        m_sinceCalm = 0;
    std::erase_if(m_restarts, [&](Clock::time_point restart) { return now - restart >= kLimitWindow; });
    if (static_cast<int>(m_restarts.size()) >= kLimit)
    {
        m_stopped = true;
        return std::nullopt;
    }
    m_restarts.push_back(now);
    const int k = ++m_sinceCalm; // the k-th restart since the last calm run
    const std::chrono::milliseconds pause = std::chrono::seconds(1) * (1LL << std::min(k - 1, 6));
    return std::min<std::chrono::milliseconds>(pause, kLongestPause);
}

} // namespace controller
