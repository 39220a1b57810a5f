#include "WinTestSupport.h"

#include "common/Text.h"
#include "common/win/FileSystem.h"
#include "common/win/Shell.h"

#include <gtest/gtest.h>

using namespace wintest;

TEST(GetAssociatedIcon, ProgramsHaveIcons)
{
    const std::u16string withIcons[] = {u"C:\\windows\\system32\\notepad.exe", BinFolder() + u"\\KV2.exe"};
    for (const auto &file : withIcons)
    {
        common::win::UniqueIcon icon(common::win::GetAssociatedIcon(file, 0));
        EXPECT_TRUE(icon) << common::Utf16ToUtf8(file);
    }
}

TEST(GetAssociatedIcon, NamesThatCannotBePassedGiveNoIcon)
{
    // Longer than the call's fixed buffer, or holding a NUL: refused rather than overflowing or
    // reading a different file.
    EXPECT_EQ(common::win::GetAssociatedIcon(u"C:\\" + std::u16string(400, u'a') + u".exe", 0), nullptr);
    EXPECT_EQ(common::win::GetAssociatedIcon(std::u16string(u"C:\\windows\\notepad.exe\0x", 25), 0), nullptr);
}

TEST(ShellOpen, StartsAProgramWithItsArgumentsAndFolder)
{
    TempFolder temp;
    const std::u16string marker = temp / u"touched.txt";
    const INT_PTR result = common::win::ShellOpen(nullptr, BinFolder() + u"\\KV2TargetConsole.exe",
                                                  u"--touch \"" + marker + u"\"", temp.Path(), SW_SHOWNORMAL);
    EXPECT_GT(result, 32);
    ASSERT_TRUE(WaitUntil([&] { return common::win::FileExistsReady(marker); }, std::chrono::seconds(20)));
    ASSERT_TRUE(WaitUntil([&] { return ReadBytes(marker).find('\n') != std::string::npos; }, std::chrono::seconds(5)));
    const std::string touched = ReadBytes(marker);
    EXPECT_NE(touched.find("--touch"), std::string::npos);
    // The second line is the started program's current folder.
    EXPECT_TRUE(common::EqualsNoCase(common::Utf8ToUtf16(touched.substr(touched.find('\n') + 1)).substr(0, temp.Path().size()),
                                     temp.Path()))
        << touched;
}

TEST(ShellOpen, MissingFileAnswersTheShellError)
{
    EXPECT_LE(common::win::ShellOpen(nullptr, u"C:\\no\\such\\program.exe", u"", u"", SW_SHOWNORMAL), 32);
}
