// The value words a task definition can hold once the show and priority words have been read.
#pragma once

#include "startup/TaskDefinition.h"

#include <cstdint>

namespace fuzzing
{

inline bool IsShowCommand(int show)
{
    return show == startup::kShowDefault || show == startup::kShowMinimize || show == startup::kShowMaximized;
}

inline bool IsPriorityClass(std::uint32_t priority)
{
    return priority == startup::kPriorityNormal || priority == startup::kPriorityIdle ||
           priority == startup::kPriorityHigh || priority == startup::kPriorityBelowNormal ||
           priority == startup::kPriorityAboveNormal;
}

} // namespace fuzzing
