// Where the controller's options are kept: loading them once, saving them at every change.
//
// A failed read at start is logged once; from then on a save writes only the keys whose value the user
// changed, so that the stored values are never replaced by the defaults KV2 ran with. A save that
// finds its file held open by another program is tried again for a couple of seconds while messages
// run; when it stays held, one log line names the file and what was not saved.
#pragma once

#include "controller/Options.h"
#include "gui/SimpleTimer.h"

#include <functional>
#include <optional>
#include <string>

namespace controller
{

// Every key of the task's option section as the file holds it now; none when it cannot be read (which
// is not logged: OptionStore::Load does that).
std::optional<TrayOptions> ReadStoredOptions();

class OptionStore
{
  public:
    // `current`: the options to save, asked for whenever a save runs (a retry saves the newest).
    explicit OptionStore(std::function<TrayOptions()> current);

    // Every key of the task's option section; the defaults when the file cannot be read.
    TrayOptions Load();

    // Saves at once; a held file is tried again later. Raises WinError when the file cannot be written
    // for another reason.
    void Save();

    // The save of the program's end: waits out a held file briefly here, never raises.
    void SaveBeforeEnd() noexcept;

    // The task's program is now `path`: written into the task file with the options, and tried again
    // as they are while the file is held.
    void SaveProgram(std::u16string path);

  private:
    bool TrySave();
    void RetryTimer();
    void LogUnsaved() const;

    std::function<TrayOptions()> m_current;
    // What the file holds as far as this instance knows: as loaded, then as last saved.
    TrayOptions m_stored;
    bool m_unread = false; // the load failed: m_stored is what was assumed
    std::optional<std::u16string> m_program; // a change of the task's program not yet written
    int m_retries = 0;
    gui::TSimpleTimer m_timer;
};

} // namespace controller
