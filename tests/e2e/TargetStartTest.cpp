// How KV2 starts programs: exactly the program named, and without freezing while the program starts up.
#include "Kv2Scenario.h"

#include "common/ScopeExit.h"
#include "controller/MenuModel.h"
#include "procwin/ProcessIdentity.h"
#include "procwin/win/WindowInfo.h"

#include <gtest/gtest.h>

#include <tlhelp32.h>

using namespace e2e;
using namespace wintest;
using namespace controller;

namespace
{

// A folder with a blank in its name, holding `name`, and a program planted where the system would
// look first for an unquoted path to it ("<temp>\Acc.exe" for "<temp>\Acc App\...").
struct BlankFolder
{
    TempFolder temp;
    std::u16string folder = temp / u"Acc App";
    std::u16string planted = temp / u"Acc.exe";

    BlankFolder()
    {
        EXPECT_TRUE(CreateDirectoryW(W(folder), nullptr));
        EXPECT_TRUE(CopyFileW(W(TargetProgram()), W(planted), FALSE));
    }
    // The programs started from the folders end before the folders go.
    ~BlankFolder()
    {
        EndProcessesNamed(u"Acc.exe");
        EndProcessesNamed(u"KV2Target.exe");
        EndProcessesNamed(u"KV2C.exe");
    }
};

std::vector<DWORD> ProcessesNamed(const std::u16string &fileName)
{
    std::vector<DWORD> found;
    common::win::UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = snapshot && Process32FirstW(snapshot.Get(), &entry); more;
         more = Process32NextW(snapshot.Get(), &entry))
        if (lstrcmpiW(entry.szExeFile, W(fileName)) == 0)
            found.push_back(entry.th32ProcessID);
    return found;
}

std::u16string ExeOf(HWND window)
{
    return common::ToLower(procwin::GetWndExePath(window));
}

HWND PanelOf(DWORD processId)
{
    return ProcessWindowOfClass(processId, L"TPanelForm");
}

} // namespace

TEST(TargetStart, ProgramInAFolderWithBlanksIsStartedExactly)
{
    BlankFolder blanks;
    const std::u16string program = blanks.folder + u"\\KV2Target.exe";
    ASSERT_TRUE(CopyFileW(W(TargetProgram()), W(program), FALSE));
    const std::u16string marker = blanks.temp / u"started.txt";
    const std::string options =
        "--title \"KV2 Blank Target\" --touch \"" + common::Utf16ToUtf8(marker) + "\"";
    const std::u16string taskFile = blanks.temp / u"blank.KV2";
    WriteBytes(taskFile, Utf16File("[Program]\r\nName=" + common::Utf16ToUtf8(program) +
                                   "\r\nOption=" + options + "\r\n[Tray Option]\r\nLive=0\r\n"));

    Process kv2(Kv2(), Quoted(taskFile));
    HWND target = nullptr;
    ASSERT_TRUE(
        WaitUntil([&] { return (target = FindWindowW(nullptr, L"KV2 Blank Target")) != nullptr; }, 20s));
    EXPECT_EQ(ExeOf(target), common::ToLower(program));
    // The program gets its quoted path, one blank and the options as written.
    ASSERT_TRUE(WaitUntil([&] { return ReadBytes(marker).find('\n') != std::string::npos; }, 10s));
    const std::string touched = ReadBytes(marker);
    EXPECT_EQ(touched.substr(0, touched.find('\n')), "\"" + common::Utf16ToUtf8(program) + "\" " + options);
    EXPECT_TRUE(ProcessesNamed(u"Acc.exe").empty());
}

TEST(TargetStart, EditorBesideKv2InAFolderWithBlanksIsStartedExactly)
{
    BlankFolder blanks;
    const std::u16string kv2Copy = blanks.folder + u"\\KV2.exe";
    const std::u16string editor = blanks.folder + u"\\KV2C.exe";
    ASSERT_TRUE(CopyFileW(W(Kv2()), W(kv2Copy), FALSE));
    ASSERT_TRUE(CopyFileW(W(TargetProgram()), W(editor), FALSE));
    const std::u16string taskFile = blanks.temp / u"edited.KV2";
    WriteBytes(taskFile,
               Utf16File("[Program]\r\nName=" + common::Utf16ToUtf8(TargetProgram()) +
                         "\r\nOption=--title \"KV2 Edited Target\"\r\n[Tray Option]\r\nLive=0\r\n"));

    Process kv2(kv2Copy, Quoted(taskFile));
    const HWND controller = WaitForController(kv2, TargetProgram());
    ASSERT_NE(controller, nullptr);
    ASSERT_TRUE(WaitUntil([] { return FindWindowW(nullptr, L"KV2 Edited Target") != nullptr; }, 20s));
    WaitUntil([] { return false; }, 1200ms); // attached on the next tick
    PostMessageW(controller, WM_COMMAND, kPPKV2File, 0);
    // The editor fixture shows the default caption; so would a planted program.
    HWND started = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (started = FindWindowW(nullptr, L"KV2 Target")) != nullptr; }, 10s));
    EXPECT_EQ(ExeOf(started), common::ToLower(editor));
    EXPECT_TRUE(ProcessesNamed(u"Acc.exe").empty());
}

TEST(TargetStart, CommandsRunWhileTheTargetIsStillStartingUp)
{
    // The target sleeps 10 s before its window and message loop.
    Scenario scenario("", "--busy 10000");
    scenario.Start();
    ASSERT_TRUE(WaitUntil([] { return !ProcessesNamed(u"KV2Target.exe").empty(); }, 10s));
    scenario.Command(kPPMostTop);
    EXPECT_EQ(scenario.OptionOnceSaved(u"MostTop", u"1", 5s), u"1");
    EXPECT_EQ(scenario.FindTarget(), nullptr) << "the command came too late to prove anything";
    // A click while the start runs does not start a second copy.
    scenario.Command(kPPAct);
    HWND target = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] { return (target = scenario.FindTarget()) != nullptr && IsWindowVisible(target); }, 20s));
    // Found as it appears (not after the start's long wait), and given its options.
    EXPECT_TRUE(WaitUntil([&] { return IsTopMost(target); }, 5s));
    EXPECT_EQ(ProcessesNamed(u"KV2Target.exe").size(), 1u);
}

TEST(TargetStart, TheProgramIsOnItsWayBeforeKv2ShowsItself)
{
    // The program's own start-up, the longest part of a start, runs beside the making of KV2's windows,
    // the hidden controller first, then the tray icon and the icon window: the program is running when
    // the first of them appears. It then sleeps before its window while both are shown.
    Scenario scenario("[Tray Option]\r\nDisplay=2\r\n", "--busy 10000");
    Process kv2(Kv2(), Quoted(scenario.TaskFile()));
    bool launchedFirst = false;
    const auto until = std::chrono::steady_clock::now() + 20s;
    while (std::chrono::steady_clock::now() < until)
    {
        if (!ProcessWindows(kv2.Id()).empty() || TrayIconShown(kv2.Id()))
        {
            launchedFirst = !ProcessesNamed(u"KV2Target.exe").empty();
            break;
        }
        Sleep(1);
    }
    EXPECT_TRUE(launchedFirst);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(PanelOf(kv2.Id())) && TrayIconShown(kv2.Id()); }, 5s));
    EXPECT_EQ(scenario.FindTarget(), nullptr) << "the program showed its window too early to prove anything";
    PostMessageW(WaitForController(kv2, TargetProgram()), WM_CLOSE, 0, 0);
    EXPECT_EQ(kv2.WaitForExit(20s), 0u);
}

TEST(TargetStart, AStartThatLaunchesNothingStillShowsKv2)
{
    // Told not to start the program, or given one that cannot start, a resident KV2 stays behind its
    // tray icon and icon window.
    TempFolder temp;
    const std::u16string fake = temp / u"fake.exe";
    WriteBytes(fake, "this is not a program");
    const struct
    {
        const char *name;
        std::u16string program;
        const char *extra;
    } starts[] = {
        {"not started", TargetProgram(), "[Execute]\r\nYesNo=No\r\n"},
        {"cannot start", fake, ""},
    };
    for (const auto &[name, program, extra] : starts)
    {
        const std::u16string taskFile = temp / u"start.KV2";
        WriteBytes(taskFile, Utf16File("[Program]\r\nName=" + common::Utf16ToUtf8(program) + "\r\n" + extra +
                                       "[Tray Option]\r\nLive=1\r\nDisplay=2\r\n"));
        Process kv2(Kv2(), Quoted(taskFile));
        EXPECT_TRUE(
            WaitUntil([&] { return IsWindowVisible(PanelOf(kv2.Id())) && TrayIconShown(kv2.Id()); }, 10s))
            << name;
        EXPECT_EQ(kv2.WaitForExit(0ms), static_cast<DWORD>(STILL_ACTIVE)) << name;
        PostMessageW(WaitForController(kv2, program), WM_CLOSE, 0, 0);
        EXPECT_EQ(kv2.WaitForExit(20s), 0u) << name;
    }
}

TEST(TargetStart, QuitWhileTheTargetIsStillStartingUpEndsKv2)
{
    Scenario scenario("", "--busy 20000");
    scenario.Start();
    ASSERT_TRUE(WaitUntil([] { return !ProcessesNamed(u"KV2Target.exe").empty(); }, 10s));
    scenario.Command(kPPClose);
    EXPECT_EQ(scenario.Kv2Process().WaitForExit(10s), 0u);
    EXPECT_EQ(FindWindowW(L"#32770", W(kMessageCaption)), nullptr);
}

TEST(TargetStart, LauncherThatStaysWhileAnotherProcessShowsTheWindowIsFollowedAtOnce)
{
    TempFolder elsewhere;
    // The started process never becomes idle: it waits for a copy of itself in another folder, which
    // shows the window.
    Scenario scenario("", "--wait-for-copy --copy-to \"" + common::Utf16ToUtf8(elsewhere.Path()) +
                              "\" --title {title}");
    scenario.Start();
    HWND target = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (target = scenario.FindTarget()) != nullptr; }, 20s));
    // The copy's different path brings the program change question as the window appears, not after
    // the start's long wait for a window of the process it started.
    HWND box = nullptr;
    EXPECT_TRUE(WaitForMessageBox(scenario.Kv2Process().Id(), box, 5s).has_value());
}

TEST(TargetStart, AShortcutStartsItsTargetWithItsArgumentsAndFolder)
{
    Scenario scenario;
    const std::u16string link = scenario.Folder() / u"KV2 Target.lnk";
    const std::u16string work = scenario.Folder() / u"work";
    const std::u16string marker = scenario.Folder() / u"started.txt";
    ASSERT_TRUE(CreateDirectoryW(W(work), nullptr));
    const std::string linkArguments = "--title \"" + common::Utf16ToUtf8(scenario.Title()) + "\"";
    WriteShellLink(link, TargetProgram(), common::Utf8ToUtf16(linkArguments), work);
    const std::string taskArguments = "--touch \"" + common::Utf16ToUtf8(marker) + "\"";
    WriteBytes(scenario.TaskFile(), Utf16File("[Program]\r\nName=" + common::Utf16ToUtf8(link) +
                                              "\r\nOption=" + taskArguments + "\r\n"));

    scenario.Start(); // its controller names the link's program
    HWND target = scenario.WaitForTarget();
    ASSERT_NE(target, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return ReadBytes(marker).find('\n') != std::string::npos; }, 10s));
    const std::string touched = ReadBytes(marker);
    EXPECT_EQ(touched, "\"" + common::Utf16ToUtf8(TargetProgram()) + "\" " + linkArguments + " " +
                           taskArguments + "\n" + common::Utf16ToUtf8(work) + "\n");
    scenario.Command(kPPMostTop); // attached: KV2 acts on it
    EXPECT_TRUE(WaitUntil([&] { return IsTopMost(target); }, 10s));
    EXPECT_EQ(scenario.TaskValue(u"Program", u"Name"), link);
}

TEST(TargetStart, ALauncherThatStartsAProgramOfAnotherNameAndEndsIsFollowed)
{
    // As Wine's write.exe starts wordpad.exe, or an installed app's Update.exe starts the app.
    TempFolder elsewhere;
    Scenario scenario("", "--copy-to \"" + common::Utf16ToUtf8(elsewhere / u"KV2 Other.exe") +
                              "\" --title {title}");
    const common::ScopeExit endCopy([] { EndProcessesNamed(u"KV2 Other.exe"); });
    scenario.Start();
    HWND target = scenario.WaitForTarget(10s);
    ASSERT_NE(target, nullptr);
    EXPECT_EQ(common::ToLower(procwin::FileNameOf(procwin::GetWndExePath(target))), u"kv2 other.exe");
    scenario.Command(kPPMostTop); // attached: KV2 acts on it
    EXPECT_TRUE(WaitUntil([&] { return IsTopMost(target); }, 10s));
    HWND box = nullptr;
    EXPECT_FALSE(WaitForMessageBox(scenario.Kv2Process().Id(), box, 1s).has_value());
    EXPECT_EQ(scenario.TaskValue(u"Program", u"Name"), TargetProgram());
}
