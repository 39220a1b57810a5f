#include "controller/win/TargetSession.h"

#include "controller/win/ErrorLog.h"
#include "procwin/ProcessIdentity.h"
#include "procwin/win/WindowEffects.h"
#include "procwin/win/WindowInfo.h"
#include "startup/ProcessState.h"

#include <atomic>
#include <utility>

namespace controller
{

void ShowAsync(HWND window, int command)
{
    if (window != nullptr)
        ShowWindowAsync(window, command);
}

namespace
{

// Ticks on which a target that has become visible has its taskbar button removed once more.
constexpr int kButtonLooks = 2;

std::atomic<HWND> g_publishedWindow{nullptr};
std::atomic<HWND> g_publishedFrame{nullptr};

} // namespace

PublishedTarget PublishedTargetWindows() noexcept
{
    return {g_publishedWindow.load(std::memory_order_relaxed), g_publishedFrame.load(std::memory_order_relaxed)};
}

TargetSession::TargetSession(MenuInputs &model, JournalFiles journal, JournalSystem system)
    : m_model(model), m_programPath(startup::Task().ProgramPath), m_commandLine(startup::Task().CommandLine),
      m_keeper([this](HWND target) { return PutBack(target); }),
      m_journal(std::move(journal), std::move(system))
{
}

void TargetSession::ChangeProgram(const std::u16string &path)
{
    m_programPath = path;
    m_commandLine = startup::CommandLineOf(path, startup::Task().ProgramOption);
}

void TargetSession::SetTarget(HWND window, HWND frame) noexcept
{
    m_target = window;
    m_frame = frame;
}

// The windows the fault handler shows again: a target can be hidden only once it is attached. Each copy
// is whole at any moment, which is all the handler needs: no order between them.
void TargetSession::Publish() noexcept
{
    g_publishedWindow.store(m_target, std::memory_order_relaxed);
    g_publishedFrame.store(m_frame, std::memory_order_relaxed);
}

void TargetSession::Reset() noexcept
{
    SetTarget(nullptr, nullptr);
    Publish();
    m_identity = {};
    ForgetOwnLayering();
}

// What a new target window gets: the options that stay with the target, and its identity.
void TargetSession::Attach(HWND target)
{
    const TrayOptions &options = m_model.options;
    m_originalCaption = procwin::WindowText(target);
    m_identity = procwin::WindowProcessIdentity(target);
    m_model.targetAboveRights = procwin::RunsWithHigherRights(m_identity.id);
    if (m_frame != nullptr && !IsWindowVisible(m_frame))
        SetTarget(target, nullptr);
    m_hidden = false;
    ForgetOwnLayering();
    Publish();
    // Written down before it is done: a KV2 that dies in between leaves nothing unrecorded.
    RecordChanges();
    if (options.TransValue < 100)
        procwin::SetTrans(target, options.TransValue, OwnLayeringOf(target));
    if (options.NonTaskBar)
        procwin::TaskBarButtonHide(target);
    m_buttonLooks = kButtonLooks;
    if (options.MostTop)
        procwin::SetTopMost(target, true);
    m_keeper.Follow(target);
    if (m_attached)
        m_attached();
}

bool TargetSession::Activate()
{
    const HWND target = TargetWnd();
    if (!IsWindow(target))
        return false;
    const TrayOptions &options = m_model.options;
    ShowHidden();
    ReapplyTranslucency();
    if (options.NonTaskBar)
        procwin::TaskBarButtonHide(target);
    if (options.MostTop)
        procwin::SetTopMost(target, true);
    procwin::ForceForeground(target);
    return true;
}

void TargetSession::Adopt(HWND chosen)
{
    const bool changed = chosen != TargetWnd();
    SetTarget(chosen, m_frame);
    Publish();
    m_identity = procwin::WindowProcessIdentity(chosen);
    m_model.targetAboveRights = procwin::RunsWithHigherRights(m_identity.id);
    m_keeper.Follow(chosen);
    if (changed)
    {
        m_hidden = false;
        ForgetOwnLayering();
        // Written down before the options are applied, as for every other change.
        RecordChanges();
        Activate();
    }
    if (IsIconic(chosen))
        MinimizeStarted(chosen);
    RecordChanges();
    if (m_attached)
        m_attached();
}

void TargetSession::MinimizeStarted(HWND window)
{
    const HWND target = TargetWnd();
    const TrayOptions &options = m_model.options;
    if (options.Minimize)
    {
        if (target == nullptr || (window != target && window != TargetSubWnd()))
            return;
        // A hung target is left on screen (the tick calls again, and hides it once it answers) rather
        // than given one more hide to catch up on each tick.
        if (!procwin::Answers(target))
            return;
        // Written down before the hide, which may be the last thing a dying KV2 does: a hide that
        // could not be written down is not made.
        m_hidden = true;
        if (!RecordChanges())
        {
            m_hidden = false;
            if (!std::exchange(m_hideRefusedLogged, true))
                controller::AppendErrorLog(
                    startup::Paths().ErrorLogPath,
                    m_journal.Path() +
                        u"に記録できないため、トレイに隠しません（他のプログラムが使用中です）。");
            return;
        }
        m_hideRefusedLogged = false;
        const HWND sub = TargetSubWnd();
        if (sub != nullptr && IsWindowVisible(sub))
            ShowAsync(sub, SW_HIDE);
        if (IsWindowVisible(target))
            ShowAsync(target, SW_HIDE);
    }
    else if (options.NonTaskBar)
    {
        procwin::TaskBarButtonShow(target);
    }
}

void TargetSession::MinimizeEnded()
{
    if (!m_model.options.Minimize && m_model.options.NonTaskBar)
        procwin::TaskBarButtonHide(TargetWnd());
}

void TargetSession::ShowHidden()
{
    const HWND target = TargetWnd();
    if (IsWindow(target) && !IsWindowVisible(target))
    {
        ShowAsync(target, SW_RESTORE);
        ShowAsync(TargetSubWnd(), SW_RESTORE);
        m_buttonLooks = kButtonLooks;
    }
    if (std::exchange(m_hidden, false))
        RecordChanges();
}

void TargetSession::ShowMinimized()
{
    ShowAsync(TargetWnd(), SW_MINIMIZE);
    ShowAsync(TargetSubWnd(), SW_MINIMIZE);
    if (std::exchange(m_hidden, false))
        RecordChanges();
}

void TargetSession::ApplyTranslucency(int percent)
{
    const HWND target = TargetWnd();
    m_transMissed = procwin::SetTrans(target, percent, OwnLayeringOf(target)) ? nullptr : target;
}

void TargetSession::ReapplyTranslucency()
{
    if (m_model.options.TransValue < 100)
        ApplyTranslucency(m_model.options.TransValue);
}

void TargetSession::ApplyCaptionless(bool captionless)
{
    const HWND target = TargetWnd();
    m_captionlessMissed = procwin::SetCaptionless(target, captionless) ? nullptr : target;
}

// What the user set and the program has reset since: the fixed caption, the topmost band, the
// translucency (the opaque default is never forced on a window that is layered by itself).
bool TargetSession::PutBack(HWND target)
{
    const TrayOptions &options = m_model.options;
    bool changed = false;
    if (options.Caption && procwin::WindowText(target) != options.Edit)
    {
        procwin::SetCaption(target, options.Edit);
        changed = true;
    }
    if (options.MostTop && !procwin::IsTopMost(target))
    {
        procwin::SetTopMostQuietly(target, true);
        changed = true;
    }
    if (options.TransValue < 100 && m_transMissed != target && !procwin::HasTrans(target, options.TransValue))
    {
        ApplyTranslucency(options.TransValue);
        changed = true;
    }
    // The button the shell adds for a window that shows goes at its show event (the ticks after follow).
    if (BecameVisible(target) && options.NonTaskBar)
        procwin::TaskBarButtonHide(target);
    return changed;
}

void TargetSession::Lost()
{
    m_keeper.Follow(nullptr);
    m_hidden = false;
    m_journal.Record({});
}

bool TargetSession::RecordChanges()
{
    const HWND target = TargetWnd();
    JournalEntry entry;
    if (IsWindow(target) && !m_ended)
    {
        const TrayOptions &options = m_model.options;
        entry.window = reinterpret_cast<std::uintptr_t>(target);
        entry.subWindow = reinterpret_cast<std::uintptr_t>(TargetSubWnd());
        entry.target = m_identity;
        entry.hidden = m_hidden;
        entry.noTaskBar = options.NonTaskBar;
        entry.captionless = m_model.captionless;
        entry.topMost = options.MostTop;
        entry.translucency = options.TransValue;
        // Read just before KV2 first makes it translucent: a program may still be fading in before.
        if (options.TransValue < 100)
            entry.ownLayering = OwnLayeringOf(target);
        else if (m_ownLayering)
            entry.ownLayering = *m_ownLayering;
        if (options.Caption)
            entry.caption = m_originalCaption;
    }
    return m_journal.Record(std::move(entry));
}

void TargetSession::RestoreOrphans()
{
    m_journal.RestoreOrphans();
}

void TargetSession::End()
{
    if (std::exchange(m_ended, true))
        return;
    ShowHidden();
    m_journal.Remove();
    m_journal.RestoreOrphans();
}

const procwin::OwnLayering &TargetSession::OwnLayeringOf(HWND target)
{
    if (!m_ownLayering)
    {
        m_ownLayering = procwin::ReadLayering(target);
        m_model.targetDrawsItself = m_ownLayering->drawsItself;
    }
    return *m_ownLayering;
}

void TargetSession::ForgetOwnLayering() noexcept
{
    m_ownLayering.reset();
    m_model.targetDrawsItself = false;
}

// A window that shows (brought back, or shown again by its program) gets a taskbar button from the shell
// some time later: the removal is due on the looks that follow.
bool TargetSession::BecameVisible(HWND target)
{
    const bool visible = IsWindowVisible(target) != FALSE;
    const bool became = visible && !m_seenVisible;
    m_seenVisible = visible;
    if (became)
        m_buttonLooks = kButtonLooks;
    return became;
}

void TargetSession::TaskbarRestarted() noexcept
{
    m_buttonLooks = kButtonLooks;
}

void TargetSession::Check(HWND target)
{
    const TrayOptions &options = m_model.options;
    m_keeper.Follow(target);
    m_keeper.Look();
    BecameVisible(target);
    if (m_buttonLooks > 0 && IsWindowVisible(target))
    {
        --m_buttonLooks;
        if (options.NonTaskBar)
            procwin::TaskBarButtonHide(target);
    }
    if (m_transMissed == target && procwin::SetTrans(target, options.TransValue, OwnLayeringOf(target)))
        m_transMissed = nullptr;
    if (m_captionlessMissed == target && procwin::SetCaptionless(target, m_model.captionless))
        m_captionlessMissed = nullptr;
    // No minimize event arrives for some windows (and none at all under some systems): a target found
    // minimized on screen goes to the tray all the same.
    if (options.Minimize && IsIconic(target) && IsWindowVisible(target))
        MinimizeStarted(target);
}

} // namespace controller
