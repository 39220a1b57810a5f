#include "common/win/WinError.h"

#include "common/Text.h"
#include "common/win/WinText.h"

namespace common::win
{

std::string ErrorText(DWORD code)
{
    wchar_t buffer[512];
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                        buffer, static_cast<DWORD>(std::size(buffer)), nullptr);
    if (length == 0)
        return "error " + Utf16ToUtf8(DecimalText(code));
    return Utf16ToUtf8(TrimRight(U(buffer, length)));
}

WinError::WinError(const char *api, DWORD code)
    : Error(std::string(api) + ": " + ErrorText(code)), m_code(code)
{
}

} // namespace common::win
