#include "WinTestSupport.h"

#include "common/Text.h"
#include "common/win/FileSystem.h"
#include "common/win/TextFile.h"
#include "common/win/WinError.h"

#include <gtest/gtest.h>

using namespace wintest;
using common::TextEncoding;
using common::win::Durability;
using common::win::LoadTextFile;
using common::win::SaveResult;
using common::win::SaveTextFile;
using common::win::StringList;

namespace
{

std::vector<std::u16string> FolderEntries(const std::u16string &folder)
{
    std::vector<std::u16string> names;
    WIN32_FIND_DATAW found;
    common::win::UniqueFind search(FindFirstFileW(W(folder + u"\\*"), &found));
    if (search)
        do
        {
            const std::u16string name = U(found.cFileName);
            if (name != u"." && name != u"..")
                names.push_back(name);
        } while (FindNextFileW(search.Get(), &found));
    return names;
}

std::u16string CurrentFolder()
{
    wchar_t buffer[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, buffer);
    return U(buffer);
}

} // namespace

TEST(LoadTextFile, DecodesByByteOrderMarkOrAsAnsi)
{
    TempFolder temp;
    const StringList expected = {u"[Program]", u"Name=C:\\\u30d7\u30ed\u30b0\u30e9\u30e0\\a.exe", u"",
                                 u"end"};
    struct Case
    {
        const char *name;
        std::string bytes;
    } cases[] = {
        {"utf16le", Utf16File("[Program]\r\nName=C:\\プログラム\\a.exe\r\n\r\nend\r\n")},
        {"utf16be", Utf16File("[Program]\r\nName=C:\\プログラム\\a.exe\n\nend", true)},
        {"utf8", "\xEF\xBB\xBF[Program]\nName=C:\\プログラム\\a.exe\r\n\r\nend"},
        // Code page 932 (Shift-JIS), the session's ANSI code page.
        {"ansi", "[Program]\r\nName=C:\\\x83\x76\x83\x8D\x83\x4F\x83\x89\x83\x80\\a.exe\r\n\r\nend\r\n"},
    };
    ASSERT_EQ(GetACP(), 932u) << "the tests run in a Japanese locale";
    for (const auto &c : cases)
    {
        const std::u16string file = temp / common::Utf8ToUtf16(c.name);
        WriteBytes(file, c.bytes);
        StringList lines = {u"left over"};
        EXPECT_EQ(LoadTextFile(lines, file, TextEncoding::Ansi), expected.size()) << c.name;
        EXPECT_EQ(lines, expected) << c.name;
    }
}

TEST(LoadTextFile, MissingFileGivesNoLinesAndUnreadableFileRaises)
{
    TempFolder temp;
    StringList lines = {u"x"};
    EXPECT_EQ(LoadTextFile(lines, temp / u"missing.ini", TextEncoding::Ansi), 0u);
    EXPECT_TRUE(lines.empty());

    // Too large to be a settings file: refused loudly, so that no caller takes it for empty.
    const std::u16string big = temp / u"big.ini";
    WriteBytes(big, std::string(common::win::kTextFileSizeLimit + 1, 'a'));
    EXPECT_THROW(LoadTextFile(lines, big, TextEncoding::Ansi), common::win::WinError);
}

TEST(SaveTextFile, WritesUnicodeWithByteOrderMarkAndCrLf)
{
    TempFolder temp;
    const std::u16string file = temp / u"out.ini";
    const StringList lines = {u"[Tray Option]", u"Edit=\u30bf\u30a4\u30c8\u30eb", u""};
    ASSERT_EQ(SaveTextFile(lines, file, TextEncoding::Utf16Le), SaveResult::Saved);
    EXPECT_EQ(ReadBytes(file), Utf16File("[Tray Option]\r\nEdit=タイトル\r\n\r\n"));
    ASSERT_EQ(SaveTextFile(lines, file, TextEncoding::Utf8), SaveResult::Saved);
    EXPECT_EQ(ReadBytes(file), "\xEF\xBB\xBF[Tray Option]\r\nEdit=タイトル\r\n\r\n");
    ASSERT_EQ(SaveTextFile({u"\u30bf"}, file, TextEncoding::Ansi), SaveResult::Saved);
    EXPECT_EQ(ReadBytes(file), "\x83\x5E\r\n");

    StringList back;
    LoadTextFile(back, file, TextEncoding::Ansi);
    EXPECT_EQ(back, StringList{u"\u30bf"});
}

TEST(SaveTextFile, ReplacesAtomicallyAndLeavesNoTemporaryFiles)
{
    // Flushed to the disk or left in the system's cache, the replace is the same.
    for (const Durability durability : {Durability::Disk, Durability::Cache})
    {
        TempFolder temp;
        const std::u16string file = temp / u"task.KV2";
        WriteBytes(file, "old content that is longer than the new one");
        for (int i = 0; i < 3; ++i)
            ASSERT_EQ(SaveTextFile({u"new"}, file, TextEncoding::Utf16Le, durability), SaveResult::Saved);
        EXPECT_EQ(ReadBytes(file), Utf16File("new\r\n"));
        EXPECT_EQ(FolderEntries(temp.Path()), std::vector<std::u16string>{u"task.KV2"});
    }
}

TEST(SaveTextFile, FileHeldOpenByAnotherProcessIsNotWritten)
{
    TempFolder temp;
    const std::u16string file = temp / u"held.KV2";
    WriteBytes(file, "original");
    Process holder(BinFolder() + u"\\KV2Target.exe", u"--hold-file \"" + file + u"\"");
    ASSERT_TRUE(
        WaitUntil([&] { return common::win::FileExistsReady(file + u".held"); }, std::chrono::seconds(20)));

    EXPECT_EQ(SaveTextFile({u"replacement"}, file, TextEncoding::Utf16Le), SaveResult::Held);
    // Reading it is refused too while it is held without sharing, and raises rather than giving nothing.
    StringList lines;
    EXPECT_THROW(LoadTextFile(lines, file, TextEncoding::Ansi), common::win::FileHeldError);

    TerminateProcess(holder.Handle(), 0);
    holder.WaitForExit(std::chrono::seconds(10));
    EXPECT_EQ(ReadBytes(file), "original");
    EXPECT_EQ(SaveTextFile({u"replacement"}, file, TextEncoding::Utf16Le), SaveResult::Saved);
}

TEST(SaveTextFile, OnlyAHandleThatForbidsDeletingTheFileHoldsItAgainstASave)
{
    // As Windows decides whether a file may be renamed over: a reader that allows deleting (a search
    // indexer, a virus scanner, a program that reads the file just now) does not hold it.
    const struct
    {
        const char *name;
        DWORD sharing;
        SaveResult result;
    } cases[] = {
        {"no sharing", 0, SaveResult::Held},
        {"reading and writing shared", FILE_SHARE_READ | FILE_SHARE_WRITE, SaveResult::Held},
        {"everything shared", FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, SaveResult::Saved},
    };
    for (const auto &c : cases)
    {
        TempFolder temp;
        const std::u16string file = temp / u"read.KV2";
        WriteBytes(file, "original");
        {
            const common::win::UniqueFile reader(
                CreateFileW(W(file), GENERIC_READ, c.sharing, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
            ASSERT_TRUE(reader) << c.name;
            EXPECT_EQ(SaveTextFile({u"new"}, file, TextEncoding::Utf16Le), c.result) << c.name;
        }
        EXPECT_EQ(ReadBytes(file), c.result == SaveResult::Saved ? Utf16File("new\r\n") : "original") << c.name;
    }
}

TEST(SaveTextFile, FailedWriteRaisesAndKeepsTheOldFile)
{
    TempFolder temp;
    const std::u16string readOnly = temp / u"readonly.KV2";
    WriteBytes(readOnly, "keep me");
    ASSERT_TRUE(SetFileAttributesW(W(readOnly), FILE_ATTRIBUTE_READONLY));
    EXPECT_THROW(SaveTextFile({u"x"}, readOnly, TextEncoding::Utf16Le), common::win::WinError);
    EXPECT_EQ(ReadBytes(readOnly), "keep me");
    EXPECT_EQ(FolderEntries(temp.Path()), std::vector<std::u16string>{u"readonly.KV2"});

    EXPECT_THROW(SaveTextFile({u"x"}, temp / u"no such folder\\file.KV2", TextEncoding::Utf16Le),
                 common::win::WinError);
}

TEST(SaveTextFile, LoadAndSaveLeaveTheProgramFolderCurrent)
{
    TempFolder temp;
    ASSERT_TRUE(SetCurrentDirectoryW(W(temp.Path())));
    StringList lines;
    LoadTextFile(lines, temp / u"missing.ini", TextEncoding::Ansi);
    EXPECT_TRUE(common::EqualsNoCase(CurrentFolder(), BinFolder()));

    ASSERT_TRUE(SetCurrentDirectoryW(W(temp.Path())));
    SaveTextFile({u"a"}, temp / u"a.ini", TextEncoding::Utf16Le);
    EXPECT_TRUE(common::EqualsNoCase(CurrentFolder(), BinFolder()));
}
