// Settings files on disk: shared by several processes, rewritten atomically, task files kept intact.
#include "WinTestSupport.h"

#include "common/win/FileSystem.h"
#include "common/win/IniFile.h"
#include "controller/Options.h"
#include "controller/win/OptionFile.h"
#include "common/win/TextFile.h"
#include "common/win/WinError.h"
#include "common/TextEncoding.h"
#include "startup/win/SystemFileProbe.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <thread>

using namespace wintest;
using namespace std::chrono_literals;
using common::IniDocument;

namespace
{

std::u16string Saver()
{
    return BinFolder() + u"\\KV2OptionSaver.exe";
}

std::u16string Number(int n)
{
    return common::Utf8ToUtf16(std::to_string(n));
}

// True when every key of the section holds the same value; that value, or -1 for a torn section.
int SectionCounter(const IniDocument &file, std::u16string_view section, int keys)
{
    const std::u16string first = file.Get(section, u"K0", u"");
    for (int k = 1; k < keys; ++k)
        if (file.Get(section, u"K" + Number(k), u"?") != first)
            return -1;
    return first.empty() ? -1 : common::ParseInt32(first).value_or(-1);
}

} // namespace

TEST(OptionFile, AnsiTaskFileIsRewrittenAsUnicodeWithEverySectionIntact)
{
    TempFolder temp;
    const std::u16string task = temp / u"editor.KV2";
    // Code page 932 text: "[Program]" with a Japanese path, comments and an unknown section.
    WriteBytes(task, "; comment\r\n[Program]\r\nName=C:\\\x83\x76\x83\x8D\\a.exe\r\nOption=/x\r\n"
                     "[Window]\r\nStyle=max\r\n[Custom]\r\nKey=Value\r\n[Icon]\r\nNumber=2\r\n[HotKey]\r\n"
                     "Show=Ctrl+K\r\n[Execute]\r\nYesNo=No\r\n");
    controller::TrayOptions options;
    options.TransValue = 50;
    ASSERT_EQ(common::win::UpdateIniFile(task,
                                        [&](IniDocument &file) {
                                            controller::SaveOptions(file, controller::kTaskOptionSection,
                                                                    options, true);
                                        }),
              common::win::SaveResult::Saved);

    const std::string bytes = ReadBytes(task);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    const IniDocument file = common::win::LoadIniFile(task);
    EXPECT_EQ(file.Get(u"Program", u"Name", u""), u"C:\\プロ\\a.exe");
    EXPECT_EQ(file.Get(u"Program", u"Option", u""), u"/x");
    EXPECT_EQ(file.Get(u"Window", u"Style", u""), u"max");
    EXPECT_EQ(file.Get(u"Custom", u"Key", u""), u"Value");
    EXPECT_EQ(file.Get(u"Icon", u"Number", u""), u"2");
    EXPECT_EQ(file.Get(u"HotKey", u"Show", u""), u"Ctrl+K");
    EXPECT_EQ(file.Get(u"Execute", u"YesNo", u""), u"No");
    EXPECT_EQ(file.Get(u"Tray Option", u"TransValue", u""), u"50");
    ASSERT_EQ(file.Sections().size(), 7u);
    EXPECT_EQ(file.Sections()[6].entries.size(), 27u);
}

TEST(OptionFile, UnreadableOrHeldFilesAreNotOverwritten)
{
    TempFolder temp;
    const std::u16string big = temp / u"exe.ini";
    WriteBytes(big, std::string(common::win::kTextFileSizeLimit + 10, 'x'));
    EXPECT_THROW(common::win::UpdateIniFile(big, [](IniDocument &file) { file.Set(u"a", u"b", u"c"); }),
                 common::win::WinError);
    EXPECT_EQ(ReadBytes(big).size(), common::win::kTextFileSizeLimit + 10);

    const std::u16string held = temp / u"held.KV2";
    WriteBytes(held, Utf16File("[Program]\r\nName=x\r\n"));
    Process holder(BinFolder() + u"\\KV2Target.exe", u"--hold-file \"" + held + u"\"");
    ASSERT_TRUE(WaitUntil([&] { return common::win::FileExistsReady(held + u".held"); }, 20s));
    // Not even readable while held without sharing: left alone, and not reported as a failed read.
    common::win::SaveResult result = common::win::SaveResult::Saved;
    EXPECT_NO_THROW(
        result = common::win::UpdateIniFile(held, [](IniDocument &file) { file.Set(u"a", u"b", u"c"); }));
    EXPECT_EQ(result, common::win::SaveResult::Held);
    TerminateProcess(holder.Handle(), 0);
    holder.WaitForExit(10s);
    EXPECT_EQ(ReadBytes(held), Utf16File("[Program]\r\nName=x\r\n"));
}

TEST(OptionFile, ReadOfAHeldFileIsRetriedBriefly)
{
    TempFolder temp;
    const std::u16string file = temp / u"KV2.ini";
    WriteBytes(file, Utf16File("[a]\r\nb=c\r\n"));
    const auto holdFile = [&] {
        return common::win::UniqueFile(
            CreateFileW(W(file), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    };

    // Let go of soon after the first attempt: read.
    common::win::UniqueFile briefly = holdFile();
    ASSERT_TRUE(briefly);
    std::thread release([&] {
        Sleep(20); // early: the read tries again for a few hundred milliseconds, which a loaded machine may use up
        briefly.Reset();
    });
    IniDocument read;
    EXPECT_NO_THROW(read = common::win::LoadIniFile(file));
    release.join();
    EXPECT_EQ(read.Get(u"a", u"b", u""), u"c");

    // Held throughout: raises after a few hundred milliseconds (a loaded machine may stretch them).
    const common::win::UniqueFile throughout = holdFile();
    ASSERT_TRUE(throughout);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_THROW(common::win::LoadIniFile(file), common::win::FileHeldError);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
}

TEST(OptionFile, ConcurrentSavesOfDifferentSectionsLoseNothing)
{
    TempFolder temp;
    const std::u16string shared = temp / u"exe.ini";
    WriteBytes(shared, Utf16File("[c:\\other\\program.exe]\r\nMinimize=0\r\n"));
    constexpr int kProcesses = 4;
    constexpr int kSaves = 40;
    std::vector<std::unique_ptr<Process>> savers;
    for (int p = 0; p < kProcesses; ++p)
        savers.push_back(std::make_unique<Process>(Saver(), u"\"" + shared + u"\" \"c:\\programs\\tool" +
                                                                Number(p) + u".exe\" " + Number(kSaves)));
    for (auto &saver : savers)
        EXPECT_EQ(saver->WaitForExit(120s), 0u);

    const IniDocument file = common::win::LoadIniFile(shared);
    EXPECT_EQ(file.Get(u"c:\\other\\program.exe", u"Minimize", u""), u"0");
    for (int p = 0; p < kProcesses; ++p)
        EXPECT_EQ(SectionCounter(file, u"c:\\programs\\tool" + Number(p) + u".exe", 25), kSaves - 1) << p;
}

TEST(OptionFile, SaveLockIsWaitedForBrieflyAndFreedWhenItsHolderDies)
{
    TempFolder temp;
    const std::u16string file = temp / u"exe.ini";
    WriteBytes(file, Utf16File("[kept]\r\nK=1\r\n"));
    Process holder(Saver(), u"--hold \"" + (temp / u"other.ini") + u"\"");
    ASSERT_TRUE(WaitUntil([&] { return common::win::FileExistsReady(temp / u"other.ini.saving"); }, 20s));

    const auto change = [](IniDocument &document) { document.Set(u"mine", u"K", u"2"); };
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(common::win::UpdateIniFile(file, change), common::win::SaveResult::Held);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s) << "the wait for the lock is bounded";
    EXPECT_FALSE(common::win::LoadIniFile(file).HasSection(u"mine")) << "written without the lock";

    TerminateProcess(holder.Handle(), 9);
    holder.WaitForExit(10s);
    EXPECT_EQ(common::win::UpdateIniFile(file, change), common::win::SaveResult::Saved);
    EXPECT_EQ(common::win::LoadIniFile(file).Get(u"mine", u"K", u""), u"2");
}

TEST(OptionFile, SaveInterruptedAtAnyPointLeavesTheOldOrTheNewFile)
{
    TempFolder temp;
    const std::u16string shared = temp / u"exe.ini";
    WriteBytes(shared, Utf16File("[keep]\r\nK=1\r\n"));
    // Large sections make each write take long enough to be cut in the middle.
    constexpr int kKeys = 3000;
    int lastSeen = -1;
    for (int round = 0; round < 6; ++round)
    {
        Process saver(Saver(), u"\"" + shared + u"\" victim 100000 " + Number(kKeys));
        // The first round lets one save through, however long a loaded machine takes to start the saver.
        if (round == 0)
        {
            EXPECT_TRUE(WaitUntil(
                [&] {
                    try
                    {
                        return common::win::LoadIniFile(shared).HasSection(u"victim");
                    }
                    catch (const std::exception &)
                    {
                        return false;
                    }
                },
                30s));
        }
        Sleep(150 + 97 * round);
        TerminateProcess(saver.Handle(), 9);
        saver.WaitForExit(10s);

        const IniDocument file = common::win::LoadIniFile(shared);
        EXPECT_EQ(file.Get(u"keep", u"K", u""), u"1") << round;
        if (file.HasSection(u"victim"))
        {
            const int counter = SectionCounter(file, u"victim", kKeys);
            EXPECT_GE(counter, 0) << "a torn section in round " << round;
            lastSeen = counter;
        }
    }
    EXPECT_GE(lastSeen, 0) << "no save got through at all";
}

TEST(OptionFile, AReadBetweenTheTwoRenamesOfAnotherSaveWaitsForIt)
{
    // Each reader of a file: the option and journal loads, and the task file's.
    const std::function<bool(const std::u16string &)> readers[] = {
        [](const std::u16string &file) { return common::win::LoadIniFile(file).HasSection(u"new"); },
        [](const std::u16string &file) {
            const auto bytes = startup::SystemFileProbe().FileExists(file)
                                   ? startup::SystemFileProbe().ReadFile(file, 1 << 20)
                                   : std::nullopt;
            return bytes && IniDocument::Parse(common::DecodeText(*bytes, common::TextEncoding::Ansi,
                                                                  common::win::SystemAnsiCodePage()))
                                .HasSection(u"new");
        },
    };
    for (const auto &read : readers)
    {
        TempFolder temp;
        const std::u16string file = temp / u"exe.ini";
        WriteBytes(file, Utf16File("[old]\r\nK=1\r\n"));
        Process saver(Saver(), u"--between-renames \"" + file + u"\" 300");
        ASSERT_TRUE(WaitUntil([&] { return common::win::FileExistsReady(file + u".saving"); }, 20s));
        EXPECT_TRUE(read(file)) << "the read came before the save had ended";
        EXPECT_EQ(saver.WaitForExit(10s), 0u) << "the save was undone by the read";
        EXPECT_EQ(common::win::LoadIniFile(file).Get(u"old", u"K", u""), u"1");
    }
}

TEST(OptionFile, WhatADeadSaveLeftIsPutBackOrClearedAwayUnderTheLock)
{
    TempFolder temp;
    const std::u16string file = temp / u"exe.ini";
    WriteBytes(file, Utf16File("[old]\r\nK=1\r\n"));
    Process saver(Saver(), u"--between-renames \"" + file + u"\" 60000");
    ASSERT_TRUE(WaitUntil([&] { return common::win::FileExistsReady(file + u".saving"); }, 20s));
    TerminateProcess(saver.Handle(), 9);
    saver.WaitForExit(10s);
    EXPECT_EQ(common::win::LoadIniFile(file).Get(u"old", u"K", u""), u"1") << "the old file is back";

    // A backup left after the new file took its place does not bring the file back once it is deleted.
    WriteBytes(file + u".~4000000-1.bak", Utf16File("[stale]\r\nK=1\r\n"));
    EXPECT_EQ(
        common::win::UpdateIniFile(file, [](IniDocument &document) { document.Set(u"mine", u"K", u"2"); }),
        common::win::SaveResult::Saved);
    ASSERT_TRUE(DeleteFileW(W(file)));
    EXPECT_FALSE(common::win::LoadIniFile(file).HasSection(u"stale"));
    WIN32_FIND_DATAW found{};
    EXPECT_FALSE(common::win::UniqueFind(FindFirstFileW(W(file + u".~*"), &found)))
        << "left beside the file: " << common::Utf16ToUtf8(common::win::U(found.cFileName));
}

TEST(ElevatedJournal, AFileTheUserMadeIsNeverTakenForTheElevatedPrograms)
{
    // The real calls: the owner a file gets from its maker is read back as the user's SID, which is
    // no label and no Administrators owner. (Wine keeps no labels: what the elevated programs set is
    // judged through a stand-in in the journal's tests.)
    TempFolder temp;
    const std::u16string file = temp / u"RestoreA.ini";
    WriteBytes(file, Utf16File("[x]\r\n"));
    const std::u16string user = common::win::OwnUserSid();
    ASSERT_EQ(user.rfind(u"S-1-", 0), 0u) << common::Utf16ToUtf8(user);
    const auto security = common::win::ReadFileSecurity(file);
    ASSERT_TRUE(security);
    EXPECT_EQ(security->ownerSid, user);
    EXPECT_FALSE(common::WrittenOnlyByElevated(*security, user));
    EXPECT_FALSE(common::win::ReadFileSecurity(temp / u"missing.ini"));
}
