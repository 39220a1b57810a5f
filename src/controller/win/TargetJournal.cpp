#include "controller/win/TargetJournal.h"

#include "common/win/FileSystem.h"
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

TargetJournal::TargetJournal(std::u16string path, MayChange mayChange, std::u16string legacyPath)
    : m_path(std::move(path)), m_mayChange(std::move(mayChange)), m_legacyPath(std::move(legacyPath)),
      m_self(procwin::OwnProcessIdentity()), m_session(procwin::SessionOf(GetCurrentProcessId()).value_or(0))
{
    if (!m_mayChange)
        m_mayChange = [](DWORD processId) { return !procwin::RunsWithHigherRights(processId); };
}

bool TargetJournal::Update(const std::function<void(common::IniDocument &)> &change) noexcept
{
    if (m_path.empty())
        return true; // no journal is kept: nothing to write
    try
    {
        // Written before each change to a window, and needed only while the window lives.
        return UpdateIniFile(m_path, change, common::win::Durability::Cache) == SaveResult::Saved;
    }
    catch (const std::exception &)
    {
        return false; // tried again with the next change
    }
}

bool TargetJournal::Record(JournalEntry entry) noexcept
{
    if (entry.Empty())
        entry = JournalEntry{};
    entry.instance = m_self;
    entry.session = m_session;
    return Update([&](common::IniDocument &journal) { WriteJournalEntry(journal, entry); });
}

// The lines an earlier version kept in the roaming folder come over once, each with the session of the
// target it names (a line whose target no longer runs here names nothing on this machine), and the
// file goes once they are safe.
void TargetJournal::TakeOverLegacy() noexcept
{
    if (m_legacyPath.empty() || !common::win::FileExistsReady(m_legacyPath))
        return;
    try
    {
        std::vector<JournalEntry> entries = ReadJournal(LoadIniFile(m_legacyPath));
        const bool taken = Update([&](common::IniDocument &journal) {
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
            DeleteFileW(common::win::W(m_legacyPath));
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
    // Most starts find nothing to undo: the file is then only read, never written.
    try
    {
        if (m_path.empty() || !HoldsInstances(LoadIniFile(m_path)))
            return 0;
    }
    catch (const std::exception &)
    {
        // Held or unreadable just now: the locked pass below tries again.
    }
    int restored = 0;
    Update([&](common::IniDocument &journal) {
        RemoveUnreadableEntries(journal);
        std::vector<JournalEntry> orphans;
        std::vector<std::uint64_t> managed; // windows of instances that run
        for (JournalEntry &entry : ReadJournal(journal))
        {
            if (entry.session != m_session)
                continue; // another session's: its windows and processes are not this one's to judge
            if (entry.instance == m_self || procwin::IsRunning(entry.instance))
                managed.push_back(entry.window);
            else
                orphans.push_back(std::move(entry));
        }
        for (const JournalEntry &entry : orphans)
        {
            const HWND window = WindowOf(entry.window);
            const bool ours = StillTheTargets(window, entry.target) &&
                              std::find(managed.begin(), managed.end(), entry.window) == managed.end();
            if (ours && (!m_mayChange(entry.target.id) || !procwin::Answers(window)))
                continue; // for a KV2A, or for when the window answers again
            if (ours)
            {
                Undo(entry, window);
                ++restored;
            }
            RemoveJournalEntry(journal, entry.instance);
        }
    });
    return restored;
}

} // namespace controller
