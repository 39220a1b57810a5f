// The first start's launch, made before KV2 makes a window of its own when the start has nothing to
// settle first: the program's own start-up then runs beside KV2's, whose first window is the slowest
// part of it.
#pragma once

#include "procwin/win/AppExecute.h"

#include <exception>
#include <optional>

namespace controller
{

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
