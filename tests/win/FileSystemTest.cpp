#include "WinTestSupport.h"

#include "common/win/FileSystem.h"

#include <gtest/gtest.h>

using namespace wintest;
using common::win::DirectoryExistsReady;
using common::win::FileExistsReady;
using common::win::IsDriveReady;

namespace
{

// A drive letter that names no drive in this session.
std::u16string MissingDriveRoot()
{
    const DWORD drives = GetLogicalDrives();
    for (char16_t letter = u'Q'; letter <= u'Z'; ++letter)
        if ((drives & (1u << (letter - u'A'))) == 0)
            return std::u16string{letter, u':', u'\\'};
    return {};
}

} // namespace

TEST(ExistenceTests, DriveReadiness)
{
    const std::u16string missing = MissingDriveRoot();
    ASSERT_FALSE(missing.empty());
    struct Case
    {
        std::u16string path;
        bool ready;
    } cases[] = {
        {u"", false},
        {u"C:\\", true},
        {u"c:\\windows", true},   // a lower-case letter is the same drive
        {u"C", true},             // the first letter counts whether or not a colon follows
        {u"\\\\server\\share\\file.txt", true},
        {u"\\windows", true},     // root-relative
        {missing, false},
        {missing + u"folder\\file.txt", false},
        {u"1:\\", false},
        {u"?", false},
        {u"\u3042:\\", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(IsDriveReady(c.path), c.ready) << common::Utf16ToUtf8(c.path);
}

TEST(ExistenceTests, FilesAndFolders)
{
    TempFolder temp;
    const std::u16string file = temp / u"file.txt";
    WriteBytes(file, "x");
    const std::u16string longPath = temp.Path() + u"\\" + std::u16string(300, u'a') + u"\\b.txt";
    struct Case
    {
        std::u16string path;
        bool isFile;
        bool isFolder;
    } cases[] = {
        {file, true, false},
        {temp.Path(), false, true},
        {temp.Path() + u"\\", false, true},
        {temp / u"missing.txt", false, false},
        {temp / u"missing\\deeper", false, false},
        {MissingDriveRoot() + u"file.txt", false, false},
        {longPath, false, false},
        {u"", false, false},
        // Win32 would stop at the NUL and find the file; such a path names nothing.
        {file + std::u16string(1, u'\0') + u"junk", false, false},
        {u"\\\\no-such-server\\share\\file.txt", false, false},
    };
    for (const auto &c : cases)
    {
        EXPECT_EQ(FileExistsReady(c.path), c.isFile) << common::Utf16ToUtf8(c.path);
        EXPECT_EQ(DirectoryExistsReady(c.path), c.isFolder) << common::Utf16ToUtf8(c.path);
    }
}

TEST(ExistenceTests, NoCriticalErrorDialogIsLeftEnabled)
{
    // The drive test switches the error mode only for its own query.
    const UINT before = SetErrorMode(0);
    SetErrorMode(before);
    IsDriveReady(MissingDriveRoot());
    const UINT after = SetErrorMode(before);
    EXPECT_EQ(after, before);
}

TEST(ReadFileCapped, ReadsWholeFilesUpToTheLimitOnly)
{
    TempFolder temp;
    const std::u16string file = temp / u"data.bin";
    const std::string content(100000, '\x5A');
    WriteBytes(file, content);
    EXPECT_EQ(common::win::ReadFileCapped(file, 100000), content);
    EXPECT_EQ(common::win::ReadFileCapped(file, 99999), std::nullopt);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_TOO_LARGE));
    EXPECT_EQ(common::win::ReadFileCapped(temp / u"missing", 10), std::nullopt);
    EXPECT_EQ(common::win::ReadFileCapped(temp.Path(), 10), std::nullopt);
}

TEST(ReadFileCapped, HugeSparseFileIsRefusedWithoutReading)
{
    TempFolder temp;
    const std::u16string file = temp / u"huge.KV2";
    ASSERT_TRUE(CreateSparseFile(file, 3LL * 1024 * 1024 * 1024));
    const auto started = GetTickCount();
    EXPECT_EQ(common::win::ReadFileCapped(file, 8 * 1024 * 1024), std::nullopt);
    EXPECT_LT(GetTickCount() - started, 2000u);
}

TEST(GetTrueCasePath, SpellsExistingComponentsAsStored)
{
    TempFolder temp;
    const std::u16string folder = temp / u"MixedCase Folder";
    ASSERT_TRUE(CreateDirectoryW(W(folder), nullptr));
    WriteBytes(folder + u"\\ReadMe.TXT", "x");
    const std::u16string tempTrue = common::win::GetTrueCasePath(temp.Path());

    struct Case
    {
        std::u16string given;
        std::u16string expected;
    } cases[] = {
        {temp.Path() + u"\\mixedcase folder\\readme.txt", tempTrue + u"\\MixedCase Folder\\ReadMe.TXT"},
        {temp.Path() + u"\\MIXEDCASE FOLDER", tempTrue + u"\\MixedCase Folder"},
        // Components that do not exist keep the spelling given.
        {temp.Path() + u"\\mixedcase folder\\Not There\\x.Y", tempTrue + u"\\MixedCase Folder\\Not There\\x.Y"},
        // A wildcard is not resolved to some other entry.
        {temp.Path() + u"\\mixedcase folder\\*.txt", tempTrue + u"\\MixedCase Folder\\*.txt"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(common::Utf16ToUtf8(common::win::GetTrueCasePath(c.given)), common::Utf16ToUtf8(c.expected));

    // The drive part keeps its spelling; the folders below it are corrected.
    EXPECT_EQ(common::win::GetTrueCasePath(u"c:\\WINDOWS\\SYSTEM32"), u"c:\\windows\\system32");
}

TEST(GetTrueCasePath, ShortNamesBecomeLongNames)
{
    TempFolder temp;
    const std::u16string folder = temp / u"A Rather Long Folder Name";
    ASSERT_TRUE(CreateDirectoryW(W(folder), nullptr));
    wchar_t shortName[MAX_PATH] = {};
    const DWORD length = GetShortPathNameW(W(folder), shortName, MAX_PATH);
    ASSERT_GT(length, 0u);
    if (U(shortName) == folder)
        GTEST_SKIP() << "the file system keeps no short names";
    EXPECT_EQ(common::win::GetTrueCasePath(U(shortName)), common::win::GetTrueCasePath(folder));
}

TEST(GetTrueCasePath, OddPathsDoNotFail)
{
    const std::u16string cases[] = {u"", u"\\\\server\\share\\dir", std::u16string(2000, u'x'), u"C:\\a\\..\\b\\.\\c"};
    for (const auto &path : cases)
        EXPECT_NO_THROW(common::win::GetTrueCasePath(path));
}
