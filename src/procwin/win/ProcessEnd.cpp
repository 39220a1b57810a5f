#include "procwin/win/ProcessEnd.h"

namespace procwin
{

ProcessEndWatch::ProcessEndWatch(DWORD processId, HWND window, UINT message)
    : m_processId(processId), m_window(window), m_message(message),
      m_process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId))
{
    if (m_process &&
        !RegisterWaitForSingleObject(&m_wait, m_process.Get(), Ended, this, INFINITE, WT_EXECUTEONLYONCE))
        m_wait = nullptr;
}

ProcessEndWatch::~ProcessEndWatch()
{
    // Waits for a call in progress, so that the callback never outlives this object.
    if (m_wait != nullptr)
        UnregisterWaitEx(m_wait, INVALID_HANDLE_VALUE);
}

void CALLBACK ProcessEndWatch::Ended(void *context, BOOLEAN)
{
    const auto *watch = static_cast<const ProcessEndWatch *>(context);
    PostMessageW(watch->m_window, watch->m_message, watch->m_processId, 0);
}

std::optional<std::uint32_t> ProcessEndWatch::ExitCode() const
{
    DWORD code = 0;
    if (!m_process || WaitForSingleObject(m_process.Get(), 0) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(m_process.Get(), &code))
        return std::nullopt;
    return code;
}

} // namespace procwin
