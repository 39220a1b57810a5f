#include "controller/Journal.h"

#include "common/Text.h"

#include <gtest/gtest.h>

using common::IniDocument;
using namespace controller;

namespace
{

JournalEntry FullEntry()
{
    JournalEntry entry;
    entry.instance = {4321, 133000000000000001};
    entry.session = 4294967295u;
    entry.window = 0x10'0000'0456;
    entry.subWindow = 0x789;
    entry.target = {1234, 133000000000000002};
    entry.hidden = entry.noTaskBar = entry.captionless = entry.topMost = true;
    entry.translucency = 50;
    entry.ownLayering = {.layered = true, .colourKey = 0x00FF00, .alpha = 200, .flags = 3};
    entry.caption = u"  メモ帳\r\n = [x] ; ";
    return entry;
}

} // namespace

TEST(Journal, AnEntryReadsBackAsWrittenAndOnlyItsOwnSectionChanges)
{
    IniDocument journal = IniDocument::Parse(u"[Other]\r\nKey=1\r\n");
    const JournalEntry full = FullEntry();
    JournalEntry plain;
    plain.instance = {99, 5};
    plain.window = 7;
    plain.target = {8, 9};
    plain.topMost = true;
    WriteJournalEntry(journal, full);
    WriteJournalEntry(journal, plain);
    // Through the file's text: blanks at the caption's ends and its line break survive.
    journal = IniDocument::Parse(journal.Serialize());
    EXPECT_EQ(ReadJournal(journal), (std::vector<JournalEntry>{full, plain}));

    JournalEntry changed = full;
    changed.hidden = false;
    changed.caption.reset();
    WriteJournalEntry(journal, changed);
    EXPECT_EQ(ReadJournal(journal), (std::vector<JournalEntry>{plain, changed}));

    // Nothing left to undo, or the instance removed: its section goes, the others stay.
    changed.noTaskBar = changed.captionless = changed.topMost = false;
    changed.translucency = 100;
    ASSERT_TRUE(changed.Empty());
    WriteJournalEntry(journal, changed);
    RemoveJournalEntry(journal, plain.instance);
    EXPECT_TRUE(ReadJournal(journal).empty());
    EXPECT_FALSE(HoldsInstances(journal));
    EXPECT_EQ(journal.Get(u"Other", u"Key", u""), u"1");
    EXPECT_EQ(journal.Sections().size(), 1u);
}

TEST(Journal, ADamagedOrHostileSectionIsNeverReadAsAnEntry)
{
    const struct
    {
        const char *name;
        std::u16string text;
        bool read;
    } cases[] = {
        {"complete", u"[Instance 5 6]\r\nWindow=7\r\nProcess=8\r\nCreated=9\r\nHidden=1\r\n", true},
        {"no window", u"[Instance 5 6]\r\nProcess=8\r\nCreated=9\r\nHidden=1\r\n", false},
        {"window 0", u"[Instance 5 6]\r\nWindow=0\r\nProcess=8\r\nCreated=9\r\n", false},
        {"no process", u"[Instance 5 6]\r\nWindow=7\r\nCreated=9\r\n", false},
        {"no creation time", u"[Instance 5 6]\r\nWindow=7\r\nProcess=8\r\n", false},
        {"process 0", u"[Instance 5 6]\r\nWindow=7\r\nProcess=0\r\nCreated=9\r\n", false},
        {"process past 32 bits", u"[Instance 5 6]\r\nWindow=7\r\nProcess=4294967296\r\nCreated=9\r\n", false},
        {"negative window", u"[Instance 5 6]\r\nWindow=-7\r\nProcess=8\r\nCreated=9\r\n", false},
        {"window past 64 bits", u"[Instance 5 6]\r\nWindow=18446744073709551616\r\nProcess=8\r\nCreated=9\r\n",
         false},
        {"text for a number", u"[Instance 5 6]\r\nWindow=0x7\r\nProcess=8\r\nCreated=9\r\n", false},
        {"instance without time", u"[Instance 5]\r\nWindow=7\r\nProcess=8\r\nCreated=9\r\n", false},
        {"instance not a number", u"[Instance five 6]\r\nWindow=7\r\nProcess=8\r\nCreated=9\r\n", false},
        {"another program's section", u"[Settings]\r\nWindow=7\r\nProcess=8\r\nCreated=9\r\n", false},
    };
    for (const auto &c : cases)
    {
        IniDocument journal = IniDocument::Parse(c.text);
        EXPECT_EQ(ReadJournal(journal).size(), c.read ? 1u : 0u) << c.name;
        RemoveUnreadableEntries(journal);
        // Damaged instance sections go; a section that is not an instance's is left alone.
        const bool instanceSection = c.text.starts_with(u"[Instance");
        EXPECT_EQ(journal.Sections().size(), c.read || !instanceSection ? 1u : 0u) << c.name;
    }
}

TEST(Journal, OddValuesReadAsNothingToUndoAndTheFirstOfTwinSectionsCounts)
{
    const IniDocument journal = IniDocument::Parse(u"[Instance 5 6]\r\nWindow=7\r\nProcess=8\r\nCreated=9\r\n"
                                                   u"Hidden=yes\r\nTopMost=2\r\nTranslucency=0\r\nCaption=00G1\r\n"
                                                   u"[instance 5 6]\r\nWindow=70\r\nProcess=80\r\nCreated=90\r\n");
    const std::vector<JournalEntry> entries = ReadJournal(journal);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].window, 7u);
    EXPECT_TRUE(entries[0].Empty());
    for (const char16_t *translucency : {u"100", u"-5", u"50000000000", u""})
    {
        const IniDocument one = IniDocument::Parse(
            std::u16string(u"[Instance 5 6]\r\nWindow=7\r\nProcess=8\r\nCreated=9\r\nTranslucency=") + translucency);
        EXPECT_EQ(ReadJournal(one).at(0).translucency, 100);
    }
    EXPECT_FALSE(entries[0].session);
    for (const char16_t *session : {u"-1", u"4294967296", u"1x", u""})
    {
        const IniDocument one = IniDocument::Parse(
            std::u16string(u"[Instance 5 6]\r\nWindow=7\r\nProcess=8\r\nCreated=9\r\nSession=") + session);
        EXPECT_FALSE(ReadJournal(one).at(0).session) << common::Utf16ToUtf8(session);
    }
}

TEST(Journal, AnElevatedInstanceUndoesAnElevatedWindowOnlyFromItsOwnJournal)
{
    using enum OrphanAction;
    struct Case
    {
        const char *name;
        OrphanFacts facts;
        OrphanAction action;
    };
    const OrphanFacts plain{.ownSession = true, .stillTheTarget = true, .answers = true};
    const auto with = [&](auto change) {
        OrphanFacts facts = plain;
        change(facts);
        return facts;
    };
    const Case cases[] = {
        {"KV2, the user's window", plain, Undo},
        {"another session's line", with([](OrphanFacts &f) { f.ownSession = false; }), Keep},
        {"a window no longer the target's", with([](OrphanFacts &f) { f.stillTheTarget = false; }), Drop},
        {"a window that does not answer", with([](OrphanFacts &f) { f.answers = false; }), Keep},
        {"KV2, an elevated window", with([](OrphanFacts &f) { f.targetElevated = true; }), Keep},
        {"KV2A, the user's journal, the user's window", with([](OrphanFacts &f) { f.readerElevated = true; }),
         Undo},
        {"KV2A, the user's journal, an elevated window",
         with([](OrphanFacts &f) { f.readerElevated = f.targetElevated = true; }), Drop},
        {"KV2A, its own journal, an elevated window",
         with([](OrphanFacts &f) { f.readerElevated = f.targetElevated = f.elevatedJournal = true; }), Undo},
        {"KV2A, its own journal, elsewhere", with([](OrphanFacts &f) {
             f.readerElevated = f.targetElevated = f.elevatedJournal = true;
             f.ownSession = false;
         }),
         Keep},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ActionFor(c.facts), c.action) << c.name;
}
