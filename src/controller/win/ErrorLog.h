// The error log: every error that escapes a command or an event handler is appended to "Error.log"
// in the data folder as one line, and never shown.
#pragma once

#include <exception>
#include <string>

namespace controller
{

// Appends "<date> <time> : <message>" (local time, the user's short date and long time formats, the
// time left out at midnight) to the log at `path`, which is read and rewritten whole in the ANSI code
// page. A log held open by another program drops the line. Never raises: a log that cannot be read or
// written loses the line, and the program goes on. An empty path records nothing.
void AppendErrorLog(const std::u16string &path, const std::u16string &message) noexcept;

// The message of an escaped error as the log records it: the text of a launch error, the what() of
// any other standard error (UTF-8); empty for anything else, which is not recorded.
std::u16string ErrorMessage(std::exception_ptr error);

} // namespace controller
