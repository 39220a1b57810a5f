#include "procwin/LaunchPlan.h"

namespace procwin
{

std::uint32_t CreationFlags(std::uint32_t priorityClass) noexcept
{
    return priorityClass | kCreateDefaultErrorMode;
}

std::u16string ExactCommandLine(std::u16string_view programPath, std::u16string_view arguments)
{
    std::u16string commandLine;
    commandLine.reserve(programPath.size() + arguments.size() + 3);
    commandLine.append(u"\"").append(programPath).append(u"\"");
    if (!arguments.empty())
        commandLine.append(u" ").append(arguments);
    return commandLine;
}

std::u16string LaunchErrorText(std::u16string_view commandLine)
{
    return std::u16string(commandLine) + u"を起動できません。";
}

StartupPlacement StartupPlacementFor(const Bounds &placement) noexcept
{
    return {kStartupUsePlacement, placement.left, placement.top, placement.width, placement.height};
}

RestorePlan PlanRestore(const std::optional<Rect> &rect, bool zoomed, bool iconic,
                        const std::optional<Bounds> &placement) noexcept
{
    constexpr std::int32_t kSmallestSide = 2;
    if (!rect || IsParked(*rect))
        return {};
    const long long width = static_cast<long long>(rect->right) - rect->left;
    const long long height = static_cast<long long>(rect->bottom) - rect->top;
    if (width < kSmallestSide || height < kSmallestSide || width > INT32_MAX || height > INT32_MAX)
        return {};
    const Bounds current{rect->left, rect->top, static_cast<std::int32_t>(width), static_cast<std::int32_t>(height)};
    return {zoomed || iconic, placement.has_value() && *placement != current};
}

} // namespace procwin
