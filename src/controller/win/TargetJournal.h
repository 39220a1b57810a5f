// This instance's line in the journal of changes made to targets (controller/Journal), and the undoing
// of what instances of this Windows session that no longer run left on their targets. The files are
// shared by every KV2 and KV2A and changed under the lock of the other shared files, read afresh each
// time, replaced atomically.
//
// KV2 records in the user's journal. KV2A records in the elevated programs' own, which it gives an
// owner and a label that no program with the user's rights can give a file; it undoes an elevated
// window's changes only from that journal, and only while the file still has them, since any program
// with the user's rights can write the user's journal (or replace the file: the user owns the folder).
#pragma once

#include "controller/Journal.h"

#include <windows.h>

#include <functional>
#include <string>

namespace controller
{

// What the journal asks the system; tests replace it (Wine has neither integrity levels nor labels).
struct JournalSystem
{
    bool selfElevated = false;                             // this program runs above the user's own programs
    bool (*elevated)(DWORD processId) = nullptr;           // the process does (or cannot be told not to)
    void (*protect)(const std::u16string &path) = nullptr; // gives the file the elevated owner and label
    bool (*protectedFile)(const std::u16string &path) = nullptr; // whether the file has them still

    // The system's own answers; without the labels unless asked (the elevated program's journal only).
    static JournalSystem Real();
    static JournalSystem RealWithLabels();
};

struct JournalFiles
{
    std::u16string own;       // where this instance records (empty: no journal is kept)
    bool ownElevated = false; // `own` is the elevated programs' journal
    std::u16string user;      // the user's journal, when it is not `own`: its orphans are undone too
    std::u16string legacy;    // where an earlier version kept the user's (the roaming data folder): its
                              // lines are taken over at the first undoing and the file removed
};

class TargetJournal
{
  public:
    explicit TargetJournal(JournalFiles files, JournalSystem system = JournalSystem::Real());

    // What this instance has changed on its target now (the instance and its session are filled in
    // here), compared with what the file holds: written when it differs, so that a line that went
    // missing is written again. False when it could not be written (held, or the lock stayed busy).
    // Never raises.
    bool Record(JournalEntry entry) noexcept;
    const std::u16string &Path() const noexcept
    {
        return m_files.own;
    }
    // This instance's line goes (it ends cleanly, or has nothing changed any longer). Never raises.
    void Remove() noexcept;

    // Undoes the changes of every instance of this session that no longer runs, on windows that still
    // belong to the process it changed, as `ActionFor` decides, and drops their lines; lines of other
    // sessions stay as they are. Answers how many windows were given back what they had. Never raises.
    int RestoreOrphans() noexcept;

  private:
    bool Update(const std::u16string &path,
                const std::function<void(common::IniDocument &)> &change) noexcept;
    int RestoreOrphansOf(const std::u16string &path, bool elevatedJournal) noexcept;
    void TakeOverLegacy() noexcept;
    const std::u16string &UserJournal() const noexcept
    {
        return m_files.ownElevated ? m_files.user : m_files.own;
    }

    JournalFiles m_files;
    JournalSystem m_system;
    procwin::ProcessIdentity m_self;
    std::uint32_t m_session;
};

} // namespace controller
