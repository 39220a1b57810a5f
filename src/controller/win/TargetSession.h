// The target once it has a window: attachment (identity, the options applied to a new window), bringing
// it forward, sending it to the tray, the choices that did not reach a target that was not answering,
// what the program resets, and the journal that lets the next KV2 undo what this one changed. The
// session owns the target's windows; the launch finds them, and the program it launches is the
// session's too (the user may change it to the one that showed).
#pragma once

#include "controller/MenuModel.h"
#include "controller/win/SettingsKeeper.h"
#include "controller/win/TargetJournal.h"
#include "procwin/Translucency.h"
#include "procwin/win/WindowInfo.h"

#include <windows.h>

#include <optional>
#include <functional>
#include <string>

namespace controller
{

class TargetSession
{
  public:
    // `journal`: the journals of changes to targets. The program is the task's.
    TargetSession(MenuInputs &model, JournalFiles journal, JournalSystem system = JournalSystem::Real());

    // The program the target runs, and the command line the tip shows while none runs.
    const std::u16string &ProgramPath() const noexcept
    {
        return m_programPath;
    }
    const std::u16string &CommandLine() const noexcept
    {
        return m_commandLine;
    }
    // The user takes the program a start found for the task's (the task file is the option store's).
    void ChangeProgram(const std::u16string &path);

    // The target window and the second window that carries its frame (null: none). Not owned.
    HWND TargetWnd() const noexcept
    {
        return m_target;
    }
    HWND TargetSubWnd() const noexcept
    {
        return m_frame;
    }
    // The windows managed from now on, as a launch or the picker found them (tests give their own).
    void SetTarget(HWND window, HWND frame) noexcept;
    // The target's process as seen at attachment.
    const procwin::ProcessIdentity &Identity() const noexcept
    {
        return m_identity;
    }
    // The target's caption as found at attachment.
    const std::u16string &OriginalCaption() const noexcept
    {
        return m_originalCaption;
    }

    // A start begins: no target, no identity.
    void Reset() noexcept;
    // What a new target window gets: the options that stay with the target, and its identity.
    void Attach(HWND target);
    // Called once a window became the target (attached, or chosen in the picker).
    void SetAttachedHook(std::function<void()> hook)
    {
        m_attached = std::move(hook);
    }
    // The picker's choice becomes the target, brought forward when it is another window.
    void Adopt(HWND chosen);
    // Brings the target forward with the options applied; false when it has no window.
    bool Activate();

    // Minimize start of `window` (any window of another process): a target goes into the tray or, with
    // "タスクバーに表示しない", gets its button while it is minimized.
    void MinimizeStarted(HWND window);
    void MinimizeEnded();
    // Shows the target again when it is hidden in the tray.
    void ShowHidden();
    // The shell restarted and gave every window its taskbar button back.
    void TaskbarRestarted() noexcept;
    // Shows the target hidden in the tray minimized.
    void ShowMinimized();

    // The options applied to the target now; a target that does not answer gets them once it does.
    void ApplyTranslucency(int percent);
    void ApplyCaptionless(bool captionless);
    // The chosen translucency once more, when the target is translucent.
    void ReapplyTranslucency();
    // The monitor's look at a running target: what it missed or reset, and minimizing to the tray.
    void Check(HWND target);
    // The monitor found no target window.
    void Lost();

    // Writes down what KV2 has changed on the target, when that changed: what the next KV2 undoes if
    // this one dies first. False when it could not be written.
    bool RecordChanges();
    // Undoes what instances that died left changed on their targets.
    void RestoreOrphans();
    // The end of KV2, however it ends: the target comes out of the tray, this instance's record goes, and
    // what dead instances left is undone. Once only.
    void End();

  private:
    bool PutBack(HWND target);
    bool BecameVisible(HWND target);
    const procwin::OwnLayering &OwnLayeringOf(HWND target);
    void ForgetOwnLayering() noexcept;
    void Publish() noexcept;

    MenuInputs &m_model;
    std::u16string m_programPath;
    std::u16string m_commandLine;

    HWND m_target = nullptr;
    HWND m_frame = nullptr;
    procwin::ProcessIdentity m_identity;
    // The target's own layering, read just before KV2 first changed its translucency.
    std::optional<procwin::OwnLayering> m_ownLayering;

    std::u16string m_originalCaption;
    // A target window that missed its translucency or caption-less maximize because it did not answer.
    HWND m_transMissed = nullptr;
    HWND m_captionlessMissed = nullptr;
    SettingsKeeper m_keeper;
    TargetJournal m_journal;
    bool m_hidden = false; // the target is hidden in the tray by KV2
    // Looks at which the taskbar button is removed again once the target shows: the shell adds a button
    // for a window that becomes visible, some time after it does.
    int m_buttonLooks = 0;
    bool m_seenVisible = false; // the target was visible at the last look
    std::function<void()> m_attached;
    bool m_hideRefusedLogged = false; // a hide refused for want of a record is in the error log
    bool m_ended = false;
};

// The target's windows are shown and hidden by their own thread: KV2 never waits for a hung one.
void ShowAsync(HWND window, int command);

// The target's windows as the session last set them, for the handler of a fault nothing caught, which
// runs in a process that may be broken: read from atomic copies, never from the session.
struct PublishedTarget
{
    HWND window = nullptr;
    HWND frame = nullptr;
};
PublishedTarget PublishedTargetWindows() noexcept;

} // namespace controller
