#include "WinTestSupport.h"

#include "common/Text.h"
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
