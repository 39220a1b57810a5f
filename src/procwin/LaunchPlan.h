// The decisions of the target launch that do not need the system: creation flags, the start-up
// record's placement fields, which window carries the frame, and how the new window is brought into
// a normal state.
#pragma once

#include "procwin/ScreenGeometry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace procwin
{

// CreateProcess flag always added to the priority class: the child gets the default error mode.
constexpr std::uint32_t kCreateDefaultErrorMode = 0x04000000;
// How long each idle wait of the launch may last.
constexpr std::uint32_t kIdleWaitMilliseconds = 60000;
// Start-up record values.
constexpr std::uint16_t kStartupShowDefault = 10;  // SW_SHOWDEFAULT
constexpr std::uint32_t kStartupUsePlacement = 7; // STARTF_USESHOWWINDOW | STARTF_USESIZE | STARTF_USEPOSITION
// Class of the hidden application window of some frameworks, which owns the visible frame.
constexpr char16_t kApplicationWindowClass[] = u"TApplication";

std::uint32_t CreationFlags(std::uint32_t priorityClass) noexcept;

// The command line handed to the system with the program named exactly: the quoted program path, then,
// when there are arguments, one blank and the arguments as written.
std::u16string ExactCommandLine(std::u16string_view programPath, std::u16string_view arguments);

// The message of the error raised when the target cannot be started.
std::u16string LaunchErrorText(std::u16string_view commandLine);

// The fields of the start-up record that a placement decides.
struct StartupPlacement
{
    std::uint32_t flags;
    std::int32_t x, y, width, height;
};
StartupPlacement StartupPlacementFor(const Bounds &placement) noexcept;

// The window that carries the frame, given the top of a window's parent chain and the window just
// below it (the same window when there is no chain): the one below when the top is an application
// window of class "TApplication" (compared exactly), otherwise the top.
template <typename Window>
Window ChooseFrameWindow(Window top, Window below, std::u16string_view topClassName)
{
    return topClassName == kApplicationWindowClass ? below : top;
}

// What the launch does to the new window once it has found it.
struct RestorePlan
{
    bool restore = false; // ShowWindow(TargetWnd, SW_RESTORE)
    bool move = false;    // MoveWindow to the placement
};

// Nothing for a window whose rectangle could not be read, that is parked by minimizing or that is
// narrower or lower than 2 pixels; otherwise a restore when it is maximized or minimized, and a move
// when a placement is given that differs from the rectangle read before the restore.
RestorePlan PlanRestore(const std::optional<Rect> &rect, bool zoomed, bool iconic,
                        const std::optional<Bounds> &placement) noexcept;

} // namespace procwin
