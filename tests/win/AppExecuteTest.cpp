// Starting real target programs and finding their windows.
#include "WinTestSupport.h"

#include "procwin/win/AppExecute.h"
#include "procwin/win/WindowInfo.h"

#include <gtest/gtest.h>

#include <span>

using namespace wintest;
using namespace std::chrono_literals;
using procwin::Bounds;
using procwin::ExecuteApp;

namespace
{

std::u16string TargetProgram()
{
    return BinFolder() + u"\\KV2Target.exe";
}

// The controller's part of the wait: messages run until the process has settled.
void RunMessages(DWORD, const std::function<bool()> &settled, std::span<const HANDLE>)
{
    WaitUntil(settled, 70s);
}

std::u16string ClassOf(HWND window)
{
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return U(name);
}

// Ends every process whose window a test took, so that no target outlives its test.
class Launch : public ::testing::Test
{
  protected:
    void TearDown() override
    {
        for (HWND window : {TargetWnd(), TargetSubWnd()})
            Kill(window);
        for (DWORD id : m_processes)
            KillProcess(id);
    }

    // What the last launch of the test found.
    HWND TargetWnd() const noexcept
    {
        return m_found.window;
    }
    HWND TargetSubWnd() const noexcept
    {
        return m_found.frame;
    }

    void Kill(HWND window)
    {
        DWORD id = 0;
        if (window != nullptr && GetWindowThreadProcessId(window, &id))
            KillProcess(id);
    }

    static void KillProcess(DWORD id)
    {
        common::win::UniqueHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
        if (process)
        {
            TerminateProcess(process.Get(), 0);
            WaitForSingleObject(process.Get(), 5000);
        }
    }

    // Processes started by name whose window is looked up by the test.
    void Remember(HWND window)
    {
        DWORD id = 0;
        if (window != nullptr && GetWindowThreadProcessId(window, &id))
            m_processes.push_back(id);
    }

    std::vector<DWORD> m_processes;
    procwin::LaunchedTarget m_found;
};

} // namespace

TEST_F(Launch, TakesTheFirstVisibleUnownedWindow)
{
    m_found = ExecuteApp(TargetProgram(), u"--title \"launched target\"", BinFolder(), NORMAL_PRIORITY_CLASS,
                         std::nullopt, RunMessages);
    ASSERT_NE(TargetWnd(), nullptr);
    EXPECT_EQ(WindowText(TargetWnd()), u"launched target");
    EXPECT_EQ(TargetSubWnd(), nullptr);
    EXPECT_TRUE(IsWindowVisible(TargetWnd()));
}

TEST_F(Launch, SplashWindowVisibleAtIdleTimeIsTaken)
{
    m_found = ExecuteApp(TargetProgram(), u"--splash 3000 --title main", BinFolder(), NORMAL_PRIORITY_CLASS,
                         std::nullopt, RunMessages);
    ASSERT_NE(TargetWnd(), nullptr);
    EXPECT_EQ(ClassOf(TargetWnd()), u"KV2TargetSplash");
}

TEST_F(Launch, ConsoleProgramGivesNoWindowAndNoError)
{
    try
    {
        m_found = ExecuteApp(BinFolder() + u"\\KV2TargetConsole.exe", u"--exit-after 2000", BinFolder(),
                             NORMAL_PRIORITY_CLASS, std::nullopt, RunMessages);
    }
    catch (const procwin::LaunchError &error)
    {
        FAIL() << error.what() << " (system error " << error.Code() << ")";
    }
    EXPECT_EQ(TargetWnd(), nullptr);
    EXPECT_EQ(TargetSubWnd(), nullptr);
}

TEST_F(Launch, DelayedWindowIsNotWaitedFor)
{
    // Idle before its window exists: nothing is taken, and the controller's own search takes over.
    m_found = ExecuteApp(TargetProgram(), u"--delay 3000", BinFolder(), NORMAL_PRIORITY_CLASS, std::nullopt,
                         RunMessages);
    EXPECT_EQ(TargetWnd(), nullptr);
    HWND later = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (later = FindWindowW(L"KV2TargetWindow", L"KV2 Target")) != nullptr; }, 20s));
    Remember(later);
}

TEST_F(Launch, MaximizedTargetIsRestoredOnce)
{
    m_found = ExecuteApp(TargetProgram(), u"--show 3", BinFolder(), NORMAL_PRIORITY_CLASS, std::nullopt,
                         RunMessages);
    ASSERT_NE(TargetWnd(), nullptr);
    // Done by the target's own thread: KV2 never waits for it.
    EXPECT_TRUE(WaitUntil([&] { return !IsZoomed(TargetWnd()); }, 5s));
    EXPECT_FALSE(IsIconic(TargetWnd()));
}

TEST_F(Launch, PlacementMovesTheFrame)
{
    const Bounds placement{123, 77, 400, 300};
    m_found = ExecuteApp(TargetProgram(), u"--title placed", BinFolder(), NORMAL_PRIORITY_CLASS, placement,
                         RunMessages);
    ASSERT_NE(TargetWnd(), nullptr);
    EXPECT_EQ(TargetSubWnd(), nullptr); // an ordinary window is its own frame
    EXPECT_TRUE(WaitUntil([&] { return procwin::GetWndBounds(TargetWnd()) == placement; }, 5s));
}

TEST_F(Launch, ApplicationWindowOwningTheFrame)
{
    const Bounds placement{150, 100, 420, 280};
    m_found = ExecuteApp(TargetProgram(), u"--tapplication --title framed", BinFolder(),
                         NORMAL_PRIORITY_CLASS, placement, RunMessages);
    ASSERT_NE(TargetWnd(), nullptr);
    ASSERT_NE(TargetSubWnd(), nullptr);
    EXPECT_EQ(ClassOf(TargetWnd()), u"TApplication");
    EXPECT_EQ(ClassOf(TargetSubWnd()), u"KV2TargetWindow");
    EXPECT_EQ(GetParent(TargetSubWnd()), TargetWnd());
    // The placement goes to the frame the user sees, not to the application window.
    EXPECT_TRUE(WaitUntil([&] { return procwin::GetWndBounds(TargetSubWnd()) == placement; }, 5s));
}

TEST_F(Launch, FailureRaisesWithTheCommandLine)
{
    try
    {
        ExecuteApp(u"C:\\no such folder\\missing.exe", u"/x", u"", NORMAL_PRIORITY_CLASS, std::nullopt,
                   RunMessages);
        FAIL() << "no error raised";
    }
    catch (const procwin::LaunchError &error)
    {
        EXPECT_EQ(error.Text(), u"C:\\no such folder\\missing.exe /xを起動できません。");
    }
    EXPECT_EQ(TargetWnd(), nullptr);
    EXPECT_EQ(TargetSubWnd(), nullptr);
}

TEST_F(Launch, ProgramInAFolderWithBlanksIsStartedExactly)
{
    TempFolder temp;
    const std::u16string folder = temp / u"Acc App";
    ASSERT_TRUE(CreateDirectoryW(W(folder), nullptr));
    const std::u16string program = folder + u"\\My Target.exe";
    ASSERT_TRUE(CopyFileW(W(BinFolder() + u"\\KV2Target.exe"), W(program), FALSE));
    // Where the system looks first for the unquoted path.
    ASSERT_TRUE(CopyFileW(W(BinFolder() + u"\\KV2Target.exe"), W(temp / u"Acc.exe"), FALSE));
    const std::u16string marker = temp / u"touched.txt";
    const std::u16string options = u"--title blanks --touch \"" + marker + u"\"";
    m_found = ExecuteApp(program, options, folder, NORMAL_PRIORITY_CLASS, std::nullopt, RunMessages);
    ASSERT_NE(TargetWnd(), nullptr);
    Remember(TargetWnd());
    EXPECT_TRUE(common::EqualsNoCase(procwin::GetWndExePath(TargetWnd()), program));
    // The first token is the quoted path, then one blank and the options as written.
    ASSERT_TRUE(WaitUntil([&] { return ReadBytes(marker).find('\n') != std::string::npos; }, 10s));
    const std::string touched = ReadBytes(marker);
    EXPECT_EQ(common::Utf8ToUtf16(touched.substr(0, touched.find('\n'))), u"\"" + program + u"\" " + options);
    TearDown(); // the copies must end before their folder goes
}

TEST_F(Launch, BusyTargetIsWaitedForThroughTheCallersWait)
{
    DWORD waitedFor = 0;
    bool settledAtFirst = true;
    bool settledWhenSignalled = false;
    m_found = ExecuteApp(
        TargetProgram(), u"--busy 3000 --title busy", BinFolder(), NORMAL_PRIORITY_CLASS, std::nullopt,
        [&](DWORD processId, const std::function<bool()> &settled, std::span<const HANDLE> signals) {
            waitedFor = processId;
            settledAtFirst = settled();
            // The caller may sleep on the signals alone: one of them tells that the wait is over.
            const DWORD woken =
                WaitForMultipleObjects(static_cast<DWORD>(signals.size()), signals.data(), FALSE, 20000);
            EXPECT_LT(woken, WAIT_OBJECT_0 + signals.size());
            settledWhenSignalled = settled();
        });
    ASSERT_NE(TargetWnd(), nullptr);
    EXPECT_EQ(WindowText(TargetWnd()), u"busy");
    DWORD owner = 0;
    GetWindowThreadProcessId(TargetWnd(), &owner);
    EXPECT_EQ(waitedFor, owner);
    EXPECT_FALSE(settledAtFirst) << "the launch waited by itself";
    EXPECT_TRUE(settledWhenSignalled);
}

TEST_F(Launch, NothingIsTakenWhenTheCallerStopsWaiting)
{
    int waits = 0;
    DWORD launched = 0;
    m_found = ExecuteApp(TargetProgram(), u"--busy 5000", BinFolder(), NORMAL_PRIORITY_CLASS,
                         Bounds{100, 100, 300, 200},
                         [&](DWORD processId, const std::function<bool()> &, std::span<const HANDLE>) {
                             ++waits;
                             launched = processId;
                         });
    m_processes.push_back(launched);
    EXPECT_EQ(waits, 2); // the frame's wait too
    EXPECT_EQ(TargetWnd(), nullptr);
    EXPECT_EQ(TargetSubWnd(), nullptr);
}

TEST_F(Launch, ProcessThatEndsAtOnceIsNotWaitedFor)
{
    TempFolder elsewhere;
    const auto start = std::chrono::steady_clock::now();
    m_found = ExecuteApp(TargetProgram(), u"--copy-to \"" + elsewhere.Path() + u"\" --title handed",
                         BinFolder(), NORMAL_PRIORITY_CLASS, Bounds{100, 100, 300, 200}, RunMessages);
    // Waiting for an ended process to become idle would take the whole idle wait, a minute; a loaded
    // machine takes a few seconds to start the program and its copy.
    EXPECT_LT(std::chrono::steady_clock::now() - start, 30s);
    EXPECT_EQ(TargetWnd(), nullptr);
    HWND copy = nullptr;
    ASSERT_TRUE(
        WaitUntil([&] { return (copy = FindWindowW(L"KV2TargetWindow", L"handed")) != nullptr; }, 20s));
    Remember(copy);
    TearDown();
}

TEST_F(Launch, WorkingFolderAndArgumentsReachTheTarget)
{
    TempFolder temp;
    const std::u16string marker = temp / u"touched.txt";
    m_found = ExecuteApp(TargetProgram(), u"--touch \"" + marker + u"\"", temp.Path(), NORMAL_PRIORITY_CLASS,
                         std::nullopt, RunMessages);
    ASSERT_TRUE(WaitUntil([&] { return ReadBytes(marker).find('\n') != std::string::npos; }, 10s));
    const std::string touched = ReadBytes(marker);
    const std::u16string folder = common::Utf8ToUtf16(touched.substr(touched.find('\n') + 1));
    EXPECT_TRUE(common::EqualsNoCase(common::TrimRight(folder), temp.Path())) << touched;
    TearDown();
}

TEST_F(Launch, StartProgramPassesItsArgumentsAndFolderWithoutWaiting)
{
    TempFolder temp;
    const std::u16string program = BinFolder() + u"\\KV2TargetConsole.exe";
    const std::u16string marker = temp / u"touched.txt";
    EXPECT_TRUE(procwin::StartProgram(program, u"--touch \"" + marker + u"\"", temp.Path()));
    ASSERT_TRUE(WaitUntil([&] { return ReadBytes(marker).find('\n') != std::string::npos; }, 20s));
    const std::u16string touched = common::Utf8ToUtf16(ReadBytes(marker));
    const size_t lineEnd = touched.find(u'\n');
    EXPECT_EQ(touched.substr(0, lineEnd), u"\"" + program + u"\" --touch \"" + marker + u"\"");
    EXPECT_TRUE(common::EqualsNoCase(common::TrimRight(touched.substr(lineEnd + 1)), temp.Path()))
        << common::Utf16ToUtf8(touched);
    EXPECT_FALSE(procwin::StartProgram(u"C:\\no such folder\\missing.exe", u"", u""));
}

TEST_F(Launch, CloseTargetWndAsksTheWindowToClose)
{
    EXPECT_FALSE(procwin::CloseTargetWnd(nullptr)); // no target
    m_found = ExecuteApp(TargetProgram(), u"--title closing", BinFolder(), NORMAL_PRIORITY_CLASS,
                         std::nullopt, RunMessages);
    const HWND window = TargetWnd();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(procwin::CloseTargetWnd(window));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(window); }, 10s));
    EXPECT_FALSE(procwin::CloseTargetWnd(window)); // a destroyed window
}

TEST_F(Launch, FirstProcessWindowIncludesHiddenAndOwnedWindows)
{
    EXPECT_EQ(procwin::FirstProcessWindow(0xFFFFFFF0), nullptr);
    HWND hidden = CreateWindowExW(0, L"STATIC", L"hidden", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(hidden, nullptr);
    const HWND found = procwin::FirstProcessWindow(GetCurrentProcessId());
    DWORD owner = 0;
    GetWindowThreadProcessId(found, &owner);
    EXPECT_EQ(owner, GetCurrentProcessId());
    DestroyWindow(hidden);
}

TEST_F(Launch, StartupRecordFollowsKv2sOwnWithoutItsHandles)
{
    const HANDLE notInherited = reinterpret_cast<HANDLE>(0x1234);
    STARTUPINFOW own{};
    own.cb = sizeof(own);
    own.lpDesktop = const_cast<wchar_t *>(L"winsta0\\default");
    own.lpTitle = const_cast<wchar_t *>(L"KV2");
    own.wShowWindow = SW_SHOWMINNOACTIVE;
    own.dwX = 5;
    own.hStdInput = own.hStdOutput = own.hStdError = notInherited;
    struct Case
    {
        DWORD ownFlags;
        std::optional<Bounds> placement;
        DWORD flags;
    };
    const Case cases[] = {
        {STARTF_USESHOWWINDOW, std::nullopt, STARTF_USESHOWWINDOW},
        {STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES, std::nullopt, STARTF_USESHOWWINDOW},
        {STARTF_USESTDHANDLES, Bounds{1, 2, 30, 40},
         STARTF_USESHOWWINDOW | STARTF_USESIZE | STARTF_USEPOSITION},
    };
    for (const Case &c : cases)
    {
        own.dwFlags = c.ownFlags;
        const STARTUPINFOW record = procwin::StartupRecordFor(own, c.placement);
        SCOPED_TRACE(c.ownFlags);
        EXPECT_EQ(record.cb, sizeof(STARTUPINFOW));
        EXPECT_EQ(record.dwFlags, c.flags);
        EXPECT_EQ(record.lpDesktop, nullptr);
        EXPECT_EQ(record.lpTitle, nullptr);
        EXPECT_EQ(record.wShowWindow, SW_SHOWDEFAULT);
        EXPECT_EQ(record.dwX, c.placement ? 1u : 5u);
        if ((c.ownFlags & STARTF_USESTDHANDLES) != 0)
        {
            EXPECT_EQ(record.hStdOutput, nullptr);
        }
    }
}
