// The first start's launch, made before KV2 makes a window of its own when the start has nothing to
// settle first: the program's own start-up then runs beside KV2's, whose first window is the slowest
// part of it.
#pragma once

#include "controller/Options.h"
#include "procwin/win/AppExecute.h"

#include <exception>
#include <optional>
#include <string>

namespace controller
{

// The program's file name in lower case, as the search for its windows compares it.
std::u16string ProgramFileNameLower(const std::u16string &path);

// Where a start asks the target to appear: the remembered rectangle, when the options keep one and the
// task leaves the window's showing to the program (brought onto a monitor there is, with its title
// bar within reach); none otherwise.
std::optional<procwin::Bounds> StartPlacement(const TrayOptions &options);

struct EarlyLaunch
{
    std::optional<procwin::CreatedProcess> process; // the program, launched
    std::optional<procwin::Bounds> placement;       // where it was asked to appear (none: where it likes)
    std::exception_ptr error;                       // why it could not be launched

    bool Made() const noexcept
    {
        return process.has_value() || error != nullptr;
    }
};

// Launches the task's program at once, as the first start would, unless that start has something to
// settle first: the task says not to start it, the options cannot be read, copies of the program run
// already (the user is asked about them), or another KV2 takes this start over ("二重起動禁止"). Then
// nothing is made and the first start goes its usual way.
EarlyLaunch LaunchEarly() noexcept;

} // namespace controller
