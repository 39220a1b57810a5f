// The end of a process, told by a message posted to a window when it comes: the system's thread pool
// waits on the process, nothing polls. The one handle kept also gives the exit code, and keeps the
// process's id from passing to another process meanwhile.
#pragma once

#include "common/win/Unique.h"

#include <windows.h>

#include <cstdint>
#include <optional>

namespace procwin
{

class ProcessEndWatch
{
  public:
    // Watches the process (opened for SYNCHRONIZE and PROCESS_QUERY_LIMITED_INFORMATION) and posts
    // `message` to `window`, with the process id as wParam, once it ends. Watching() is false when the
    // process cannot be opened.
    ProcessEndWatch(DWORD processId, HWND window, UINT message);
    // Stops watching: no message comes after this returns.
    ~ProcessEndWatch();
    ProcessEndWatch(const ProcessEndWatch &) = delete;
    ProcessEndWatch &operator=(const ProcessEndWatch &) = delete;

    bool Watching() const noexcept
    {
        return m_wait != nullptr;
    }
    // The exit code once the process has ended; none while it runs or when it cannot be read.
    std::optional<std::uint32_t> ExitCode() const;

  private:
    static void CALLBACK Ended(void *context, BOOLEAN timedOut);

    DWORD m_processId;
    HWND m_window;
    UINT m_message;
    common::win::UniqueHandle m_process;
    HANDLE m_wait = nullptr;
};

} // namespace procwin
