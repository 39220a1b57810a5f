#include "controller/win/Monitor.h"

#include "common/win/WinText.h"
#include "procwin/WheelGesture.h"
#include "procwin/win/Hook.h"
#include "procwin/win/WindowEffects.h"
#include "procwin/win/WindowInfo.h"
#include "startup/ProcessState.h"

namespace controller
{

namespace
{

bool HasThickFrame(HWND window)
{
    return (GetWindowLongW(window, GWL_STYLE) & WS_THICKFRAME) != 0;
}

} // namespace

void Monitor::Start()
{
    m_firstStartDue = true;
    m_timer.SetEnabled(true);
}

void Monitor::Tick()
{
    if (m_state.Closing())
    {
        m_timer.SetEnabled(false);
        return;
    }
    if (m_firstStartDue)
    {
        m_firstStartDue = false;
        m_launch.FirstStart();
    }
    m_wait.Tick();
    const HWND target = m_session.TargetWnd();
    if (IsWindow(target))
        Running(target);
    else
        Absent();
}

void Monitor::Running(HWND target)
{
    wchar_t title[kTipTitleLength + 1] = {};
    GetWindowTextW(target, title, static_cast<int>(kTipTitleLength + 1));
    m_view.ShowTitle(common::win::U(title));
    // The system counts a window hung without sending it anything: nothing is asked of one that answers.
    const bool notAnswering = m_answers.Look(!IsHungAppWindow(target), GetTickCount64());
    m_view.ShowTip(RunningTip(HotKeyTipText(startup::Task().HotKeyText, m_model.hotKeyTaken),
                              common::win::U(title), m_model.targetAboveRights,
                              m_model.targetDrawsItself && m_model.options.TransValue < 100, notAnswering));
    // Once seen, the sizing frame keeps the item on while the target runs (a caption-less window keeps
    // its frame anyway).
    const bool sizable = m_model.targetSizable || HasThickFrame(target);
    if (!m_model.targetRunning || sizable != m_model.targetSizable)
    {
        m_model.targetRunning = true;
        m_model.targetSizable = sizable;
        m_view.MenuChanged();
    }
    if (!IsIconic(target) && !IsZoomed(target))
        RecordPlace(target);
    m_session.Check(target);
    m_restarts.Look();
    KeepMouseHook(target);
}

// The place is the user's to keep on the monitors it was taken on; on others once the user moves the
// window, which then belong to it.
void Monitor::RecordPlace(HWND target)
{
    TrayOptions &options = m_model.options;
    if (target != m_placeTarget)
    {
        m_placeTarget = target;
        const std::vector<procwin::MonitorArea> monitors = procwin::CurrentMonitors();
        m_layout = procwin::FormatMonitorLayout(monitors);
        std::optional<procwin::Rect> placed;
        if (const std::optional<procwin::Bounds> &b = m_launch.Placement())
            placed = procwin::Rect{b->left, b->top, b->left + b->width, b->top + b->height};
        m_places.Attached(options.Monitors.empty() ||
                              procwin::SameMonitors(procwin::ParseMonitorLayout(options.Monitors), monitors),
                          placed);
    }
    const std::optional<procwin::Rect> place = procwin::GetWndRect(target);
    if (!place || !m_places.Records(*place, GetTickCount64()))
        return;
    options.X = place->left;
    options.Y = place->top;
    options.W = place->right - place->left;
    options.H = place->bottom - place->top;
    options.Monitors = m_layout;
}

void Monitor::DisplayChanged()
{
    m_layout = procwin::FormatMonitorLayout(procwin::CurrentMonitors());
    m_places.DisplayChanged(GetTickCount64());
}

void Monitor::KeepMouseHook(HWND target)
{
    const TrayOptions &options = m_model.options;
    if (GetForegroundWindow() == target)
    {
        if (!WheelFeatureActive(options))
            return;
        procwin::SetWheelGestures(options.WheelButton1 && !options.WheelKey1.empty(),
                                  options.WheelButton2 && !options.WheelKey2.empty());
        if (!procwin::IsMouseHookInstalled())
        {
            if (procwin::MouseHookStart(m_view.Window()))
                m_hookResetCount = procwin::MouseHookResetCount(kMonitorInterval);
        }
        else if (--m_hookResetCount < 0)
        {
            procwin::MouseHookStop();
        }
    }
    else if (procwin::IsMouseHookInstalled())
    {
        procwin::MouseHookStop();
    }
}

void Monitor::Absent()
{
    m_view.ShowTip(AbsentTip(HotKeyTipText(startup::Task().HotKeyText, m_model.hotKeyTaken),
                             m_session.CommandLine(), m_restarts.Stopped()));
    m_session.Lost();
    m_restarts.Gone();
    if (m_model.targetRunning || m_model.targetSizable || m_model.captionless)
    {
        m_model.targetRunning = false;
        m_model.targetSizable = false;
        m_model.captionless = false;
        m_view.MenuChanged();
    }
    // A start or restart in progress has no target yet: that is no reason to end.
    if ((!m_model.options.Live || m_session.ProgramPath().empty()) && m_state.MayEndWithoutTarget() &&
        !m_restarts.KeepsKv2())
    {
        m_endWithoutTarget();
        return;
    }
    if (procwin::IsMouseHookInstalled())
        procwin::MouseHookStop();
}

} // namespace controller
