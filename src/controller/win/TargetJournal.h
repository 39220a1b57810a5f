// This instance's line in the journal of changes made to targets (controller/Journal), and the undoing
// of what instances of this Windows session that no longer run left on their targets. The file is
// shared by every KV2 and KV2A and changed under the lock of the other shared files, read afresh each
// time, replaced atomically.
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

    // `path` empty: keeps no journal. `legacyPath`: where an earlier version kept it (the roaming data
    // folder): its entries are taken over at the first undoing and the file removed.
    explicit TargetJournal(std::u16string path, MayChange mayChange = {}, std::u16string legacyPath = {});

    // What this instance has changed on its target now (the instance and its session are filled in
    // here), compared with what the file holds: written when it differs, so that a line that went
    // missing is written again. False when it could not be written (held, or the lock stayed busy).
    // Never raises.
    bool Record(JournalEntry entry) noexcept;
    const std::u16string &Path() const noexcept
    {
        return m_path;
    }
    // This instance's line goes (it ends cleanly, or has nothing changed any longer). Never raises.
    void Remove() noexcept;

    // Undoes the changes of every instance of this session that no longer runs, on windows that still
    // belong to the process it changed, and drops their lines; lines of other sessions stay as they are. A
    // line stays while its window does not answer or may not be changed by this program (a target with higher
    // rights, left for a KV2A); a line whose window or process has gone, or whose window another running
    // instance manages now, goes without a change. Answers how many windows were given back what they had.
    // Never raises.
    int RestoreOrphans() noexcept;

  private:
    bool Update(const std::function<void(common::IniDocument &)> &change) noexcept;
    void TakeOverLegacy() noexcept;

    std::u16string m_path;
    MayChange m_mayChange;
    std::u16string m_legacyPath;
    procwin::ProcessIdentity m_self;
    std::uint32_t m_session;
};

} // namespace controller
