// This instance's line in the journal of changes made to targets (controller/Journal), and the undoing
// of what instances that no longer run left on their targets. The file is shared by every KV2 and KV2A
// and changed under the lock of the other shared files, read afresh each time, replaced atomically.
#pragma once

#include "controller/Journal.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

namespace controller
{

class TargetJournal
{
  public:
    // Whether this program may change the windows of a process (not when that process runs with higher
    // rights). Replaceable for tests.
    using MayChange = std::function<bool(DWORD processId)>;

    // `path` empty: keeps no journal.
    explicit TargetJournal(std::u16string path, MayChange mayChange = {});

    // What this instance has changed on its target now (the instance is filled in here). The file is
    // written only when that differs from what was written last; a write that fails is made again with
    // the next change. Never raises.
    void Record(JournalEntry entry) noexcept;
    // This instance's line goes (it ends cleanly, or has nothing changed any longer). Never raises.
    void Remove() noexcept;

    // Undoes the changes of every instance that no longer runs, on windows that still belong to the
    // process it changed, and drops their lines. A line stays while its window does not answer or may
    // not be changed by this program (a target with higher rights, left for a KV2A); a line whose window
    // or process has gone, or whose window another running instance manages now, goes without a change.
    // Answers how many windows were given back what they had. Never raises.
    int RestoreOrphans() noexcept;

  private:
    bool Update(const std::function<void(common::IniDocument &)> &change) noexcept;

    std::u16string m_path;
    MayChange m_mayChange;
    procwin::ProcessIdentity m_self;
    std::optional<JournalEntry> m_written; // empty: unknown (a write failed), the next record writes
};

} // namespace controller
