#include "procwin/Translucency.h"

#include <algorithm>

namespace procwin
{

int AlphaFromPercent(int percent) noexcept
{
    if (percent == 100)
        return kOpaqueAlpha;
    const long long alpha = static_cast<long long>(percent) * 263 / 100;
    return static_cast<int>(std::clamp<long long>(alpha, kMinimumAlpha, kOpaqueAlpha));
}

int PercentFromAlpha(int alpha) noexcept
{
    const int percent = alpha * 100 / 255;
    return percent == 0 ? 100 : percent;
}

} // namespace procwin
