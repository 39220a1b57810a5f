// The journal of what running instances have changed on their targets, kept in the local (not roaming)
// data folder, since its window handles and process ids mean something on this machine only, so that
// the next KV2 or KV2A can undo the changes of an instance that died without undoing them itself
// (ended by force, a fault, a power loss). One section per instance, named after its process, with the
// Windows session it ran in: an instance undoes only entries of its own session.
//
// The file is read from any source: a section that is not an instance's, or whose instance cannot be
// read, is none of these functions' business; an entry that lacks a window and a process it belongs to
// is dropped on reading, so that nothing can ever be done to a window named without its process.
#pragma once

#include "common/IniDocument.h"
#include "procwin/ProcessIdentity.h"
#include "procwin/Translucency.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace controller
{

// The journal's file name in the local data folder: the user's, which every program with the user's
// rights can write.
constexpr char16_t kJournalFileName[] = u"Restore.ini";
// The elevated programs' own, which only they can write (its owner and label say so).
constexpr char16_t kElevatedJournalFileName[] = u"RestoreA.ini";

struct JournalEntry
{
    procwin::ProcessIdentity instance; // the KV2 or KV2A that made the changes
    std::optional<std::uint32_t> session; // the Windows session of the instance (none: not known)
    std::uint64_t window = 0;    // the target window
    std::uint64_t subWindow = 0; // the window carrying its frame, hidden with it (0: none)
    procwin::ProcessIdentity target; // the process the target window belongs to
    bool hidden = false;         // hidden in the tray
    bool noTaskBar = false;      // its taskbar button removed
    bool captionless = false;    // maximized without its title bar
    bool topMost = false;        // put into the topmost band
    int translucency = 100;      // made translucent (percent below 100)
    procwin::OwnLayering ownLayering;      // the target's own layering before, given back by the undoing
    std::optional<std::u16string> caption; // a caption was fixed: the target's own, to be given back

    // Nothing to undo.
    bool Empty() const noexcept;
    bool operator==(const JournalEntry &) const = default;
};

// The entries of every instance in the journal, in file order; unreadable ones left out.
std::vector<JournalEntry> ReadJournal(const common::IniDocument &journal);

// Writes the entry as its instance's section (replacing an earlier one); an empty entry removes it.
void WriteJournalEntry(common::IniDocument &journal, const JournalEntry &entry);

// Removes the section of that instance.
void RemoveJournalEntry(common::IniDocument &journal, const procwin::ProcessIdentity &instance);

// Whether the journal has any instance section at all, readable or not.
bool HoldsInstances(const common::IniDocument &journal);

// Removes every instance section that cannot be read as an entry (damaged, or naming no target).
void RemoveUnreadableEntries(common::IniDocument &journal);

// What an instance does with the line of an instance that no longer runs.
enum class OrphanAction
{
    Undo, // gives the window back what it had, and drops the line
    Keep, // leaves the line for later (or for another)
    Drop, // drops the line without touching the window
};

struct OrphanFacts
{
    bool ownSession = false;      // the line names this instance's Windows session
    bool stillTheTarget = false;  // its window still belongs to the process it names, managed by no one
    bool elevatedJournal = false; // read from the elevated programs' own journal, whose security held
    bool readerElevated = false;  // this instance runs elevated (KV2A)
    bool targetElevated = false;  // the window's process runs elevated (or cannot be told not to)
    bool answers = false;         // the window answers
};

// An elevated instance never changes an elevated program's window because of a line that a program with
// the user's rights could have written (the user's journal): it drops such a line. Another session's
// line is left alone; a window that answers not, or that this instance may not change, is left for later.
OrphanAction ActionFor(const OrphanFacts &facts) noexcept;

} // namespace controller
