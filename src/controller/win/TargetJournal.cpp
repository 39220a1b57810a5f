#include "controller/win/TargetJournal.h"

#include "common/win/FileSystem.h"
#include "common/FileSecurity.h"
#include "common/win/IniFile.h"
#include "common/win/WinText.h"
#include "procwin/win/WindowEffects.h"
#include "procwin/win/WindowInfo.h"

#include <algorithm>
#include <exception>
#include <utility>
#include <vector>

namespace controller
{

using common::win::LoadIniFile;
using common::win::SaveResult;
using common::win::UpdateIniFile;

namespace
{

HWND WindowOf(std::uint64_t number)
{
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(number));
}

// The window still belongs to the process that the entry names: no other program's window is touched.
bool StillTheTargets(HWND window, const procwin::ProcessIdentity &target)
{
    return IsWindow(window) && procwin::WindowProcessIdentity(window) == target;
}

// Gives the window back what the entry says was changed on it.
void Undo(const JournalEntry &entry, HWND window)
{
    if (entry.caption)
        procwin::SetCaption(window, *entry.caption);
    if (entry.captionless)
        procwin::SetCaptionless(window, false);
    if (entry.translucency < 100)
        procwin::SetTrans(window, 100, entry.ownLayering);
    if (entry.topMost)
        procwin::SetTopMostQuietly(window, false);
    if (entry.noTaskBar)
        procwin::TaskBarButtonAdd(window);
    if (!entry.hidden)
        return;
    if (!IsWindowVisible(window))
        ShowWindowAsync(window, SW_RESTORE);
    const HWND sub = WindowOf(entry.subWindow);
    if (sub != nullptr && StillTheTargets(sub, entry.target) && !IsWindowVisible(sub))
        ShowWindowAsync(sub, SW_RESTORE);
}

} // namespace

JournalSystem JournalSystem::Real()
{
    JournalSystem system;
    system.selfElevated = procwin::RunsAboveTheUser(GetCurrentProcessId());
    system.elevated = procwin::RunsAboveTheUser;
    return system;
}

JournalSystem JournalSystem::RealWithLabels()
{
    JournalSystem system = Real();
    system.protect = [](const std::u16string &path) {
        common::win::SetFileOwnerAndLabel(path, common::kElevatedOnlySecurity);
    };
    system.protectedFile = [](const std::u16string &path) {
        const std::optional<common::FileSecurity> security = common::win::ReadFileSecurity(path);
        return security && common::WrittenOnlyByElevated(*security, common::win::OwnUserSid());
    };
    return system;
}

TargetJournal::TargetJournal(JournalFiles files, JournalSystem system)
    : m_files(std::move(files)), m_system(std::move(system)), m_self(procwin::OwnProcessIdentity()),
      m_session(procwin::SessionOf(GetCurrentProcessId()).value_or(0))
{
}

bool TargetJournal::Update(const std::u16string &path,
                           const std::function<void(common::IniDocument &)> &change) noexcept
{
    try
    {
        // Written before each change to a window, and needed only while the window lives.
        if (UpdateIniFile(path, change, common::win::Durability::Cache) != SaveResult::Saved)
            return false;
        // The replace may not carry the owner and label over: given again after each.
        if (m_files.ownElevated && m_system.protect && path == m_files.own &&
            common::win::FileExistsReady(path))
            m_system.protect(path);
        return true;
    }
    catch (const std::exception &)
    {
        return false; // tried again with the next change
    }
}

bool TargetJournal::Record(JournalEntry entry) noexcept
{
    if (m_files.own.empty())
        return true; // no journal is kept: nothing to write
    if (entry.Empty())
        entry = JournalEntry{};
    entry.instance = m_self;
    entry.session = m_session;
    return Update(m_files.own, [&](common::IniDocument &journal) { WriteJournalEntry(journal, entry); });
}

// The lines an earlier version kept in the roaming folder come over to the user's journal once, each
// with the session of the target it names (a line whose target no longer runs here names nothing on
// this machine), and the file goes once they are safe.
void TargetJournal::TakeOverLegacy() noexcept
{
    const std::u16string &user = UserJournal();
    if (m_files.legacy.empty() || user.empty() || !common::win::FileExistsReady(m_files.legacy))
        return;
    try
    {
        std::vector<JournalEntry> entries = ReadJournal(LoadIniFile(m_files.legacy));
        const bool taken = Update(user, [&](common::IniDocument &journal) {
            const std::vector<JournalEntry> present = ReadJournal(journal);
            for (JournalEntry &entry : entries)
            {
                const bool known = std::any_of(present.begin(), present.end(), [&](const JournalEntry &line) {
                    return line.instance == entry.instance;
                });
                entry.session = procwin::SessionOf(entry.target.id);
                if (!known && entry.session && StillTheTargets(WindowOf(entry.window), entry.target))
                    WriteJournalEntry(journal, entry);
            }
        });
        if (taken)
            DeleteFileW(common::win::W(m_files.legacy));
    }
    catch (const std::exception &)
    {
        // Held or unreadable just now: taken over at the next start.
    }
}

void TargetJournal::Remove() noexcept
{
    Record(JournalEntry{});
}

int TargetJournal::RestoreOrphans() noexcept
{
    TakeOverLegacy();
    // The elevated programs' journal counts as theirs only while its file has their owner and label;
    // otherwise it is read as the user's is (a system without labels, or a file replaced from below).
    int restored = 0;
    if (!m_files.own.empty())
        restored += RestoreOrphansOf(m_files.own, m_files.ownElevated && m_system.protectedFile &&
                                                      m_system.protectedFile(m_files.own));
    if (m_files.ownElevated && !m_files.user.empty())
        restored += RestoreOrphansOf(m_files.user, false);
    return restored;
}

int TargetJournal::RestoreOrphansOf(const std::u16string &path, bool elevatedJournal) noexcept
{
    // Most starts find nothing to undo: the file is then only read, never written.
    try
    {
        if (!HoldsInstances(LoadIniFile(path)))
            return 0;
    }
    catch (const std::exception &)
    {
        // Held or unreadable just now: the locked pass below tries again.
    }
    int restored = 0;
    Update(path, [&](common::IniDocument &journal) {
        RemoveUnreadableEntries(journal);
        std::vector<JournalEntry> orphans;
        std::vector<std::uint64_t> managed; // windows of instances that run
        for (JournalEntry &entry : ReadJournal(journal))
        {
            if (entry.instance == m_self || procwin::IsRunning(entry.instance))
                managed.push_back(entry.window);
            else
                orphans.push_back(std::move(entry));
        }
        for (const JournalEntry &entry : orphans)
        {
            const HWND window = WindowOf(entry.window);
            OrphanFacts facts;
            facts.ownSession = entry.session == m_session;
            facts.stillTheTarget = facts.ownSession && StillTheTargets(window, entry.target) &&
                                   std::find(managed.begin(), managed.end(), entry.window) == managed.end();
            facts.elevatedJournal = elevatedJournal;
            facts.readerElevated = m_system.selfElevated;
            facts.targetElevated = facts.stillTheTarget && m_system.elevated(entry.target.id);
            // Asked only where an answer could lead to the undoing: a hung window makes it wait.
            facts.answers = facts.stillTheTarget && (!facts.targetElevated || facts.readerElevated) &&
                            procwin::Answers(window);
            switch (ActionFor(facts))
            {
            case OrphanAction::Keep:
                continue;
            case OrphanAction::Undo:
                Undo(entry, window);
                ++restored;
                break;
            case OrphanAction::Drop:
                break;
            }
            RemoveJournalEntry(journal, entry.instance);
        }
    });
    return restored;
}

} // namespace controller
