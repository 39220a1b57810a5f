// Undoing what KV2 instances that died left on their targets, from the journal, on real windows of
// fixture programs.
#include "WinTestSupport.h"

#include "common/win/IniFile.h"
#include "controller/Journal.h"
#include "controller/win/TargetJournal.h"
#include "procwin/win/WindowEffects.h"
#include "procwin/win/WindowInfo.h"

#include <gtest/gtest.h>

using namespace wintest;
using namespace std::chrono_literals;
using namespace controller;
using common::win::LoadIniFile;
using common::win::UpdateIniFile;

namespace
{

std::u16string Fixture(const char16_t *name)
{
    return BinFolder() + u"\\" + name;
}

procwin::ProcessIdentity NameOf(const Process &process)
{
    FILETIME created{}, exited{}, kernel{}, user{};
    GetProcessTimes(process.Handle(), &created, &exited, &kernel, &user);
    return {process.Id(), (static_cast<std::uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime};
}

// A fixture window with everything KV2 changes changed, as a KV2 leaves it when it dies.
struct ChangedTarget
{
    explicit ChangedTarget(const std::u16string &title)
        : target(u"--title \"" + title + u"\""), title(title), window(target.Window())
    {
        // Shown by the program first, so that its own show cannot undo the hide below. Each change
        // waits a moment for the program, which a loaded machine may miss: made once it answers.
        WaitUntil([&] { return procwin::SetTrans(window, 50); }, 10s);
        procwin::SetTopMostQuietly(window, true);
        WaitUntil([&] { return procwin::SetCaption(window, u"Fixed"); }, 10s);
        ShowWindow(window, SW_HIDE);
    }

    JournalEntry Entry(const procwin::ProcessIdentity &instance) const
    {
        JournalEntry entry;
        entry.instance = instance;
        entry.session = procwin::SessionOf(GetCurrentProcessId());
        entry.window = reinterpret_cast<std::uintptr_t>(window);
        entry.target = procwin::WindowProcessIdentity(window);
        entry.hidden = entry.noTaskBar = entry.topMost = true;
        entry.translucency = 50;
        entry.caption = title;
        return entry;
    }

    bool AsBefore() const
    {
        return IsWindowVisible(window) && procwin::GetTrans(window) == 100 && !procwin::IsTopMost(window) &&
               WindowText(window) == title;
    }
    bool AsLeft() const
    {
        return !IsWindowVisible(window) && procwin::GetTrans(window) != 100 && procwin::IsTopMost(window) &&
               WindowText(window) == u"Fixed";
    }

    FixtureTarget target;
    std::u16string title;
    HWND window = nullptr;
};

JournalFiles Files(std::u16string own, bool ownElevated = false, std::u16string user = {},
                   std::u16string legacy = {})
{
    JournalFiles files;
    files.own = std::move(own);
    files.ownElevated = ownElevated;
    files.user = std::move(user);
    files.legacy = std::move(legacy);
    return files;
}

// The system as a journal sees it, with the levels Wine does not have: this program elevated or not, the
// processes named elevated, and whether a file keeps the elevated programs' owner and label. One at a
// time (the journal asks through plain functions).
struct Levels
{
    bool selfElevated = false;
    std::vector<DWORD> elevated;
    bool labelled = false;
    int protects = 0;

    JournalSystem System()
    {
        s_current = this;
        JournalSystem system;
        system.selfElevated = selfElevated;
        system.elevated = [](DWORD processId) {
            const std::vector<DWORD> &listed = s_current->elevated;
            return std::find(listed.begin(), listed.end(), processId) != listed.end();
        };
        system.protect = [](const std::u16string &) { ++s_current->protects; };
        system.protectedFile = [](const std::u16string &) { return s_current->labelled; };
        return system;
    }

    static inline Levels *s_current = nullptr;
};

} // namespace

TEST(TargetJournal, OnlyTheTargetsOfDeadInstancesThatStillBelongToTheirProcessAreGivenBack)
{
    TempFolder folder;
    const std::u16string path = folder / u"Restore.ini";
    Process ended(Fixture(u"KV2TargetConsole.exe"), u"");
    ASSERT_EQ(ended.WaitForExit(10s), 0u);
    const procwin::ProcessIdentity dead = NameOf(ended);
    Process running(Fixture(u"KV2TargetConsole.exe"), u"--exit-after 60000");
    const procwin::ProcessIdentity alive = NameOf(running);

    ChangedTarget orphan(u"Orphan"), elevated(u"Elevated"), managed(u"Managed"), stranger(u"Stranger"),
        elsewhere(u"Elsewhere");
    ASSERT_TRUE(orphan.AsLeft() && elevated.AsLeft() && managed.AsLeft() && stranger.AsLeft() &&
                elsewhere.AsLeft());
    JournalEntry otherSession = elsewhere.Entry({dead.id + 4, dead.created}); // another Windows session's
    otherSession.session = *otherSession.session + 1;
    JournalEntry misnamed = stranger.Entry({dead.id + 1, dead.created}); // names it with another process
    misnamed.target.id = alive.id;
    JournalEntry reused = stranger.Entry({dead.id + 2, dead.created}); // its process id, another creation time
    reused.target.created += 1;
    UpdateIniFile(path, [&](common::IniDocument &journal) {
        WriteJournalEntry(journal, orphan.Entry(dead));
        WriteJournalEntry(journal, elevated.Entry({dead.id + 3, dead.created}));
        WriteJournalEntry(journal, managed.Entry(alive));
        WriteJournalEntry(journal, misnamed);
        WriteJournalEntry(journal, reused);
        WriteJournalEntry(journal, otherSession);
    });

    CountingTaskbarList list;
    procwin::TaskBarListAttach(&list);
    const HWND elevatedWindow = elevated.window;
    Levels levels;
    levels.elevated = {procwin::ProcessIdOf(elevatedWindow)};
    TargetJournal journal(Files(path), levels.System());
    // A window that does not answer within a moment is left for a later pass; a loaded machine may
    // keep the orphan's program from answering in time once or twice.
    int restored = 0;
    WaitUntil([&] { return (restored += journal.RestoreOrphans()) != 0; }, 10s);
    EXPECT_EQ(restored, 1);
    EXPECT_EQ(journal.RestoreOrphans(), 0);
    procwin::TaskBarListRelease();

    EXPECT_TRUE(WaitUntil([&] { return orphan.AsBefore(); }, 5s));
    EXPECT_EQ(list.addTab, 1);
    EXPECT_TRUE(elevated.AsLeft());
    EXPECT_TRUE(managed.AsLeft());
    EXPECT_TRUE(stranger.AsLeft());
    EXPECT_TRUE(elsewhere.AsLeft());
    // What is left for later: the target this program may not change, the running instance's, and the
    // other session's.
    std::vector<JournalEntry> left = ReadJournal(LoadIniFile(path));
    ASSERT_EQ(left.size(), 3u);
    EXPECT_EQ(left[0].window, reinterpret_cast<std::uintptr_t>(elevated.window));
    EXPECT_EQ(left[1].instance, alive);
    EXPECT_EQ(left[2], otherSession);
}

TEST(TargetJournal, AnInstanceRecordsItsChangesOnceAndRemovesThemAtItsEnd)
{
    TempFolder folder;
    const std::u16string path = folder / u"Restore.ini";
    ChangedTarget target(u"Own");
    TargetJournal journal(Files(path));
    // Nothing changed yet (the tick says so while the target starts): the file is not even made.
    journal.Record({});
    EXPECT_EQ(GetFileAttributesW(common::win::W(path)), INVALID_FILE_ATTRIBUTES);
    journal.Record(target.Entry({}));
    ASSERT_EQ(ReadJournal(LoadIniFile(path)).size(), 1u);
    EXPECT_EQ(ReadJournal(LoadIniFile(path))[0].instance.id, GetCurrentProcessId());
    // An instance never undoes its own changes. A line that went missing (another machine's or
    // session's instance, a user) is written again at the next record.
    EXPECT_EQ(journal.RestoreOrphans(), 0);
    DeleteFileW(common::win::W(path));
    EXPECT_TRUE(journal.Record(target.Entry({})));
    ASSERT_EQ(ReadJournal(LoadIniFile(path)).size(), 1u);
    // A changed record is written; the end removes it.
    JournalEntry visible = target.Entry({});
    visible.hidden = false;
    journal.Record(visible);
    EXPECT_FALSE(ReadJournal(LoadIniFile(path)).at(0).hidden);
    journal.Remove();
    EXPECT_TRUE(ReadJournal(LoadIniFile(path)).empty());
    EXPECT_TRUE(target.AsLeft());
}

TEST(TargetJournal, TheRoamingJournalOfAnEarlierVersionIsTakenOverOnceAndRemoved)
{
    TempFolder local, roaming;
    const std::u16string path = local / u"Restore.ini", legacy = roaming / u"Restore.ini";
    Process ended(Fixture(u"KV2TargetConsole.exe"), u"");
    ASSERT_EQ(ended.WaitForExit(10s), 0u);
    ChangedTarget orphan(u"Orphan");
    ASSERT_TRUE(orphan.AsLeft());
    JournalEntry old = orphan.Entry(NameOf(ended));
    old.session.reset(); // an earlier version knew no sessions
    JournalEntry gone = old;
    gone.instance.id += 1;
    gone.target.created += 1; // a target that no longer runs here (another machine's)
    UpdateIniFile(legacy, [&](common::IniDocument &journal) {
        WriteJournalEntry(journal, old);
        WriteJournalEntry(journal, gone);
    });

    TargetJournal journal(Files(path, false, {}, legacy));
    int restored = 0;
    WaitUntil([&] { return (restored += journal.RestoreOrphans()) != 0; }, 10s);
    EXPECT_EQ(restored, 1);
    EXPECT_TRUE(WaitUntil([&] { return orphan.AsBefore(); }, 5s));
    EXPECT_EQ(GetFileAttributesW(common::win::W(legacy)), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(ReadJournal(LoadIniFile(path)).empty());
}

TEST(TargetJournal, KV2AUndoesAnElevatedWindowOnlyFromItsOwnJournalWhileItsFileKeepsItsLabel)
{
    TempFolder folder;
    const std::u16string own = folder / u"RestoreA.ini", user = folder / u"Restore.ini";
    Process ended(Fixture(u"KV2TargetConsole.exe"), u"");
    ASSERT_EQ(ended.WaitForExit(10s), 0u);
    const procwin::ProcessIdentity dead = NameOf(ended);
    struct Case
    {
        const char *name;
        bool inOwn;    // the line is in KV2A's own journal, else in the user's
        bool elevated; // the window's process runs elevated
        bool labelled; // KV2A's journal keeps its owner and label
        bool undone;
    };
    const Case cases[] = {
        {"the user's journal, the user's window", false, false, true, true},
        {"the user's journal, an elevated window", false, true, true, false},
        {"its own journal, an elevated window", true, true, true, true},
        {"its own journal replaced from below, an elevated window", true, true, false, false},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        ChangedTarget target(u"Target");
        ASSERT_TRUE(target.AsLeft());
        UpdateIniFile(c.inOwn ? own : user,
                      [&](common::IniDocument &journal) { WriteJournalEntry(journal, target.Entry(dead)); });
        Levels levels;
        levels.selfElevated = true;
        levels.labelled = c.labelled;
        if (c.elevated)
            levels.elevated.push_back(procwin::ProcessIdOf(target.window));
        TargetJournal journal(Files(own, true, user), levels.System());
        int restored = 0;
        WaitUntil([&] { return (restored += journal.RestoreOrphans()) != 0 || !c.undone; }, 10s);
        EXPECT_EQ(restored, c.undone ? 1 : 0);
        EXPECT_TRUE(c.undone ? WaitUntil([&] { return target.AsBefore(); }, 5s) : target.AsLeft());
        EXPECT_TRUE(ReadJournal(LoadIniFile(c.inOwn ? own : user)).empty()) << "the line goes either way";
        // What KV2A records goes to its own journal, which it labels again after each write.
        const int protects = levels.protects;
        EXPECT_TRUE(journal.Record(target.Entry({})));
        EXPECT_EQ(ReadJournal(LoadIniFile(own)).size(), 1u);
        EXPECT_GT(levels.protects, protects);
        journal.Remove();
    }
}
