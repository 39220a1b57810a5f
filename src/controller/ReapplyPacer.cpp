#include "controller/ReapplyPacer.h"

#include <algorithm>

namespace controller
{

std::uint64_t ReapplyPacer::NextAllowed(std::uint64_t now) const noexcept
{
    if (!m_applied || now - m_last >= kCalm)
        return now;
    return m_last + m_gap;
}

void ReapplyPacer::Applied(std::uint64_t now) noexcept
{
    if (!m_applied || now - m_last >= kCalm)
        m_gap = 0; // calm again: the next reset is answered at once
    else
        m_gap = m_gap == 0 ? kFirstGap : std::min(m_gap * 2, std::uint64_t{kLongestGap});
    m_applied = true;
    m_last = now;
}

} // namespace controller
