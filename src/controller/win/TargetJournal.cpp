#include "controller/win/TargetJournal.h"

#include "common/win/IniFile.h"
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

TargetJournal::TargetJournal(std::u16string path, MayChange mayChange)
    : m_path(std::move(path)), m_mayChange(std::move(mayChange)), m_self(procwin::OwnProcessIdentity())
{
    if (!m_mayChange)
        m_mayChange = [](DWORD processId) { return !procwin::RunsWithHigherRights(processId); };
    // A new process has no line yet: telling it that nothing is changed needs no write.
    JournalEntry nothing;
    nothing.instance = m_self;
    m_written = nothing;
}

bool TargetJournal::Update(const std::function<void(common::IniDocument &)> &change) noexcept
{
    if (m_path.empty())
        return false;
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

void TargetJournal::Record(JournalEntry entry) noexcept
{
    if (entry.Empty())
        entry = JournalEntry{};
    entry.instance = m_self;
    if (m_written && *m_written == entry)
        return;
    m_written.reset();
    if (Update([&](common::IniDocument &journal) { WriteJournalEntry(journal, entry); }))
        m_written = entry;
}

void TargetJournal::Remove() noexcept
{
    Record(JournalEntry{});
}

int TargetJournal::RestoreOrphans() noexcept
{
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
