// How often KV2 puts back what a target program resets (its caption, topmost, translucency): at once
// while the target does so now and then, ever more seldom while it keeps doing so, so that KV2 and a
// program that fights back never spin. Times are milliseconds of any steady clock.
#pragma once

#include <cstdint>

namespace controller
{

class ReapplyPacer
{
  public:
    // The first gap after a re-application that follows another closely, the longest gap (so at most
    // 1000 / kLongestGap re-applications a second while a program keeps resetting), and the calm after
    // which a reset is answered at once again.
    static constexpr std::uint64_t kFirstGap = 50;
    static constexpr std::uint64_t kLongestGap = 400;
    static constexpr std::uint64_t kCalm = 2000;

    // The time from which the next re-application may run: `now` or earlier when it may run at once.
    std::uint64_t NextAllowed(std::uint64_t now) const noexcept;

    // A re-application ran at `now`.
    void Applied(std::uint64_t now) noexcept;

  private:
    bool m_applied = false;
    std::uint64_t m_last = 0;
    std::uint64_t m_gap = 0;
};

} // namespace controller
