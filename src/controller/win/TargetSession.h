// The target from its start to its end: the launch and the search for its window, the attachment
// (identity, remembered place, the options applied to a new window), bringing it forward, sending it to
// the tray, and the choices that did not reach a target that was not answering.
#pragma once

#include "controller/ControllerState.h"
#include "controller/MenuModel.h"
#include "controller/win/Companions.h"
#include "controller/win/ControllerView.h"
#include "controller/win/ControllerWait.h"
#include "controller/win/EarlyLaunch.h"
#include "controller/win/SettingsKeeper.h"
#include "controller/win/TargetJournal.h"
#include "procwin/win/WindowInfo.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace controller
{

class TargetSession
{
  public:
    // `journalPath`: the journal of changes to targets (empty: none).
    TargetSession(MenuInputs &model, ControllerState &state, ControllerWait &wait, ControllerView &view,
                  std::u16string journalPath)
        : m_model(model), m_state(state), m_wait(wait), m_view(view),
          m_keeper([this](HWND target) { return PutBack(target); }), m_journal(std::move(journalPath))
    {
    }

    // The forms that give the picker (null: none). With a picker, the first start looks for copies of
    // the program already running.
    void SetCompanions(Companions *companions) noexcept
    {
        m_companions = companions;
    }

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

    // The launch made before the controller existed (see LaunchEarly): the first start follows it
    // instead of launching, and asks about no running copies (there were none).
    void AdoptEarlyLaunch(EarlyLaunch launch) noexcept
    {
        m_early = std::move(launch);
    }
    bool HasEarlyLaunch() const noexcept
    {
        return m_early.Made();
    }

    // The first tick's start: offers running copies of the program to the picker, then starts the target
    // unless the task says not to. The views appear on every way out, a failed launch included.
    void FirstStart();
    // Starts the target and waits for its window; false when no window was attached (a message has
    // said so unless KV2 is closing or the wait was stopped).
    bool Start();
    // Start() and, when it succeeded, shows the new window as the task says.
    bool StartAndShow();
    // Brings the target forward with the options applied, or starts it when it is not running.
    void Activate();
    // "修正": the user chooses the target among the program's windows.
    void Modify();

    // Minimize start of `window` (any window of another process): a target goes into the tray or, with
    // "タスクバーに表示しない", gets its button while it is minimized.
    void MinimizeStarted(HWND window);
    void MinimizeEnded();
    // Shows the target again when it is hidden in the tray.
    void ShowHidden();
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
    // this one dies first.
    void RecordChanges();
    // Undoes what instances that died left changed on their targets.
    void RestoreOrphans();
    // The end of KV2, however it ends: the target comes out of the tray, this instance's record goes, and
    // what dead instances left is undone. Once only.
    void End();

  private:
    void LaunchFirst();
    HWND SearchTargetWindow(std::u16string &foundPath);
    void AskProgramChange(const std::u16string &foundPath);
    bool HandToElevatedBuild();
    void Attach(HWND target);
    bool PutBack(HWND target);
    void Publish() noexcept;

    MenuInputs &m_model;
    ControllerState &m_state;
    ControllerWait &m_wait;
    ControllerView &m_view;
    Companions *m_companions = nullptr;
    // The program's windows as last listed (at the first start, or by the picker), which a start does
    // not take for its own. Not owned.
    std::vector<HWND> m_listed;
    EarlyLaunch m_early;

    HWND m_target = nullptr;
    HWND m_frame = nullptr;
    procwin::ProcessIdentity m_identity;
    DWORD m_launchedProcess = 0; // the process the last start created

    std::u16string m_originalCaption;
    // A target window that missed its translucency or caption-less maximize because it did not answer.
    HWND m_transMissed = nullptr;
    HWND m_captionlessMissed = nullptr;
    SettingsKeeper m_keeper;
    TargetJournal m_journal;
    bool m_hidden = false; // the target is hidden in the tray by KV2
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
