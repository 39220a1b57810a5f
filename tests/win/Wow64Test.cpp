#include "WinTestSupport.h"

#include "procwin/win/Wow64.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace wintest;

namespace
{

// The machine type in the PE header of a file: 0x14C for 32-bit x86, 0x8664 for x64; 0 when unreadable.
WORD MachineOf(const wchar_t *path)
{
    common::win::UniqueFile file(
        CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return 0;
    char header[4096];
    DWORD read = 0;
    if (!ReadFile(file.Get(), header, sizeof(header), &read, nullptr) || read < 0x40)
        return 0;
    const LONG offset = reinterpret_cast<IMAGE_DOS_HEADER *>(header)->e_lfanew;
    if (offset < 0 || static_cast<DWORD>(offset) + 6 > read)
        return 0;
    return *reinterpret_cast<WORD *>(header + offset + 4);
}

constexpr wchar_t kSystemNotepad[] = L"C:\\windows\\system32\\notepad.exe";
constexpr bool k32BitBuild = sizeof(void *) == 4;

} // namespace

TEST(Wow64, DetectionMatchesTheBuild)
{
    procwin::Wow64Init();
    // The test prefix is a 64-bit Windows: a 32-bit program runs under WOW64, a 64-bit one does not.
    EXPECT_EQ(procwin::IsWow64(), k32BitBuild);
}

TEST(Wow64, RedirectionBracketReachesTheRealSystemFolder)
{
    procwin::Wow64Init();
    const WORD native = IMAGE_FILE_MACHINE_AMD64;
    const WORD redirected = k32BitBuild ? IMAGE_FILE_MACHINE_I386 : IMAGE_FILE_MACHINE_AMD64;

    EXPECT_EQ(MachineOf(kSystemNotepad), redirected);
    procwin::Wow64FsOff();
    EXPECT_EQ(MachineOf(kSystemNotepad), native);
    procwin::Wow64FsRestore();
    EXPECT_EQ(MachineOf(kSystemNotepad), redirected);
}

TEST(Wow64, RedirectionIsBackAfterAFailureInsideTheBracket)
{
    procwin::Wow64Init();
    try
    {
        procwin::Wow64Redirection off;
        EXPECT_EQ(MachineOf(kSystemNotepad), IMAGE_FILE_MACHINE_AMD64);
        throw std::runtime_error("launch failed");
    }
    catch (const std::runtime_error &)
    {
    }
    EXPECT_EQ(MachineOf(kSystemNotepad), k32BitBuild ? IMAGE_FILE_MACHINE_I386 : IMAGE_FILE_MACHINE_AMD64);
}

TEST(Wow64, VersionPredicatesSeeAModernSystem)
{
    // The manifest's supported-OS list lets the version query answer the real version, which is far
    // beyond Windows 2000 and XP.
    EXPECT_TRUE(procwin::IsWin2000OrLater());
    EXPECT_TRUE(procwin::IsWinXPOrLater());
}
