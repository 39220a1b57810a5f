// The error log: every error that escapes a command or an event handler is appended to "Error.log"
// in the data folder as one line, and never shown.
#pragma once

#include <cstddef>
#include <exception>
#include <string>

namespace controller
{

// A log that has grown to this size is kept as the previous log and a new one is started.
constexpr std::size_t kErrorLogSizeLimit = 1024 * 1024;

// The previous log's name beside `path`: "Error.log" gives "Error.old.log".
std::u16string PreviousErrorLogPath(const std::u16string &path);

// Appends "<date> <time> : <message>" and CR LF (local time, the user's short date and long time
// formats, the time left out at midnight) in the ANSI code page to the log at `path`, with one
// write to the file opened for appending, so that several instances writing at once each add
// whole lines. A log of kErrorLogSizeLimit bytes or more first becomes the previous log (replacing
// an older one) and the line starts a new log. A log held open by another program without write
// sharing drops the line. Never raises: a log that cannot be written loses the line, and the program
// goes on. An empty path records nothing. Leaves the program's folder current.
void AppendErrorLog(const std::u16string &path, const std::u16string &message) noexcept;

// The message of an escaped error as the log records it: the text of a launch error, the what() of
// any other standard error (UTF-8); empty for anything else, which is not recorded.
std::u16string ErrorMessage(std::exception_ptr error);

} // namespace controller
