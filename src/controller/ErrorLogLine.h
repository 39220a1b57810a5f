// One line of the error log: the time stamp, " : " and the error's message.
#pragma once

#include <string>
#include <string_view>

namespace controller
{

// The time stamp is the date in the user's short date format and, unless the moment is exactly
// midnight, a blank and the time in the user's long time format; the caller formats both texts.
std::u16string ErrorLogLine(std::u16string_view dateText, std::u16string_view timeText, bool midnight,
                            std::u16string_view message);

} // namespace controller
