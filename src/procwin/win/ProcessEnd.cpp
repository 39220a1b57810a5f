#include "procwin/win/ProcessEnd.h"

#include "gui/MessagePump.h"

namespace procwin
{

ProcessEndWatch::ProcessEndWatch(DWORD processId, HWND window, UINT message)
    : m_process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId))
{
    m_watching = m_process && gui::PostWhenSignalled(m_process.Get(), window, message, processId);
}

ProcessEndWatch::~ProcessEndWatch()
{
    if (m_watching)
        gui::StopWatching(m_process.Get());
}

bool ProcessEndWatch::HasEnded() const noexcept
{
    return m_watching && WaitForSingleObject(m_process.Get(), 0) == WAIT_OBJECT_0;
}

std::optional<std::uint32_t> ProcessEndWatch::ExitCode() const
{
    DWORD code = 0;
    if (!HasEnded() || !GetExitCodeProcess(m_process.Get(), &code))
        return std::nullopt;
    return code;
}

} // namespace procwin
