#include "WinTestSupport.h"

#include "common/Text.h"
#include "common/win/Shell.h"
#include "startup/win/SystemFileProbe.h"

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

TEST(GetAssociatedIcon, AProgramWithoutIconsGetsTheGenericProgramIcon)
{
    // The fixture has no icon resource, like many small tools: the tray icon must not be empty.
    common::win::UniqueIcon icon(common::win::GetAssociatedIcon(BinFolder() + u"\\KV2Target.exe", 0));
    EXPECT_TRUE(icon);
}

TEST(GetAssociatedIcon, NamesThatCannotBePassedGiveNoIcon)
{
    // Longer than the call's fixed buffer, or holding a NUL: refused rather than overflowing or
    // reading a different file.
    EXPECT_EQ(common::win::GetAssociatedIcon(u"C:\\" + std::u16string(400, u'a') + u".exe", 0), nullptr);
    EXPECT_EQ(common::win::GetAssociatedIcon(std::u16string(u"C:\\windows\\notepad.exe\0x", 25), 0), nullptr);
}

TEST(ShellLink, ReadsTheProgramArgumentsAndFolderOfALinkToAFile)
{
    TempFolder folder;
    const std::u16string program = BinFolder() + u"\\KV2Target.exe";
    struct Case
    {
        const char *name;
        std::u16string file, program, arguments, workDir;
        bool read;
    };
    const Case cases[] = {
        {"a link to a program", folder / u"app.lnk", program, u"--title \"a b\"", folder.Path(), true},
        {"without arguments or folder", folder / u"bare.lnk", program, u"", u"", true},
        {"a link to This PC", folder / u"pc.lnk", u"", u"", u"", false},
        {"a file that is no link", folder / u"text.lnk", u"", u"", u"", false},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        if (c.read || c.file.ends_with(u"pc.lnk"))
            WriteShellLink(c.file, c.program, c.arguments, c.workDir);
        else
            WriteBytes(c.file, "[Program]\r\nName=x\r\n");
        const auto target = startup::SystemFileProbe().ReadShellLink(c.file);
        ASSERT_EQ(target.has_value(), c.read);
        if (!c.read)
            continue;
        EXPECT_EQ(common::ToLower(target->Program), common::ToLower(c.program));
        EXPECT_EQ(target->Arguments, c.arguments);
        EXPECT_EQ(common::ToLower(target->WorkDir), common::ToLower(c.workDir));
    }
}
