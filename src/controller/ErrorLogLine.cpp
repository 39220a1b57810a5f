#include "controller/ErrorLogLine.h"

namespace controller
{

std::u16string ErrorLogLine(std::u16string_view dateText, std::u16string_view timeText, bool midnight,
                            std::u16string_view message)
{
    std::u16string line(dateText);
    if (!midnight)
    {
        line += u" ";
        line += timeText;
    }
    line += u" : ";
    // A message is one line of the log: line breaks inside it would start lines that are no record.
    for (char16_t c : message)
        line.push_back(c == u'\r' || c == u'\n' ? u' ' : c);
    return line;
}

} // namespace controller
