// The end of a process, told by a message posted to a window when it comes: the user-interface
// thread's message loops wait on the process beside the messages (no thread of its own, nothing
// polls). The one handle kept also gives the exit code, and keeps the
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
    // process cannot be opened. Created and destroyed on the user-interface thread; while a loop of the
    // system runs (a menu, a message box) the end is told once it is over, or found by HasEnded.
    ProcessEndWatch(DWORD processId, HWND window, UINT message);
    // Stops watching: no message comes after this returns.
    ~ProcessEndWatch();
    ProcessEndWatch(const ProcessEndWatch &) = delete;
    ProcessEndWatch &operator=(const ProcessEndWatch &) = delete;

    bool Watching() const noexcept
    {
        return m_watching;
    }
    // The process has ended (false when it cannot be watched).
    bool HasEnded() const noexcept;
    // The exit code once the process has ended; none while it runs or when it cannot be read.
    std::optional<std::uint32_t> ExitCode() const;

  private:
    common::win::UniqueHandle m_process;
    bool m_watching = false;
};

} // namespace procwin
