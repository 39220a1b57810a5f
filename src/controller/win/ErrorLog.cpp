#include "controller/win/ErrorLog.h"

#include "common/Text.h"
#include "common/win/TextFile.h"
#include "common/win/WinText.h"
#include "controller/ErrorLogLine.h"
#include "procwin/win/AppExecute.h"

#include <windows.h>

namespace controller
{

namespace
{

std::u16string FormatNow(const SYSTEMTIME &now, bool date)
{
    wchar_t text[128] = {};
    const int length = date ? GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, text, 128)
                            : GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &now, nullptr, text, 128);
    return length > 0 ? common::win::U(text) : std::u16string();
}

} // namespace

void AppendErrorLog(const std::u16string &path, const std::u16string &message) noexcept
{
    if (path.empty())
        return;
    try
    {
        SYSTEMTIME now{};
        GetLocalTime(&now);
        const bool midnight =
            now.wHour == 0 && now.wMinute == 0 && now.wSecond == 0 && now.wMilliseconds == 0;
        common::win::StringList lines;
        common::win::LoadTextFile(lines, path, common::TextEncoding::Ansi);
        lines.push_back(ErrorLogLine(FormatNow(now, true), FormatNow(now, false), midnight, message));
        common::win::SaveTextFile(lines, path, common::TextEncoding::Ansi);
    }
    catch (...)
    {
        // The log is the last stop for errors: one that cannot be written is lost, never raised.
    }
}

std::u16string ErrorMessage(std::exception_ptr error)
{
    try
    {
        std::rethrow_exception(error);
    }
    catch (const procwin::LaunchError &launchError)
    {
        return launchError.Text();
    }
    catch (const std::exception &other)
    {
        return common::Utf8ToUtf16(other.what());
    }
    catch (...)
    {
        return {};
    }
}

} // namespace controller
