// The one error type for failures of KV2's own Win32 objects: the API that failed and the system's
// text for its error code.
#pragma once

#include <windows.h>

#include <string>

#include "common/Error.h"

namespace common::win
{

class WinError : public Error
{
  public:
    // `api` names the failed call; `code` defaults to GetLastError().
    explicit WinError(const char *api, DWORD code = GetLastError());

    DWORD Code() const noexcept
    {
        return m_code;
    }

  private:
    DWORD m_code;
};

// The system's message text for an error code, in UTF-8, without the trailing line break.
std::string ErrorText(DWORD code);

} // namespace common::win
