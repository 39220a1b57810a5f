#include "controller/ReapplyPacer.h"

#include <gtest/gtest.h>

#include <cstdint>

using controller::ReapplyPacer;

// A target that resets now and then is answered at once, every time.
TEST(ReapplyPacer, OccasionalResetsAreAnsweredAtOnce)
{
    ReapplyPacer pacer;
    for (std::uint64_t now = 1000; now < 20000; now += ReapplyPacer::kCalm)
    {
        EXPECT_EQ(pacer.NextAllowed(now), now) << now;
        pacer.Applied(now);
    }
}

// A target that resets as fast as it can gets a handful of answers in its first second and then no
// more than a few a second; once it calms down it is answered at once again.
TEST(ReapplyPacer, AFightingTargetGetsAFewAnswersASecond)
{
    ReapplyPacer pacer;
    int answers = 0;
    int lastSecond = 0;
    const std::uint64_t start = 1000;
    for (std::uint64_t now = start; now < start + 10000; now += 10) // a reset every 10 ms
    {
        if (pacer.NextAllowed(now) > now)
            continue;
        pacer.Applied(now);
        ++answers;
        if (now >= start + 9000)
            ++lastSecond;
    }
    EXPECT_LE(answers, 10 + 10 * 1000 / static_cast<int>(ReapplyPacer::kLongestGap));
    EXPECT_GE(lastSecond, 2);
    EXPECT_LE(lastSecond, static_cast<int>(1000 / ReapplyPacer::kLongestGap) + 1);
    const std::uint64_t calm = start + 10000 + ReapplyPacer::kCalm;
    EXPECT_EQ(pacer.NextAllowed(calm), calm);
    pacer.Applied(calm);
    EXPECT_LE(pacer.NextAllowed(calm + 1), calm + 1) << "one more reset soon after is still answered at once";
    pacer.Applied(calm + 1);
    EXPECT_EQ(pacer.NextAllowed(calm + 2), calm + 1 + ReapplyPacer::kFirstGap) << "then the gaps begin";
}
